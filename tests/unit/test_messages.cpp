// The message functions: the setup title and styles on every box, and the two error reports.
#include <cerrno>
#include <cstring>

#include "setup/messages.h"
#include "tests/unit/world.h"

namespace {

struct SystemErrorCase {
    const char* name;
    DWORD code;
    const char* systemText; // nullptr: the system has no text for the code
    std::vector<std::string> boxes;
};

class ReportSystemErrorTest : public testing::TestWithParam<SystemErrorCase> {
protected:
    void SetUp() override { fake.Reset(); }
};

TEST_P(ReportSystemErrorTest, ShowsTheSystemTextOrNothing)
{
    const SystemErrorCase& c = GetParam();
    fake.systemTexts.erase(c.code);
    if (c.systemText)
        fake.systemTexts[c.code] = c.systemText;
    fake.lastError = c.code;

    ReportSystemError();

    EXPECT_EQ(fake.BoxTexts(), c.boxes);
    for (const FakeCall& box : fake.CallsOf("MessageBoxA")) {
        EXPECT_EQ(box.args[1], TEST_TITLE);
        EXPECT_EQ(box.args[2], "0x1010");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ReportSystemErrorTest,
    testing::Values(
        SystemErrorCase{"CodeZeroShowsNothing", 0, "Should not show.\r\n", {}},
        SystemErrorCase{"TrailingCrLfTrimmed", 5, "Access is denied.\r\n", {"Access is denied."}},
        SystemErrorCase{"SeveralTrailingLineEndsTrimmed", 5, "Denied.\n\r\r\n", {"Denied."}},
        SystemErrorCase{"InnerLineBreaksKept", 7, "Line one.\r\nLine two.\r\n",
                        {"Line one.\r\nLine two."}},
        SystemErrorCase{"OnlyLineEndsGiveEmptyBox", 9, "\r\n\r\n", {""}},
        SystemErrorCase{"InsertsShownAsTheyStand", 11, "The %1 is gone.\r\n", {"The %1 is gone."}},
        SystemErrorCase{"NoTextGivesUnknownError", 4242, nullptr, {"Unknown error 4242"}},
        SystemErrorCase{"TopBitPrintsSigned", 0xC0000005u, nullptr,
                        {"Unknown error -1073741819"}}),
    [](const testing::TestParamInfo<SystemErrorCase>& info) { return std::string(info.param.name); });

// The two cases that need a text built at run time.
TEST(ReportSystemErrorSizes, TextThatJustFitsIsShownAndOneMoreIsNot)
{
    fake.Reset();
    fake.systemTexts[13] = std::string(255, 'x'); // 255 characters and a NUL fill the buffer
    fake.systemTexts[12] = std::string(256, 'y');
    fake.lastError = 13;
    ReportSystemError();
    fake.lastError = 12;
    ReportSystemError();
    EXPECT_EQ(fake.BoxTexts(), (std::vector<std::string>{std::string(255, 'x'), "Unknown error 12"}));
}

TEST(ReportSystemErrorCalls, ReadsTheCodeOnceFirstAndAsksWithoutInserts)
{
    fake.Reset();
    fake.systemTexts.erase(4242);
    fake.lastError = 4242;
    ReportSystemError();

    // The failing FormatMessageA sets its own last error; the text still names the first code.
    EXPECT_EQ(fake.Ops(), (std::vector<std::string>{"GetLastError", "FormatMessageA", "MessageBoxA"}));
    const FakeCall format = fake.CallsOf("FormatMessageA").at(0);
    EXPECT_EQ(format.args, (std::vector<std::string>{"0x1200", "4242", "0", "256", "(null)", "(null)"}));
    EXPECT_EQ(fake.BoxTexts(), std::vector<std::string>{"Unknown error 4242"});
}

struct RuntimeErrorCase {
    const char* name;
    int number;
    std::vector<std::string> boxes;
};

class ReportRuntimeErrorTest : public testing::TestWithParam<RuntimeErrorCase> {};

TEST_P(ReportRuntimeErrorTest, ShowsTheLibraryTextOrNothing)
{
    fake.Reset();
    errno = GetParam().number;
    ReportRuntimeError();
    EXPECT_EQ(errno, GetParam().number) << "errno is not reset";
    EXPECT_EQ(fake.BoxTexts(), GetParam().boxes);
    for (const FakeCall& box : fake.CallsOf("MessageBoxA"))
        EXPECT_EQ(box.args[2], "0x1010");
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, ReportRuntimeErrorTest,
    testing::Values(RuntimeErrorCase{"ZeroShowsNothing", 0, {}},
                    RuntimeErrorCase{"NoSuchFile", ENOENT, {"No such file or directory"}},
                    RuntimeErrorCase{"PermissionDenied", EACCES, {"Permission denied"}},
                    RuntimeErrorCase{"UnknownNumber", 9999, {strerror(9999)}}),
    [](const testing::TestParamInfo<RuntimeErrorCase>& info) { return std::string(info.param.name); });

TEST(ShowMessageTest, EveryBoxCarriesTheTitleItsStyleAndNoOwner)
{
    fake.Reset();
    fake.answers = {IDCANCEL};
    EXPECT_EQ(ShowMessage("Question?", 0x1021), IDCANCEL);
    ShowInformation("Done.");
    ShowError("Broken.");

    std::vector<std::vector<std::string>> boxes;
    for (const FakeCall& call : fake.CallsOf("MessageBoxA"))
        boxes.push_back(call.args);
    EXPECT_EQ(boxes, (std::vector<std::vector<std::string>>{
                         {"Question?", TEST_TITLE, "0x1021", "(null)"},
                         {"Done.", TEST_TITLE, "0x1040", "(null)"},
                         {"Broken.", TEST_TITLE, "0x1010", "(null)"}}));
}

} // namespace
