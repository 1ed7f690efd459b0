#ifndef FOLVANE_DRIVERS_PATH_JOIN_H
#define FOLVANE_DRIVERS_PATH_JOIN_H

#include "setup/buffers.h"

// Writes first + second into out when the two fit in a PathBuffer (259 characters and a NUL)
// and returns 1; otherwise leaves out empty and returns 0. Paths are joined by plain
// concatenation: the caller puts the separator in first.
int JoinPath(PathBuffer out, const char* first, const char* second);

// 1 for a backslash or a forward slash.
int IsPathSeparator(char c);

#endif
