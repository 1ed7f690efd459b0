// The Windows search-mask rules, one row per rule or trap.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "platform/posix/wildcard.h"

namespace {

struct MaskCase {
    const char* mask;
    const char* name;
    bool matches;
};

// Bytes above 127 written as \xNN, so that test names stay plain ASCII.
std::string Shown(const char* text)
{
    std::string shown;
    for (const unsigned char* p = (const unsigned char*)text; *p; p++) {
        char hex[8];
        snprintf(hex, sizeof hex, "\\x%02X", *p);
        shown += *p < 128 ? std::string(1, (char)*p) : std::string(hex);
    }
    return shown;
}

void PrintTo(const MaskCase& c, std::ostream* out)
{
    *out << '"' << Shown(c.mask) << "\" vs \"" << Shown(c.name) << "\" "
         << (c.matches ? "matches" : "does not");
}

class WildcardTest : public testing::TestWithParam<MaskCase> {};

TEST_P(WildcardTest, MatchesAsWindowsDoes)
{
    EXPECT_EQ(MatchWildcard(GetParam().mask, GetParam().name), GetParam().matches)
        << GetParam().mask << " vs " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Masks, WildcardTest,
    testing::Values(
        MaskCase{"PS*.*", "PSCRIPT.DLL", true},
        MaskCase{"PS*.*", "PSREADME", true},          // ".*" also takes a name without a dot
        MaskCase{"PS*.*", "psLower.txt", true},       // letter case ignored
        MaskCase{"PS*.*", "PS", true},                // '*' may take nothing
        MaskCase{"PS*.*", "XPS.DLL", false},
        MaskCase{"PS*.*", "P", false},
        MaskCase{"*.PPD", "K2400.PPD", true},
        MaskCase{"*.PPD", "k2400.ppd", true},
        MaskCase{"*.PPD", "A.B.PPD", true},           // '*' runs over dots
        MaskCase{"*.PPD", ".PPD", true},
        MaskCase{"*.PPD", "Z.PPDX", false},           // no 8.3 short names here
        MaskCase{"*.PPD", "PPD", false},
        MaskCase{"*.PPD", "K2400.PPD.bak", false},
        MaskCase{"*.*", "README", true},
        MaskCase{"*.*", ".", true},
        MaskCase{"*.*", "..", true},
        MaskCase{"*", "anything.at.all", true},
        MaskCase{"*.PPD", ".", false},
        MaskCase{"A?C", "ABC", true},
        MaskCase{"A?C", "AC", false},                 // '?' is exactly one character
        MaskCase{"A?C", "ABBC", false},
        MaskCase{"*A*B", "xAyAzB", true},             // a '*' that must back off
        MaskCase{"*A*B", "xAyBz", false},
        MaskCase{"K\xE9*", "k\xE9.ppd", true},        // bytes above 127 compared as they are
        MaskCase{"K\xC9*", "k\xE9.ppd", false}));

} // namespace
