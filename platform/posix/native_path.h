// Windows paths on Linux: the program builds its paths with backslashes (its own folder comes
// from GetModuleFileNameA) and forward slashes (the driver directory), and the file functions
// must take both.
#ifndef FOLVANE_PLATFORM_POSIX_NATIVE_PATH_H
#define FOLVANE_PLATFORM_POSIX_NATIVE_PATH_H

#include <string>

// The path with every backslash turned into a slash. A file name that holds a backslash cannot
// be reached through the stand-in: on Windows no name can hold one either.
std::string NativePath(const char* windowsPath);

// Everything after the last slash of a native path.
std::string LastName(const std::string& nativePath);

#endif
