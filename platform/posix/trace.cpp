#include "platform/posix/trace.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include "platform/posix/escape_text.h"

BOOL Traced(const char* function, const std::vector<std::string>& arguments, BOOL result)
{
    const char* path = getenv("WINSHIM_TRACE");
    if (path == NULL || path[0] == '\0')
        return result;
    DWORD error = GetLastError(); // kept: the caller reads it after we return
    std::string line = function;
    for (const std::string& argument : arguments)
        line += "\t" + EscapeText(argument);
    line += "\t->\t" + (result ? std::string("ok") : std::to_string(error)) + "\n";
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) {
        // One write per line, so that processes sharing a trace do not mix their lines.
        ssize_t written = write(fd, line.data(), line.size());
        (void)written;
        close(fd);
    }
    SetLastError(error);
    return result;
}

std::string TraceArgument(const char* text)
{
    return text ? text : "(null)";
}
