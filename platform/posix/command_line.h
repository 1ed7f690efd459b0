// The command line as Windows would hand it to the program. Linux passes an argument vector;
// Windows passes one line that the program cuts itself, so the start-up joins the vector back
// into a line the Windows way and the program's own cut decides what the arguments were.
#ifndef FOLVANE_PLATFORM_POSIX_COMMAND_LINE_H
#define FOLVANE_PLATFORM_POSIX_COMMAND_LINE_H

#include <string>
#include <vector>

// Joins the arguments with one blank between them. An argument that is empty or holds a blank,
// a tab, a line end or a double quote is put between double quotes, with its quotes and the
// backslashes before them escaped as the Microsoft C runtime reads them back. Bytes are passed
// through as they are (the stand-in's ANSI code page is single-byte).
std::string JoinWindowsCommandLine(const std::vector<std::string>& arguments);

// Fixes the line that GetCommandLineA reports; the start-up calls it before WinMain. Without
// it, GetCommandLineA joins the process's own arguments read from /proc/self/cmdline.
void SetCommandLine(const std::string& line);

#endif
