// The run as a whole: quiet mode, the dialogue, the outcome messages, and exit status 0 always.
#include <functional>

#include "tests/unit/world.h"

namespace {

// A machine with one earlier driver and a source folder with two driver files and one PPD.
class RunTest : public WorldTest {
public:
    void SetUp() override
    {
        WorldTest::SetUp();
        fake.modulePath = "C:\\DRV\\folvane-setup.exe";
        fake.listings["C:\\DRV\\PS*.*"] = {{"PSCRIPT.DLL"}, {"PSCRPTUI.DLL"}};
        fake.listings["C:\\DRV\\*.PPD"] = {{"K2400.PPD"}};
        fake.drivers.push_back(FakeDriver{3, "Kaldoran Old", "Windows x64", "", "", ""});
        PlacePpd("K2400.PPD", Ppd("Kaldoran 2400 PS"));
    }
    int Run(const char* argumentText) { return WinMain(NULL, NULL, (LPSTR)argumentText, 1); }
    // Boxes as "STYLE TEXT".
    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> boxes;
        for (const FakeCall& call : fake.CallsOf("MessageBoxA")) {
            EXPECT_EQ(call.args[1], TEST_TITLE);
            boxes.push_back(call.args[2] + " " + call.args[0]);
        }
        return boxes;
    }
    bool Removed() const { return !fake.CallsOf("DeletePrinterDriverA").empty(); }
    bool Copied() const { return !fake.CallsOf("CopyFileA").empty(); }
};

struct RunCase {
    const char* name;
    const char* argumentText;
    std::deque<int> answers;
    std::function<void(RunTest&)> script;
    std::vector<std::string> boxes;
    bool changed; // earlier driver removed and files copied
};

class RunCaseTest : public RunTest, public testing::WithParamInterface<RunCase> {};

TEST_P(RunCaseTest, ShowsTheBoxesAndAlwaysReturnsZero)
{
    const RunCase& c = GetParam();
    fake.answers = c.answers;
    if (c.script)
        c.script(*this);

    EXPECT_EQ(Run(c.argumentText), 0);

    EXPECT_EQ(Boxes(), c.boxes);
    EXPECT_EQ(Removed(), c.changed);
    EXPECT_EQ(Copied(), c.changed);
    EXPECT_EQ(fake.openSearches, 0);
    EXPECT_EQ(fake.liveBlocks, 0);
}

const std::string Q = "0x1021 " + kConfirm;
const std::string S = "0x1040 " + kSuccess;
const std::string F = "0x1010 " + kFailed;

