// The system's message texts, English as Windows words them, and FormatMessageA over them.
#include <string.h>

#include "platform/posix/errors.h"

namespace {

struct SystemText {
    DWORD code;
    const char* text;
};

// None of these texts holds an insert (%1), so the argument list is never read, whatever the
// flags say: the core's call without IGNORE_INSERTS and no list stays safe.
const SystemText kSystemTexts[] = {
    {ERROR_INVALID_FUNCTION, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_NO_MORE_FILES, "There are no more files."},
    {ERROR_WRITE_PROTECT, "The media is write protected."},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_INVALID_LEVEL, "The system call level is not correct."},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error."},
    {RPC_S_SERVER_UNAVAILABLE, "The RPC server is unavailable."},
    {ERROR_UNKNOWN_PRINTER_DRIVER, "The printer driver is unknown."},
    {ERROR_INVALID_ENVIRONMENT, "The environment specified is invalid."},
    {ERROR_PRINTER_DRIVER_IN_USE, "The specified printer driver is currently in use."},
};

const DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;

} // namespace

const char* SystemErrorText(DWORD code)
{
    for (const SystemText& entry : kSystemTexts)
        if (entry.code == code)
            return entry.text;
    return NULL;
}

// Stores the system's text for messageId, ending in CR LF, and returns its length; 0 when the
// stand-in has no text for the code (317) or the text does not fit (122). Only system texts are
// known here, in English, whatever language is asked for.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, va_list* arguments)
{
    (void)source;
    (void)languageId;
    (void)arguments;
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) ||
        buffer == NULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const char* text = SystemErrorText(messageId);
    if (text == NULL) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    size_t length = strlen(text) + 2; // with CR LF
    if (length + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    memcpy(buffer, text, length - 2);
    memcpy(buffer + length - 2, "\r\n", 3);
    return (DWORD)length;
}
