#include "setup/command_line.h"

#include "platform/platform.h"

static int IsBlankOrControl(unsigned char byte)
{
    return byte >= 1 && byte <= 32;
}

const char* CutCommandLine(const char* commandLine)
{
    if (commandLine == NULL)
        return "";
    const unsigned char* p = (const unsigned char*)commandLine;

    if (*p == '"') {
        p++;
        while (*p != '\0' && *p != '"') {
            // The second byte of a double-byte character may have the value of a quote.
            if (IsDBCSLeadByte(*p) && p[1] != '\0')
                p++;
            p++;
        }
        if (*p != '"')
            return (const char*)p; // unterminated: the name is the whole line
        p++;
    } else {
        while (*p > 32)
            p++;
    }

    while (IsBlankOrControl(*p))
        p++;
    return (const char*)p;
}
