// The Linux start-up of folvane-setup: what the C runtime's WinMainCRTStartup does on Windows.
// The program sees its arguments only as Windows would show them, one line cut by its own
// CutCommandLine, so "quiet" means the same on both systems.
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/command_line.h"
#include "setup/command_line.h"

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv, argv + argc);
    // Started with no name at all (an empty argv): name the program by its own path.
    if (arguments.empty()) {
        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
        arguments.push_back(length > 0 && length < sizeof path ? path : "folvane-setup");
    }
    SetCommandLine(JoinWindowsCommandLine(arguments));
    LPSTR argumentText = (LPSTR)CutCommandLine(GetCommandLineA());
    return WinMain(NULL, NULL, argumentText, SW_SHOWDEFAULT);
}
