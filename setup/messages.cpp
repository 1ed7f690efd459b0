#include "setup/messages.h"

#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

int ShowMessage(const char* text, UINT style)
{
    return MessageBoxA(NULL, text, SETUP_TITLE, style);
}

void ShowInformation(const char* text)
{
    ShowMessage(text, STYLE_INFORMATION);
}

void ShowError(const char* text)
{
    ShowMessage(text, STYLE_ERROR);
}

void ReportSystemError(void)
{
    ReportErrorCode(GetLastError());
}

void ReportErrorCode(DWORD code)
{
    if (code == 0)
        return;

    char text[256];
    // IGNORE_INSERTS: without an argument list, a text holding %1 would make the system read
    // arguments that are not there. With it, such a text is shown as it stands.
    DWORD stored = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL,
                                  code, 0, text, sizeof text, NULL);
    if (stored == 0) {
        // Codes are 32-bit; an NTSTATUS-like code with the top bit set reads as negative, as it
        // would where long is 32 bits wide.
        snprintf(text, sizeof text, "Unknown error %ld", (long)(int32_t)code);
    } else {
        text[sizeof text - 1] = '\0';
        size_t length = strlen(text);
        while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n'))
            text[--length] = '\0';
    }
    ShowError(text);
}

void ReportRuntimeError(void)
{
    int number = errno;
    if (number == 0)
        return;
    ShowError(strerror(number));
}