INSTANTIATE_TEST_SUITE_P(
    Runs, RunCaseTest,
    testing::Values(
        RunCase{"OkThenSuccess", "", {IDOK}, nullptr, {Q, S}, true},
        RunCase{"NoArgumentText", nullptr, {IDOK}, nullptr, {Q, S}, true},
        RunCase{"CancelTouchesNothing", "", {IDCANCEL}, nullptr, {Q}, false},
        RunCase{"BoxThatCannotBeShownCountsAsCancel", "", {0}, nullptr, {Q}, false},
        RunCase{"QuietSuccessShowsNothing", "quiet", {}, nullptr, {}, true},
        RunCase{"QuietInCapitals", "QUIET", {}, nullptr, {}, true},
        RunCase{"QuietMixedCase", "Quiet", {}, nullptr, {}, true},
        RunCase{"QuietWithTrailingBlankAsks", "quiet ", {IDCANCEL}, nullptr, {Q}, false},
        RunCase{"DashQuietAsks", "-quiet", {IDCANCEL}, nullptr, {Q}, false},
        RunCase{"SlashQuietAsks", "/quiet", {IDCANCEL}, nullptr, {Q}, false},
        RunCase{"QuotedQuietAsks", "\"quiet\"", {IDCANCEL}, nullptr, {Q}, false},
        RunCase{"QuietNowAsks", "quiet now", {IDCANCEL}, nullptr, {Q}, false},
        RunCase{"QuietFailureStillReports", "quiet", {},
                [](RunTest&) { fake.listings.erase("C:\\DRV\\*.PPD"); },
                {"0x1010 The system cannot find the file specified.", F}, true},
        RunCase{"FailureAfterOk", "", {IDOK},
                [](RunTest&) { fake.FailCall("AddPrinterDriverA", 0, ERROR_ACCESS_DENIED); },
                {Q, "0x1010 Access is denied.", F}, true},
        RunCase{"PpdWithoutNickNameShowsFailureAlone", "quiet", {},
                [](RunTest& t) { t.PlacePpd("K2400.PPD", "*PPD-Adobe: \"4.3\"\n"); }, {F}, true},
        // Removal never stops the run, whatever fails in it.
        RunCase{"RemovalFailureDoesNotStopTheRun", "quiet", {},
                [](RunTest&) { fake.busyDrivers = {"Kaldoran Old"}; }, {}, true},
        RunCase{"ModulePathUnavailable", "", {IDOK},
                [](RunTest&) { fake.FailCall("GetModuleFileNameA", 0, ERROR_ACCESS_DENIED); },
                {"0x1010 Access is denied.", F}, false},
        RunCase{"ModulePathUnavailableErrorZero", "quiet", {},
                [](RunTest&) { fake.FailCall("GetModuleFileNameA", 0, 0); }, {F}, false},
        RunCase{"ModulePathWithoutBackslash", "", {IDOK},
                [](RunTest&) { fake.modulePath = "folvane-setup.exe"; }, {F}, false},
        // A cut path names another folder: it is a failure, not a folder to copy from.
        RunCase{"ModulePathTooLong", "", {IDOK},
                [](RunTest&) { fake.modulePath = "C:\\" + std::string(300, 'd') + "\\setup.exe"; },
                {"0x1010 The data area passed to a system call is too small.", F}, false}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST_F(RunTest, SourceFolderIsTheModulePathCutAfterItsLastBackslash)
{
    fake.modulePath = "C:\\Program Files\\Fol/vane\\setup.exe";
    fake.listings = {{"C:\\Program Files\\Fol/vane\\PS*.*", {{"PSCRIPT.DLL"}}}};
    Run("quiet");
    const auto modules = fake.CallsOf("GetModuleFileNameA");
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].args, (std::vector<std::string>{"(null)", "259"}));
    ASSERT_FALSE(fake.CallsOf("CopyFileA").empty());
    EXPECT_EQ(fake.CallsOf("CopyFileA")[0].args[0], "C:\\Program Files\\Fol/vane\\PSCRIPT.DLL");
}

TEST_F(RunTest, ModulePathOfExactly258CharactersIsUsed)
{
    // 258 characters and a NUL fill the 259 bytes asked for: the longest path that is whole.
    std::string folder = "C:\\" + std::string(258 - 3 - 10, 'd') + "\\";
    fake.modulePath = folder + "setup.exe";
    ASSERT_EQ(fake.modulePath.size(), 258u);
    fake.listings = {};
    Run("quiet");
    ASSERT_EQ(fake.CallsOf("FindFirstFileA").size(), 1u);
    EXPECT_EQ(fake.CallsOf("FindFirstFileA")[0].args[0], folder + "PS*.*");
}

TEST_F(RunTest, OrderOfTheRun)
{
    fake.answers = {IDOK};
    Run("");
    std::vector<std::string> ops = fake.Ops({"FindNextFileA", "CopyFileA", "SetFileAttributesA",
                                             "FindFirstFileA", "FindClose", "HeapAlloc", "HeapFree"});
    EXPECT_EQ(ops, (std::vector<std::string>{"GetModuleFileNameA", "MessageBoxA",
                                             "EnumPrinterDriversA", "EnumPrinterDriversA",
                                             "DeletePrinterDriverA", "GetPrinterDriverDirectoryA",
                                             "AddPrinterDriverA", "MessageBoxA"}));
}

} // namespace
