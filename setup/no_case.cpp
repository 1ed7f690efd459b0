#include "setup/no_case.h"

#include <stdint.h>

static unsigned char FoldAsciiLetter(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') ? (unsigned char)(byte - 'A' + 'a') : byte;
}

int CompareNoCaseN(const char* left, const char* right, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        unsigned char l = FoldAsciiLetter((unsigned char)left[i]);
        unsigned char r = FoldAsciiLetter((unsigned char)right[i]);
        if (l != r)
            return l < r ? -1 : 1;
        if (l == 0)
            return 0;
    }
    return 0;
}

int CompareNoCase(const char* left, const char* right)
{
    return CompareNoCaseN(left, right, SIZE_MAX);
}
