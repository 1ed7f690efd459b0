#include "platform/posix/machine.h"

#include <errno.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/wildcard.h"

namespace {

// The names Windows gives its environments and the folders of their drivers. A driver can be
// registered for another environment than the machine's own (for clients of a print server).
const Environment kEnvironments[] = {
    {"Windows NT x86", "W32X86"},
    {"Windows x64", "x64"},
    {"Windows ARM64", "arm64"},
    {"Windows IA64", "IA64"},
    {"Windows 4.0", "WIN40"},
};

std::string DefaultRoot()
{
    const char* state = getenv("XDG_STATE_HOME");
    // The XDG rules say to ignore a relative XDG_STATE_HOME.
    if (state != NULL && state[0] == '/')
        return std::string(state) + "/winshim";
    const char* home = getenv("HOME");
    if (home == NULL || home[0] == '\0') {
        struct passwd* user = getpwuid(getuid());
        home = user != NULL ? user->pw_dir : "/tmp";
    }
    return std::string(home) + "/.local/state/winshim";
}

} // namespace

const Environment& CurrentEnvironment()
{
#if defined(__x86_64__)
    return kEnvironments[1];
#elif defined(__aarch64__)
    return kEnvironments[2];
#elif defined(__i386__)
    return kEnvironments[0];
#else
#error "no Windows environment is known for this processor"
#endif
}

const Environment* FindEnvironment(const char* name)
{
    if (name == NULL || name[0] == '\0')
        return &CurrentEnvironment();
    for (const Environment& environment : kEnvironments)
        if (UpperName(name) == UpperName(environment.name))
            return &environment;
    return NULL;
}

const std::string& MachineRoot()
{
    static const std::string root = [] {
        const char* given = getenv("WINSHIM_ROOT");
        std::string path = (given != NULL && given[0] != '\0') ? given : DefaultRoot();
        // A relative root would move with the working directory between calls.
        std::error_code ignored;
        std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
        std::string result = absolute.empty() ? path : absolute.lexically_normal().string();
        while (result.size() > 1 && result.back() == '/')
            result.pop_back();
        return result;
    }();
    return root;
}

std::string DriverDirectory(const Environment& environment)
{
    return MachineRoot() + "/drivers/" + environment.folder + "/";
}

int MakeFolders(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return error.value();
    return 0;
}

std::string StorePath()
{
    return MachineRoot() + "/spooler.db";
}
