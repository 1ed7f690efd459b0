// SetFileAttributesA. Of the Windows attributes only read-only has a Linux counterpart, the
// write bits; hidden, system and archive are accepted and have no effect.
#include <errno.h>
#include <sys/stat.h>

#include "platform/posix/errors.h"
#include "platform/posix/file_info.h"
#include "platform/posix/native_path.h"

namespace {

// The write bits a file made writable again gets: the owner's, and the group's and others'
// where they may read and the umask lets them write.
mode_t WritableMode(mode_t mode)
{
    mode_t mask = umask(0);
    umask(mask);
    mode_t write = S_IWUSR | (((mode & (S_IRGRP | S_IROTH)) >> 1) & ~mask);
    return mode | write;
}

} // namespace

// Replaces the attribute set of path with attributes: READONLY takes every write bit away, its
// absence gives the owner's back. Folders keep their bits: Windows ignores read-only on a folder.
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes)
{
    if (path == NULL || path[0] == '\0')
        return Refuse(ERROR_INVALID_PARAMETER);
    std::string file = NativePath(path);
    struct stat info;
    if (stat(file.c_str(), &info) != 0)
        return Refuse(ErrorForPath(errno, file));
    if (S_ISDIR(info.st_mode))
        return TRUE;

    mode_t mode = info.st_mode & 07777;
    mode_t wanted;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        wanted = mode & ~(mode_t)(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        wanted = IsReadOnlyMode(mode) ? WritableMode(mode) : mode;
    if (wanted != mode && chmod(file.c_str(), wanted) != 0)
        return Refuse(ErrorForPath(errno, file));
    return TRUE;
}
