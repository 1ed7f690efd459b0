// The stand-in's search-mask matcher against a table-filling model of the same rules: letter
// case ignored for A-Z, '*' any run, '?' one character, and a mask ending in ".*" also taking a
// name without a dot. Input: mask, a NUL, then the name.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/posix/wildcard.h"

namespace {

char Fold(char c)
{
    return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
}

bool ModelGlob(const std::string& mask, const std::string& name)
{
    // can[i][j]: the first i mask characters match the first j name characters.
    std::vector<std::vector<char>> can(mask.size() + 1, std::vector<char>(name.size() + 1, 0));
    can[0][0] = 1;
    for (size_t i = 1; i <= mask.size(); i++) {
        char m = mask[i - 1];
        for (size_t j = 0; j <= name.size(); j++) {
            if (m == '*')
                can[i][j] = can[i - 1][j] || (j > 0 && can[i][j - 1]);
            else if (j > 0 && (m == '?' || Fold(m) == Fold(name[j - 1])))
                can[i][j] = can[i - 1][j - 1];
        }
    }
    return can[mask.size()][name.size()];
}

bool Model(const std::string& mask, const std::string& name)
{
    if (ModelGlob(mask, name))
        return true;
    return mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0 &&
           name.find('.') == std::string::npos && ModelGlob(mask.substr(0, mask.size() - 2), name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t* split = (const uint8_t*)memchr(data, 0, size);
    if (split == NULL)
        return 0;
    std::string mask((const char*)data, split - data);
    std::string name((const char*)split + 1, size - (split - data) - 1);
    if (mask.size() > 64 || name.size() > 255 || name.find('\0') != std::string::npos)
        return 0;
    if (MatchWildcard(mask, name) != Model(mask, name))
        abort();
    return 0;
}
