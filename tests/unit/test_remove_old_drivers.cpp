// Removal of earlier drivers: which names match, the order of deletion, and the silent failures.
#include "drivers/drivers.h"
#include "tests/unit/world.h"

namespace {

struct NameCase {
    const char* name;
    const char* driverName;
    bool old;
};

class IsOldDriverNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(IsOldDriverNameTest, MatchesEitherPrefixOverItsOwnLength)
{
    EXPECT_EQ(IsOldDriverName(GetParam().driverName) != 0, GetParam().old);
}

INSTANTIATE_TEST_SUITE_P(
    Names, IsOldDriverNameTest,
    testing::Values(NameCase{"FirstPrefixWithModel", "Kaldoran 2400 PS", true},
                    NameCase{"FirstPrefixAlone", "kaldoran", true},
                    NameCase{"FirstPrefixCapitalsAndMore", "KALDORAN-x", true},
                    NameCase{"SecondPrefixWithModel", "TAVIMOR Proof", true},
                    NameCase{"SecondPrefixLowerCase", "tavimor", true},
                    NameCase{"FirstPrefixTooShort", "Kaldora", false},
                    NameCase{"SecondPrefixTooShort", "TAVIMO", false},
                    NameCase{"PrefixNotAtStart", "My Kaldoran", false},
                    NameCase{"BlankInsidePrefix", "Kal doran", false},
                    NameCase{"Empty", "", false},
                    // Only A-Z fold: a Latin-1 capital is not the same letter as its small form.
                    NameCase{"NoFoldingBeyondAscii", "TAVIMOR\xc9", true},
                    NameCase{"HighByteInsidePrefix", "Kald\xd6ran", false},
                    NameCase{"Null", nullptr, false}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

class RemoveOldDriversTest : public testing::Test {
protected:
    void SetUp() override
    {
        fake.Reset();
        for (const char* name : {"Kaldoran 2400 PS", "Other Printer", "tavimor", "My Kaldoran",
                                 "KALDORAN-x"})
            fake.drivers.push_back(FakeDriver{3, name, "Windows x64", "", "", ""});
    }
    std::vector<std::string> Deleted() const
    {
        std::vector<std::string> names;
        for (const FakeCall& call : fake.CallsOf("DeletePrinterDriverA"))
            names.push_back(call.args[2]);
        return names;
    }
    std::vector<std::string> Remaining() const
    {
        std::vector<std::string> names;
        for (const FakeDriver& driver : fake.drivers)
            names.push_back(driver.name);
        return names;
    }
};

TEST_F(RemoveOldDriversTest, DeletesMatchingDriversLastListedFirst)
{
    RemoveOldDrivers();

    EXPECT_EQ(Deleted(), (std::vector<std::string>{"KALDORAN-x", "tavimor", "Kaldoran 2400 PS"}));
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"Other Printer", "My Kaldoran"}));
    for (const FakeCall& call : fake.CallsOf("DeletePrinterDriverA")) {
        EXPECT_EQ(call.args[0], "(null)") << "local machine";
        EXPECT_EQ(call.args[1], "(null)") << "current environment";
    }
    // Size query, then one block of exactly the size asked for, listed into and freed.
    const auto enums = fake.CallsOf("EnumPrinterDriversA");
    ASSERT_EQ(enums.size(), 2u);
    EXPECT_EQ(enums[0].args, (std::vector<std::string>{"(null)", "(null)", "1", "(null)", "0"}));
    const size_t bytes = 5 * sizeof(DRIVER_INFO_1A) + 17 + 14 + 8 + 12 + 11;
    EXPECT_EQ(enums[1].args,
              (std::vector<std::string>{"(null)", "(null)", "1", "buffer", std::to_string(bytes)}));
    EXPECT_EQ(fake.CallsOf("HeapAlloc").at(0).args.at(2), std::to_string(bytes));
    EXPECT_EQ(fake.liveBlocks, 0);
    EXPECT_TRUE(fake.BoxTexts().empty());
}

TEST_F(RemoveOldDriversTest, RefusedDeletionIsPassedOverSilently)
{
    fake.busyDrivers = {"tavimor"};
    RemoveOldDrivers();

    EXPECT_EQ(Deleted(), (std::vector<std::string>{"KALDORAN-x", "tavimor", "Kaldoran 2400 PS"}));
    EXPECT_EQ(Remaining(), (std::vector<std::string>{"Other Printer", "tavimor", "My Kaldoran"}));
    EXPECT_TRUE(fake.BoxTexts().empty());
    EXPECT_TRUE(fake.CallsOf("GetLastError").empty()) << "no failure here is reported";
}

struct SilentStopCase {
    const char* name;
    void (*script)();
    std::vector<std::string> ops;
};

class RemoveOldDriversStopsTest : public RemoveOldDriversTest,
                                  public testing::WithParamInterface<SilentStopCase> {};

TEST_P(RemoveOldDriversStopsTest, RemovesNothingAndSaysNothing)
{
    GetParam().script();
    RemoveOldDrivers();
    EXPECT_EQ(fake.Ops(), GetParam().ops);
    EXPECT_TRUE(Deleted().empty());
    EXPECT_EQ(fake.liveBlocks, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RemoveOldDriversStopsTest,
    testing::Values(
        SilentStopCase{"NoDriversRegistered", [] { fake.drivers.clear(); }, {"EnumPrinterDriversA"}},
        SilentStopCase{"SizeQueryReportsZero", [] { fake.sizeQueryOverride = 0; },
                       {"EnumPrinterDriversA"}},
        SilentStopCase{"SizeQueryFailsOutright", [] { fake.FailCall("EnumPrinterDriversA", 0, 1722); },
                       {"EnumPrinterDriversA"}},
        SilentStopCase{"AllocationFails", [] { fake.FailCall("HeapAlloc", 0, 8); },
                       {"EnumPrinterDriversA", "HeapAlloc"}},
        SilentStopCase{"SecondEnumerationFails",
                       [] { fake.FailCall("EnumPrinterDriversA", 1, 1722); },
                       {"EnumPrinterDriversA", "HeapAlloc", "EnumPrinterDriversA", "HeapFree"}},
        // The list grew between the two calls: the block is too small and there is no retry.
        SilentStopCase{"ListGrewBetweenCalls",
                       [] { fake.sizeQueryOverride = 2 * sizeof(DRIVER_INFO_1A); },
                       {"EnumPrinterDriversA", "HeapAlloc", "EnumPrinterDriversA", "HeapFree"}}),
    [](const testing::TestParamInfo<SilentStopCase>& info) { return std::string(info.param.name); });

} // namespace
