// The stand-in's error plumbing: the system texts behind FormatMessageA, the translation of a C
// library errno into the Windows code a caller of the real API would see, and the one-line way
// every API function refuses.
#ifndef FOLVANE_PLATFORM_POSIX_ERRORS_H
#define FOLVANE_PLATFORM_POSIX_ERRORS_H

#include <string>

#include "platform/platform.h"

// Codes the stand-in sets beyond those the program itself names in platform.h.
#define ERROR_TOO_MANY_OPEN_FILES 4
#define ERROR_MOD_NOT_FOUND 126
#define ERROR_MR_MID_NOT_FOUND 317

// The English system text of a code, without the CR LF that FormatMessageA appends; NULL for a
// code the stand-in has no text for.
const char* SystemErrorText(DWORD code);

// The Windows code for a failed C library call on a path. ENOENT is ambiguous on Linux: Windows
// says 2 when the folder is there and only the last name is missing, 3 when the folder is gone.
DWORD MapErrno(int error, bool folderExists);

// MapErrno for a failure on nativePath, finding out whether its folder exists.
DWORD ErrorForPath(int error, const std::string& nativePath);

// Sets the last error and returns FALSE, so that a refusal reads as one line.
BOOL Refuse(DWORD code);

#endif
