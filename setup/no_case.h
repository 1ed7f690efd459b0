// Letter-case-insensitive comparison of byte strings: A-Z equal a-z, nothing else folded, bytes
// compared as unsigned values. Not the C library's strcasecmp, whose folding follows the locale
// and could make a name match a prefix on one machine and not on another.
#ifndef FOLVANE_SETUP_NO_CASE_H
#define FOLVANE_SETUP_NO_CASE_H

#include <stddef.h>

// Compares at most count bytes; stops at the first difference or at a NUL in both.
// Returns <0, 0 or >0 like strncmp.
int CompareNoCaseN(const char* left, const char* right, size_t count);

// Compares the whole of both strings.
int CompareNoCase(const char* left, const char* right);

#endif
