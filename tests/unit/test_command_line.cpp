// The start-up's cut of the command line, and the quiet test that follows it.
#include <gtest/gtest.h>

#include "setup/command_line.h"
#include "tests/fake/fake_platform.h"

namespace {

struct CutCase {
    const char* name;
    std::string commandLine;
    std::string argumentText;
    bool codePage932 = false;
};

std::set<unsigned char> CodePage932LeadBytes()
{
    std::set<unsigned char> lead;
    for (int b = 0x81; b <= 0x9F; b++)
        lead.insert((unsigned char)b);
    for (int b = 0xE0; b <= 0xFC; b++)
        lead.insert((unsigned char)b);
    return lead;
}

class CutCommandLineTest : public testing::TestWithParam<CutCase> {};

TEST_P(CutCommandLineTest, LeavesTheArgumentText)
{
    fake.Reset();
    if (GetParam().codePage932)
        fake.leadBytes = CodePage932LeadBytes();
    const std::string& line = GetParam().commandLine;
    const char* rest = CutCommandLine(line.c_str());
    ASSERT_GE(rest, line.c_str());
    ASSERT_LE(rest, line.c_str() + line.size());
    EXPECT_EQ(std::string(rest), GetParam().argumentText);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CutCommandLineTest,
    testing::Values(
        CutCase{"PlainName", "setup.exe quiet", "quiet"},
        CutCase{"PlainNameNoArgument", "setup.exe", ""},
        CutCase{"SeveralBlanksAndTabs", "setup.exe  \t  quiet", "quiet"},
        CutCase{"TrailingBlankKept", "setup.exe quiet ", "quiet "},
        CutCase{"QuotedNameWithBlank", "\"C:\\Program Files\\setup.exe\" quiet", "quiet"},
        CutCase{"QuotedNameThenQuietNoBlank", "\"C:\\DRV\\setup.exe\"quiet", "quiet"},
        CutCase{"UnterminatedQuote", "\"C:\\DRV\\setup.exe quiet", ""},
        CutCase{"LeadingBlankKeepsName", " setup.exe quiet", "setup.exe quiet"},
        CutCase{"LeadingBlanksThenQuiet", "   quiet", "quiet"},
        CutCase{"ControlBytesSkipped", "setup.exe\x01\x1f quiet", "quiet"},
        CutCase{"HighBytesBelongToName", "C:\\\xe9t\xe9\\setup.exe quiet", "quiet"},
        CutCase{"HighBytesInArgument", "setup.exe \xe9quiet", "\xe9quiet"},
        CutCase{"QuotedArgumentKept", "setup.exe \"quiet\"", "\"quiet\""},
        CutCase{"Empty", "", ""},
        // 0x94 0x22: a double-byte character whose second byte is a quote does not end the name.
        CutCase{"DbcsTrailByteIsQuote", "\"C:\\\x94\"\\setup.exe\" quiet", "quiet", true},
        // The same bytes in a single-byte code page: the quote ends the name early.
        CutCase{"SingleByteCodePageQuoteEnds", "\"C:\\\x94\"\\setup.exe\" quiet",
                "\\setup.exe\" quiet"},
        // A lead byte right before the end: the end of the line still ends the name.
        CutCase{"DbcsLeadByteAtEnd", "\"C:\\\x94", "", true},
        CutCase{"DbcsLeadByteBeforeQuoteAtEnd", "\"setup\x81\"", "", true}),
    [](const testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

TEST(CutCommandLineTest, NullLineGivesEmptyText)
{
    EXPECT_STREQ(CutCommandLine(nullptr), "");
}

} // namespace
