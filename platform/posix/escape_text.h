// One-line text for the box log and `spoolctl list`: a field may hold line ends and tabs, which
// would break a line-and-tab format, so they are written as C-like escapes.
#ifndef FOLVANE_PLATFORM_POSIX_ESCAPE_TEXT_H
#define FOLVANE_PLATFORM_POSIX_ESCAPE_TEXT_H

#include <string>

// Backslash, CR, LF and TAB become \\ \r \n \t; every other byte stays as it is.
std::string EscapeText(const std::string& text);

#endif
