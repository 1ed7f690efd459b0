// The Windows rules for a search mask, as FindFirstFileA applies them to each name in a folder.
#ifndef FOLVANE_PLATFORM_POSIX_WILDCARD_H
#define FOLVANE_PLATFORM_POSIX_WILDCARD_H

#include <string>

// True when name matches mask: letter case ignored (A-Z = a-z, the ANSI code page here being
// single-byte, no other byte folds), '*' any run of characters (dots included, or none), '?'
// exactly one character. A mask ending in ".*" also matches a name without a dot, so "PS*.*"
// takes PSREADME and "*.*" takes every name. 8.3 short names are not modelled: "*.PPD" does not
// match Z.PPDX, as on a volume without short names.
bool MatchWildcard(const std::string& mask, const std::string& name);

// The name upper-cased the way NTFS orders a folder's entries (ASCII letters only).
std::string UpperName(const std::string& name);

#endif
