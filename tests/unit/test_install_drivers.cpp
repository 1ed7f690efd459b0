// Installation: paths, order, attributes, registrations, and every way it stops.
#include <algorithm>
#include <functional>

#include "drivers/drivers.h"
#include "tests/unit/world.h"

namespace {

const char kSource[] = "C:\\DRV\\";
const char kPsPattern[] = "C:\\DRV\\PS*.*";
const char kPpdPattern[] = "C:\\DRV\\*.PPD";
const std::set<std::string> kReportCalls = {"GetLastError", "FormatMessageA", "MessageBoxA"};

class InstallTest : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        fake.listings[kPsPattern] = {{"PSCRIPT.DLL"}, {"PSCRPTUI.DLL"}};
        fake.listings[kPpdPattern] = {{"A.PPD"}, {"B.PPD"}};
        PlacePpd("A.PPD", Ppd("Kaldoran 2400 PS"));
        PlacePpd("B.PPD", Ppd("Kaldoran 3600 PS"));
    }
    std::vector<std::string> Registered() const
    {
        std::vector<std::string> names;
        for (const FakeCall& call : fake.CallsOf("AddPrinterDriverA"))
            if (!call.failed)
                names.push_back(call.args[3]);
        return names;
    }
    std::vector<std::string> CopiedNames() const
    {
        std::vector<std::string> names;
        for (const FakeCall& call : fake.CallsOf("CopyFileA"))
            if (!call.failed)
                names.push_back(call.args[1].substr(DriverDirectory().size()));
        return names;
    }
};

TEST_F(InstallTest, CopiesDriverFilesFirstThenEachPpdWithItsRegistration)
{
    ASSERT_EQ(InstallDrivers(kSource), 1);

    EXPECT_EQ(fake.Ops(), (std::vector<std::string>{
                              "GetPrinterDriverDirectoryA",
                              "FindFirstFileA", "CopyFileA", "SetFileAttributesA",
                              "FindNextFileA", "CopyFileA", "SetFileAttributesA",
                              "FindNextFileA", "FindClose",
                              "FindFirstFileA", "CopyFileA", "SetFileAttributesA", "AddPrinterDriverA",
                              "FindNextFileA", "CopyFileA", "SetFileAttributesA", "AddPrinterDriverA",
                              "FindNextFileA", "FindClose"}));
    EXPECT_EQ(fake.CallsOf("GetPrinterDriverDirectoryA").at(0).args,
              (std::vector<std::string>{"(null)", "(null)", "1", "260"}));

    const std::string dir = DriverDirectory();
    std::vector<std::vector<std::string>> copies;
    for (const FakeCall& call : fake.CallsOf("CopyFileA"))
        copies.push_back(call.args);
    EXPECT_EQ(copies, (std::vector<std::vector<std::string>>{
                          {"C:\\DRV\\PSCRIPT.DLL", dir + "PSCRIPT.DLL", "0"},
                          {"C:\\DRV\\PSCRPTUI.DLL", dir + "PSCRPTUI.DLL", "0"},
                          {"C:\\DRV\\A.PPD", dir + "A.PPD", "0"},
                          {"C:\\DRV\\B.PPD", dir + "B.PPD", "0"}}));
    // Each copy is left with the archive attribute alone, whatever the source carried.
    for (const FakeCall& call : fake.CallsOf("SetFileAttributesA"))
        EXPECT_EQ(call.args[1], "0x0020");

    std::vector<std::vector<std::string>> registrations;
    for (const FakeCall& call : fake.CallsOf("AddPrinterDriverA"))
        registrations.push_back(call.args);
    EXPECT_EQ(registrations,
              (std::vector<std::vector<std::string>>{
                  {"(null)", "2", "9999", "Kaldoran 2400 PS", "(null)", dir + "PSCRIPT.DLL",
                   dir + "A.PPD", dir + "PSCRPTUI.DLL"},
                  {"(null)", "2", "9999", "Kaldoran 3600 PS", "(null)", dir + "PSCRIPT.DLL",
                   dir + "B.PPD", dir + "PSCRPTUI.DLL"}}));
    EXPECT_TRUE(fake.BoxTexts().empty());
    EXPECT_EQ(fake.openSearches, 0);
}

struct SeparatorCase {
    const char* name;
    std::string sourceFolder;
    std::string driverDirectory;
    std::string psPattern;
    std::string copySource;
    std::string copyDestination;
};

