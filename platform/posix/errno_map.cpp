// errno to Windows codes, for the file functions and the driver directory.
#include <errno.h>
#include <sys/stat.h>

#include "platform/posix/errors.h"

DWORD MapErrno(int error, bool folderExists)
{
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return folderExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    case ENOTDIR:
    case ELOOP:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
        return ERROR_ACCESS_DENIED;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EROFS:
        return ERROR_WRITE_PROTECT;
    case EIO:
        return ERROR_IO_DEVICE;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    case EINVAL:
        return ERROR_INVALID_PARAMETER;
    default:
        // Windows has no counterpart; "Incorrect function." at least does not claim a cause.
        return ERROR_INVALID_FUNCTION;
    }
}

DWORD ErrorForPath(int error, const std::string& nativePath)
{
    bool folderExists = true;
    if (error == ENOENT) {
        std::string::size_type slash = nativePath.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : nativePath.substr(0, slash + 1);
        struct stat info;
        folderExists = stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    return MapErrno(error, folderExists);
}

BOOL Refuse(DWORD code)
{
    SetLastError(code);
    return FALSE;
}
