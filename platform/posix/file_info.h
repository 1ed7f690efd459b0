// Windows attributes and times read off a Linux stat.
#ifndef FOLVANE_PLATFORM_POSIX_FILE_INFO_H
#define FOLVANE_PLATFORM_POSIX_FILE_INFO_H

#include <sys/stat.h>

#include "platform/platform.h"

// Read-only on Linux means no write bit at all: that is what SetFileAttributesA sets, and what
// CopyFileA refuses to overwrite, whoever the process runs as.
bool IsReadOnlyMode(mode_t mode);

// DIRECTORY for a folder, ARCHIVE for a file, plus READONLY when no write bit is set.
DWORD AttributesFromStat(const struct stat& info);

// Seconds and nanoseconds since 1970 as 100-ns ticks since 1601.
FILETIME FileTimeFromTimespec(const struct timespec& time);

#endif
