#include "platform/posix/wildcard.h"

#include <vector>

namespace {

unsigned char Fold(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? (unsigned char)(c - 'a' + 'A') : c;
}

// Plain '*' and '?' matching, iterative with one backtrack point: the last '*' seen only ever
// needs to swallow one more character, so the cost stays linear in practice.
bool MatchPlain(const std::string& mask, const std::string& name)
{
    size_t m = 0, n = 0;
    size_t starMask = std::string::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() &&
                   (mask[m] == '?' ||
                    Fold((unsigned char)mask[m]) == Fold((unsigned char)name[n]))) {
            m++;
            n++;
        } else if (starMask != std::string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        m++;
    return m == mask.size();
}

} // namespace

bool MatchWildcard(const std::string& mask, const std::string& name)
{
    if (MatchPlain(mask, name))
        return true;
    // "X.*" is taken as "X with any extension, or none".
    if (mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0 &&
        name.find('.') == std::string::npos)
        return MatchPlain(mask.substr(0, mask.size() - 2), name);
    return false;
}

std::string UpperName(const std::string& name)
{
    std::string upper(name);
    for (char& c : upper)
        c = (char)Fold((unsigned char)c);
    return upper;
}
