#include "platform/posix/native_path.h"

std::string NativePath(const char* windowsPath)
{
    std::string path(windowsPath);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

std::string LastName(const std::string& nativePath)
{
    std::string::size_type slash = nativePath.find_last_of('/');
    return slash == std::string::npos ? nativePath : nativePath.substr(slash + 1);
}
