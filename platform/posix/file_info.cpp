#include "platform/posix/file_info.h"

bool IsReadOnlyMode(mode_t mode)
{
    return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

DWORD AttributesFromStat(const struct stat& info)
{
    DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (IsReadOnlyMode(info.st_mode))
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

FILETIME FileTimeFromTimespec(const struct timespec& time)
{
    const unsigned long long kSecondsFrom1601To1970 = 11644473600ULL;
    unsigned long long ticks =
        ((unsigned long long)time.tv_sec + kSecondsFrom1601To1970) * 10000000ULL +
        (unsigned long long)time.tv_nsec / 100;
    FILETIME result;
    result.dwLowDateTime = (DWORD)ticks;
    result.dwHighDateTime = (DWORD)(ticks >> 32);
    return result;
}