class InstallSeparatorTest : public InstallTest, public testing::WithParamInterface<SeparatorCase> {};

TEST_P(InstallSeparatorTest, JoinsWithExactlyOneSeparator)
{
    const SeparatorCase& c = GetParam();
    fake.driverDirectory = c.driverDirectory;
    fake.listings = {{c.psPattern, {{"PSCRIPT.DLL"}}}};

    InstallDrivers(c.sourceFolder.c_str());

    ASSERT_FALSE(fake.CallsOf("CopyFileA").empty());
    const FakeCall copy = fake.CallsOf("CopyFileA").at(0);
    EXPECT_EQ(copy.args[0], c.copySource);
    EXPECT_EQ(copy.args[1], c.copyDestination);
    // The PPD pass uses the same source prefix.
    const auto searches = fake.CallsOf("FindFirstFileA");
    ASSERT_EQ(searches.size(), 2u);
    EXPECT_EQ(searches[1].args[0], c.psPattern.substr(0, c.psPattern.size() - 5) + "*.PPD");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, InstallSeparatorTest,
    testing::Values(
        SeparatorCase{"TrailingBackslash", "C:\\DRV\\", "D:\\SPOOL\\", "C:\\DRV\\PS*.*",
                      "C:\\DRV\\PSCRIPT.DLL", "D:\\SPOOL\\PSCRIPT.DLL"},
        SeparatorCase{"NoTrailingSeparator", "C:\\DRV", "D:\\SPOOL", "C:\\DRV\\PS*.*",
                      "C:\\DRV\\PSCRIPT.DLL", "D:\\SPOOL\\PSCRIPT.DLL"},
        SeparatorCase{"TrailingForwardSlash", "C:/DRV/", "/var/spool/x64/", "C:/DRV/PS*.*",
                      "C:/DRV/PSCRIPT.DLL", "/var/spool/x64/PSCRIPT.DLL"},
        SeparatorCase{"ForwardSlashInsideOnly", "/srv/drv", "/var/spool/x64", "/srv/drv\\PS*.*",
                      "/srv/drv\\PSCRIPT.DLL", "/var/spool/x64\\PSCRIPT.DLL"}),
    [](const testing::TestParamInfo<SeparatorCase>& info) { return std::string(info.param.name); });

TEST_F(InstallTest, SkipsFoldersInBothPasses)
{
    fake.listings[kPsPattern] = {{"PSDIR", FILE_ATTRIBUTE_DIRECTORY}, {"PSCRIPT.DLL"}};
    fake.listings[kPpdPattern] = {{"OLD.PPD", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE},
                                  {"A.PPD"}};
    ASSERT_EQ(InstallDrivers(kSource), 1);
    EXPECT_EQ(CopiedNames(), (std::vector<std::string>{"PSCRIPT.DLL", "A.PPD"}));
    EXPECT_EQ(Registered(), std::vector<std::string>{"Kaldoran 2400 PS"});
}

TEST_F(InstallTest, DriverFilesThatAreAllFoldersAreNoFailure)
{
    fake.listings[kPsPattern] = {{".", FILE_ATTRIBUTE_DIRECTORY}, {"PSFOLDER", FILE_ATTRIBUTE_DIRECTORY}};
    ASSERT_EQ(InstallDrivers(kSource), 1);
    EXPECT_EQ(CopiedNames(), (std::vector<std::string>{"A.PPD", "B.PPD"}));
    EXPECT_TRUE(fake.BoxTexts().empty());
}

TEST_F(InstallTest, PpdMatchingBothPatternsIsCopiedTwiceAndRegisteredOnce)
{
    fake.listings[kPsPattern] = {{"PSCRIPT.DLL"}, {"PSMODEL.PPD"}};
    fake.listings[kPpdPattern] = {{"PSMODEL.PPD"}};
    PlacePpd("PSMODEL.PPD", Ppd("Tavimor Proof"));
    ASSERT_EQ(InstallDrivers(kSource), 1);
    EXPECT_EQ(CopiedNames(), (std::vector<std::string>{"PSCRIPT.DLL", "PSMODEL.PPD", "PSMODEL.PPD"}));
    EXPECT_EQ(Registered(), std::vector<std::string>{"Tavimor Proof"});
}

