// What the program learns about itself: its path and its command line, and the boxes it shows.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/command_line.h"
#include "setup/command_line.h"
#include "temp_folder.h"

namespace {

TEST(ModulePathTest, IsTheBinaryWithBackslashes)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    ASSERT_GT(length, 0u);
    ASSERT_LT(length, sizeof path);
    std::string expected = std::filesystem::canonical("/proc/self/exe").string();
    for (char& c : expected)
        if (c == '/')
            c = '\\';
    EXPECT_EQ(std::string(path, length), expected);
}

TEST(ModulePathTest, TooSmallIsCutAndSays122)
{
    char full[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, full, sizeof full);
    ASSERT_GT(length, 5u);
    char cut[6];
    memset(cut, 'x', sizeof cut);
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(NULL, cut, 5), 5u);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(cut), std::string(full, 4));
    EXPECT_EQ(cut[5], 'x');
    // Exactly the path's length leaves no room for the NUL: cut as well.
    EXPECT_EQ(GetModuleFileNameA(NULL, full, length), length);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_INSUFFICIENT_BUFFER);
}

struct LineCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string line;
    std::string argumentText; // what the program's own cut leaves
};

void PrintTo(const LineCase& c, std::ostream* out)
{
    *out << c.name;
}

class CommandLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(CommandLineTest, JoinedTheWindowsWayAndCutByTheProgram)
{
    std::string line = JoinWindowsCommandLine(GetParam().arguments);
    EXPECT_EQ(line, GetParam().line);
    EXPECT_EQ(std::string(CutCommandLine(line.c_str())), GetParam().argumentText);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    testing::Values(
        LineCase{"Quiet", {"/d/folvane-setup", "quiet"}, "/d/folvane-setup quiet", "quiet"},
        LineCase{"NoArgument", {"/d/folvane-setup"}, "/d/folvane-setup", ""},
        LineCase{"QuietWithBlank", {"./x", "quiet "}, "./x \"quiet \"", "\"quiet \""},
        LineCase{"TwoWords", {"./x", "quiet", "now"}, "./x quiet now", "quiet now"},
        LineCase{"NameWithBlank", {"/my drivers/x", "quiet"}, "\"/my drivers/x\" quiet", "quiet"},
        LineCase{"Empty", {"./x", ""}, "./x \"\"", "\"\""},
        LineCase{"Tab", {"./x", "a\tb"}, "./x \"a\tb\"", "\"a\tb\""},
        LineCase{"Quote", {"./x", "say \"hi\""}, "./x \"say \\\"hi\\\"\"", "\"say \\\"hi\\\"\""},
        LineCase{"BackslashesBeforeQuote", {"./x", "a\\\"b"}, "./x \"a\\\\\\\"b\"",
                 "\"a\\\\\\\"b\""},
        LineCase{"TrailingBackslashes", {"./x", "C:\\my dir\\"}, "./x \"C:\\my dir\\\\\"",
                 "\"C:\\my dir\\\\\""},
        LineCase{"PlainBackslashes", {"./x", "a\\b"}, "./x a\\b", "a\\b"},
        LineCase{"HighBytes", {"./x", "qu\xE9t"}, "./x qu\xE9t", "qu\xE9t"}),
    [](const testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST(MessageBoxTest, AnswersInOrderAndLogsEveryBox)
{
    TempFolder folder;
    std::string log = folder.path + "boxes.log";
    setenv("WINSHIM_BOXLOG", log.c_str(), 1);
    setenv("WINSHIM_ANSWERS", "ok, CANCEL,none,cancel,bogus,ok", 1);

    EXPECT_EQ(MessageBoxA(NULL, "first\r\nline", "Title", 0x1021), IDOK);
    EXPECT_EQ(MessageBoxA(NULL, "second", "Title", 0x1021), IDCANCEL);
    EXPECT_EQ(MessageBoxA(NULL, "third", "Title", 0x1021), 0);
    EXPECT_EQ(MessageBoxA(NULL, "a\\b\tc", NULL, 0x1010), IDOK); // Escape on OK alone is OK
    EXPECT_EQ(MessageBoxA(NULL, "unknown word", "Title", 0x1040), 0);
    EXPECT_EQ(MessageBoxA(NULL, "yes/no", "Title", 0x0004), 0); // refused, takes no answer
    EXPECT_EQ(MessageBoxA(NULL, "sixth", "Title", 0x1040), IDOK);
    EXPECT_EQ(MessageBoxA(NULL, "past the end", "Title", 0x1040), 0);

    unsetenv("WINSHIM_BOXLOG");
    unsetenv("WINSHIM_ANSWERS");
    EXPECT_EQ(TempFolder::Read(log), "0x1021\tTitle\tfirst\\r\\nline\n"
                                     "0x1021\tTitle\tsecond\n"
                                     "0x1021\tTitle\tthird\n"
                                     "0x1010\tError\ta\\\\b\\tc\n"
                                     "0x1040\tTitle\tunknown word\n"
                                     "0x0004\tTitle\tyes/no\n"
                                     "0x1040\tTitle\tsixth\n"
                                     "0x1040\tTitle\tpast the end\n");
}

} // namespace
