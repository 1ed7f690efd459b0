#include "platform/posix/command_line.h"

#include <fstream>
#include <iterator>
#include <mutex>

#include "platform/platform.h"

namespace {

std::string QuoteArgument(const std::string& argument)
{
    if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos)
        return argument;
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            backslashes++;
            continue;
        }
        // Backslashes before a quote are read back halved, so double them and escape the quote.
        if (c == '"')
            quoted.append(backslashes * 2 + 1, '\\');
        else
            quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\'); // they stand before the closing quote
    quoted += '"';
    return quoted;
}

std::mutex lineLock;
std::string commandLine;
bool lineSet = false;

std::vector<std::string> OwnArguments()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    std::string::size_type start = 0;
    while (start < all.size()) {
        std::string::size_type end = all.find('\0', start);
        if (end == std::string::npos)
            end = all.size();
        arguments.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

} // namespace

std::string JoinWindowsCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (size_t i = 0; i < arguments.size(); i++) {
        if (i > 0)
            line += ' ';
        line += QuoteArgument(arguments[i]);
    }
    return line;
}

void SetCommandLine(const std::string& line)
{
    std::lock_guard<std::mutex> hold(lineLock);
    commandLine = line;
    lineSet = true;
}

// Returns the whole command line, the program's name first. The string lives as long as the
// process, as on Windows.
LPSTR GetCommandLineA(void)
{
    std::lock_guard<std::mutex> hold(lineLock);
    if (!lineSet) {
        commandLine = JoinWindowsCommandLine(OwnArguments());
        lineSet = true;
    }
    return &commandLine[0];
}

// Tells whether byte opens a double-byte character: never, the stand-in's ANSI code page being
// single-byte, so no byte of a name is ever taken for half of a character.
BOOL IsDBCSLeadByte(BYTE byte)
{
    (void)byte;
    return FALSE;
}