TEST_F(InstallTest, TwoPpdsWithOneNicknameAreBothRequested)
{
    PlacePpd("B.PPD", Ppd("Kaldoran 2400 PS"));
    ASSERT_EQ(InstallDrivers(kSource), 1);
    EXPECT_EQ(Registered(), (std::vector<std::string>{"Kaldoran 2400 PS", "Kaldoran 2400 PS"}));
    ASSERT_EQ(fake.drivers.size(), 1u) << "the spooler replaced the first with the second";
    EXPECT_EQ(fake.drivers[0].dataFile, DriverDirectory() + "B.PPD");
}

TEST_F(InstallTest, FailureAtTheThirdOfFivePpdsKeepsWhatWasDone)
{
    fake.listings[kPpdPattern] = {{"1.PPD"}, {"2.PPD"}, {"3.PPD"}, {"4.PPD"}, {"5.PPD"}};
    for (int i = 1; i <= 5; i++)
        PlacePpd(std::to_string(i) + ".PPD", Ppd("Model " + std::to_string(i)));
    fake.FailCall("AddPrinterDriverA", 2, ERROR_ACCESS_DENIED);

    EXPECT_EQ(InstallDrivers(kSource), 0);
    EXPECT_EQ(Registered(), (std::vector<std::string>{"Model 1", "Model 2"}));
    EXPECT_EQ(CopiedNames(),
              (std::vector<std::string>{"PSCRIPT.DLL", "PSCRPTUI.DLL", "1.PPD", "2.PPD", "3.PPD"}));
    EXPECT_EQ(fake.BoxTexts(), std::vector<std::string>{"Access is denied."});
    EXPECT_TRUE(fake.CallsOf("DeletePrinterDriverA").empty()) << "nothing is undone";
}

// ---- every way the installation stops ----------------------------------------------------------

struct StopCase {
    const char* name;
    std::function<void(InstallTest&)> script;
    std::vector<std::string> boxes;
    std::vector<std::string> registered;
};

class InstallStopTest : public InstallTest, public testing::WithParamInterface<StopCase> {};

TEST_P(InstallStopTest, ReportsFirstThenClosesAndStops)
{
    GetParam().script(*this);

    EXPECT_EQ(InstallDrivers(kSource), 0);

    EXPECT_EQ(fake.BoxTexts(), GetParam().boxes);
    for (const FakeCall& box : fake.CallsOf("MessageBoxA"))
        EXPECT_EQ(box.args[2], "0x1010");
    EXPECT_EQ(Registered(), GetParam().registered);
    EXPECT_EQ(fake.openSearches, 0);
    EXPECT_EQ(fake.CallsOf("FindClose").size(), (size_t)fake.searchesOpened)
        << "a search that opened is closed exactly once";

    // After the operation that stopped the run: only its report, then the search's close.
    auto lastWork = std::find_if(fake.calls.rbegin(), fake.calls.rend(), [](const FakeCall& c) {
        return !kReportCalls.count(c.op) && c.op != "FindClose";
    });
    std::vector<std::string> tail;
    for (auto it = lastWork.base(); it != fake.calls.end(); ++it)
        tail.push_back(it->op);
    if (!tail.empty() && tail.back() == "FindClose")
        tail.pop_back();
    for (const std::string& op : tail)
        EXPECT_TRUE(kReportCalls.count(op)) << op << " after the failure";
    if (!GetParam().boxes.empty() && !fake.CallsOf("FindClose").empty() &&
        fake.calls.back().op == "FindClose")
        EXPECT_EQ(fake.calls[fake.calls.size() - 2].op, "MessageBoxA") << "report before close";
}

const std::string kNotFound = "The system cannot find the file specified.";

