// GetModuleFileNameA: the real path of the running binary, written the Windows way so that the
// program's cut at the last backslash finds its folder.
#include <errno.h>
#include <limits.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "platform/posix/errors.h"

namespace {

// The binary's path with '/' turned into '\'; empty (errno set) when the kernel will not tell.
std::string ModulePath()
{
    char path[PATH_MAX + 1];
    ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
    if (length < 0)
        return std::string();
    std::string windowsPath(path, (size_t)length);
    for (char& c : windowsPath)
        if (c == '/')
            c = '\\';
    return windowsPath;
}

} // namespace

// Copies the running program's full path into buffer and returns its length. A path that does
// not fit is cut to size - 1 characters and a NUL: the call returns size and sets 122, as
// Windows does since XP. Only the program's own module (NULL) is known here.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    if (module != NULL) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (buffer == NULL && size > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string path = ModulePath();
    if (path.empty()) {
        SetLastError(MapErrno(errno, true));
        return 0;
    }
    if (path.size() < size) {
        memcpy(buffer, path.c_str(), path.size() + 1);
        return (DWORD)path.size();
    }
    if (size > 0) {
        memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}
