#include "drivers/path_join.h"

#include <string.h>

int JoinPath(PathBuffer out, const char* first, const char* second)
{
    size_t firstLength = strlen(first);
    size_t secondLength = strlen(second);
    if (firstLength + secondLength > MAX_PATH - 1) {
        out[0] = '\0';
        return 0;
    }
    memmove(out, first, firstLength); // first may be out itself
    memcpy(out + firstLength, second, secondLength);
    out[firstLength + secondLength] = '\0';
    return 1;
}

int IsPathSeparator(char c)
{
    return c == '\\' || c == '/';
}