INSTANTIATE_TEST_SUITE_P(
    Failures, InstallStopTest,
    testing::Values(
        StopCase{"DriverDirectoryUnavailable",
                 [](InstallTest&) { fake.FailCall("GetPrinterDriverDirectoryA", 0, 1722); },
                 {"The RPC server is unavailable."}, {}},
        StopCase{"DriverDirectoryTooLongForBuffer",
                 [](InstallTest&) { fake.driverDirectory = std::string(300, 'd'); },
                 {"The data area passed to a system call is too small."}, {}},
        StopCase{"DriverDirectoryEmpty", [](InstallTest&) { fake.driverDirectory = ""; },
                 {"The system cannot find the path specified."}, {}},
        StopCase{"NoDriverFiles", [](InstallTest&) { fake.listings.erase(kPsPattern); },
                 {kNotFound}, {}},
        StopCase{"DriverFileSearchFails",
                 [](InstallTest&) { fake.FailCall("FindFirstFileA", 0, ERROR_PATH_NOT_FOUND); },
                 {"The system cannot find the path specified."}, {}},
        StopCase{"DriverFileCopyRefused",
                 [](InstallTest&) { fake.FailCall("CopyFileA", 1, ERROR_DISK_FULL); },
                 {"There is not enough space on the disk."}, {}},
        StopCase{"DriverFileAttributesRefused",
                 [](InstallTest&) { fake.FailCall("SetFileAttributesA", 0, ERROR_ACCESS_DENIED); },
                 {"Access is denied."}, {}},
        StopCase{"NoPpd", [](InstallTest&) { fake.listings.erase(kPpdPattern); }, {kNotFound}, {}},
        StopCase{"PpdCopyRefused",
                 [](InstallTest&) { fake.FailCall("CopyFileA", 3, ERROR_ACCESS_DENIED); },
                 {"Access is denied."}, {"Kaldoran 2400 PS"}},
        StopCase{"PpdAttributesRefused",
                 [](InstallTest&) { fake.FailCall("SetFileAttributesA", 2, ERROR_ACCESS_DENIED); },
                 {"Access is denied."}, {}},
        StopCase{"RegistrationRefused",
                 [](InstallTest&) { fake.FailCall("AddPrinterDriverA", 0, 1797); },
                 {"The printer driver is unknown."}, {}},
        StopCase{"FailureWithLastErrorZeroShowsNothing",
                 [](InstallTest&) { fake.FailCall("CopyFileA", 0, 0); }, {}, {}},
        StopCase{"PpdWithoutNickNameShowsNothing",
                 [](InstallTest& t) { t.PlacePpd("B.PPD", "*PPD-Adobe: \"4.3\"\n"); }, {},
                 {"Kaldoran 2400 PS"}},
        // A PPD whose keyword line yields no value is not registered under the previous PPD's
        // name, nor under an empty one.
        StopCase{"PpdWithEmptyValueIsNotRegistered",
                 [](InstallTest& t) { t.PlacePpd("B.PPD", "*NickName: \"\"\n"); }, {},
                 {"Kaldoran 2400 PS"}},
        StopCase{"FirstPpdWithCapitalKeywordIsNotRegistered",
                 [](InstallTest& t) { t.PlacePpd("A.PPD", "*NICKNAME: \"Caps\"\n"); }, {}, {}},
        StopCase{"PpdCopyMissing",
                 [](InstallTest& t) {
                     std::filesystem::remove(t.DriverDirectory() + "B.PPD");
                 },
                 {"No such file or directory"}, {"Kaldoran 2400 PS"}},
        // Folders alone in the PPD pass would otherwise report success with nothing registered.
        StopCase{"PpdPassFindsOnlyFolders",
                 [](InstallTest&) {
                     fake.listings[kPpdPattern] = {{"OLD.PPD", FILE_ATTRIBUTE_DIRECTORY}};
                 },
                 {kNotFound}, {}},
        StopCase{"JoinedSourcePathTooLong",
                 [](InstallTest&) {
                     fake.listings[kPsPattern] = {{std::string(255, 'P')}};
                 },
                 {"The filename or extension is too long."}, {}}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

struct InvalidSourceCase {
    const char* name;
    const char* source;
};

class InstallInvalidSourceTest : public InstallTest,
                                 public testing::WithParamInterface<InvalidSourceCase> {};

TEST_P(InstallInvalidSourceTest, RefusesBeforeAnyPlatformCall)
{
    EXPECT_EQ(InstallDrivers(GetParam().source), 0);
    EXPECT_EQ(fake.Ops(), std::vector<std::string>{"MessageBoxA"});
    EXPECT_EQ(fake.BoxTexts(), std::vector<std::string>{"Invalid Parameter"});
}

INSTANTIATE_TEST_SUITE_P(Sources, InstallInvalidSourceTest,
                         testing::Values(InvalidSourceCase{"Empty", ""},
                                         InvalidSourceCase{"Missing", nullptr}),
                         [](const testing::TestParamInfo<InvalidSourceCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
