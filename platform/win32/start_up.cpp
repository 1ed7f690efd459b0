// The Windows start-up: the process's own entry, in place of the MinGW runtime's WinMain glue.
//
// The runtime would hand WinMain an argument text cut by its own rule, which differs from ours
// (it treats quotes and blanks its own way), so that "quiet" could mean one thing on Windows and
// another on the Linux stand-in. Defining main here keeps the runtime's glue out of the link: the
// runtime still initialises the C library (the PPD reader uses its stdio) and then calls main,
// and WinMain becomes an ordinary function that receives the text our own cut leaves.
#include "platform/platform.h"

#include "setup/command_line.h"

int main()
{
    // The whole line as the system has it; argc/argv are the runtime's cut and are not used.
    const char* argumentText = CutCommandLine(GetCommandLineA());
    int result = WinMain(GetModuleHandleA(NULL), NULL, (LPSTR)argumentText, SW_SHOWDEFAULT);
    // Ended here, as the system's own GUI start-up ends a program: the exit status is WinMain's
    // result, and nothing of the runtime's exit path stands between the two (the program keeps
    // no file open by then).
    ExitProcess((UINT)result);
}
