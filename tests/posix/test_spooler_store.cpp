// The spooler's store on its own: what makes a file a store, and the rules of its operations.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/posix/spooler_store.h"
#include "temp_folder.h"

namespace {

DriverRecord Driver(const std::string& name, DWORD version = 3)
{
    DriverRecord driver;
    driver.name = name;
    driver.environment = "Windows x64";
    driver.version = version;
    driver.driverPath = "d/PSCRIPT.DLL";
    driver.dataFile = "d/" + name + ".PPD";
    driver.configFile = "d/PSCRPTUI.DLL";
    return driver;
}

std::vector<std::string> Names(SpoolerStore& store, const char* environment = "Windows x64")
{
    std::vector<DriverRecord> drivers;
    EXPECT_EQ(store.List(environment, drivers), (DWORD)ERROR_SUCCESS);
    std::vector<std::string> names;
    for (const DriverRecord& driver : drivers)
        names.push_back(driver.name);
    return names;
}

// Writes an SQLite database that is not a store of ours.
void MakeForeignDatabase(const std::string& path, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

struct NotAStoreCase {
    const char* name;
    std::function<void(const std::string& path)> make;
};

void PrintTo(const NotAStoreCase& c, std::ostream* out)
{
    *out << c.name;
}

class NotAStoreTest : public testing::TestWithParam<NotAStoreCase> {};

TEST_P(NotAStoreTest, DoesNotOpenAndLeavesTheFileAlone)
{
    TempFolder folder;
    std::string path = folder.path + "spooler.db";
    GetParam().make(path);
    std::string before = TempFolder::Read(path);
    std::vector<std::string> namesBefore = folder.Names();
    {
        SpoolerStore store(path);
        EXPECT_FALSE(store.IsOpen());
    }
    EXPECT_EQ(TempFolder::Read(path), before);
    EXPECT_EQ(folder.Names(), namesBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Files, NotAStoreTest,
    testing::Values(
        NotAStoreCase{"Garbage",
                      [](const std::string& p) {
                          std::ofstream(p) << std::string(5000, 'g');
                      }},
        NotAStoreCase{"EmptyFile", [](const std::string& p) { std::ofstream(p).flush(); }},
        NotAStoreCase{"AnotherProgramsDatabase",
                      [](const std::string& p) {
                          MakeForeignDatabase(p, "CREATE TABLE drivers (x); INSERT INTO drivers "
                                                 "VALUES (1);");
                      }},
        NotAStoreCase{"OurIdButAnotherSchemaVersion",
                      [](const std::string& p) {
                          MakeForeignDatabase(p, "PRAGMA application_id = 1465077836;"
                                                 "PRAGMA user_version = 2;"
                                                 "CREATE TABLE drivers (name);");
                      }}),
    [](const testing::TestParamInfo<NotAStoreCase>& info) { return std::string(info.param.name); });

TEST(SpoolerStoreTest, MadeOnFirstUseAndKeptAcrossOpenings)
{
    TempFolder folder;
    {
        SpoolerStore store(folder.path + "spooler.db");
        ASSERT_TRUE(store.IsOpen());
        EXPECT_EQ(store.Add(Driver("Kaldoran 2400 PS")), (DWORD)ERROR_SUCCESS);
    }
    SpoolerStore again(folder.path + "spooler.db");
    ASSERT_TRUE(again.IsOpen());
    EXPECT_EQ(Names(again), (std::vector<std::string>{"Kaldoran 2400 PS"}));
    // No file of the making is left beside it.
    for (const std::string& name : folder.Names())
        EXPECT_EQ(name.find(".new-"), std::string::npos) << name;
}

TEST(SpoolerStoreTest, ListsByUpperCasedNamePerEnvironment)
{
    TempFolder folder;
    SpoolerStore store(folder.path + "spooler.db");
    ASSERT_TRUE(store.IsOpen());
    for (const char* name : {"b", "A_", "Ab", "a", "[x]"})
        ASSERT_EQ(store.Add(Driver(name)), (DWORD)ERROR_SUCCESS);
    DriverRecord other = Driver("other");
    other.environment = "Windows NT x86";
    ASSERT_EQ(store.Add(other), (DWORD)ERROR_SUCCESS);

    // Upper-cased, '_' and '[' come after the letters, not before as in lower case.
    EXPECT_EQ(Names(store), (std::vector<std::string>{"a", "Ab", "A_", "b", "[x]"}));
    EXPECT_EQ(Names(store, "windows nt X86"), (std::vector<std::string>{"other"}));
}

TEST(SpoolerStoreTest, SameNameInOtherCaseIsReplacedAndKeepsItsPrinters)
{
    TempFolder folder;
    SpoolerStore store(folder.path + "spooler.db");
    ASSERT_TRUE(store.IsOpen());
    ASSERT_EQ(store.Add(Driver("Kaldoran 2400 PS", 3)), (DWORD)ERROR_SUCCESS);
    ASSERT_EQ(store.MarkInUse("Windows x64", "KALDORAN 2400 PS"), (DWORD)ERROR_SUCCESS);
    ASSERT_EQ(store.Add(Driver("kaldoran 2400 ps", 9999)), (DWORD)ERROR_SUCCESS);

    std::vector<DriverRecord> drivers;
    ASSERT_EQ(store.List("Windows x64", drivers), (DWORD)ERROR_SUCCESS);
    ASSERT_EQ(drivers.size(), 1u);
    EXPECT_EQ(drivers[0].name, "kaldoran 2400 ps");
    EXPECT_EQ(drivers[0].version, 9999u);
    EXPECT_EQ(drivers[0].dataFile, "d/kaldoran 2400 ps.PPD");
    EXPECT_TRUE(drivers[0].inUse);
    EXPECT_EQ(store.Delete("Windows x64", "Kaldoran 2400 PS"), (DWORD)ERROR_PRINTER_DRIVER_IN_USE);
}

TEST(SpoolerStoreTest, DeleteKnowsUnknownAndBusy)
{
    TempFolder folder;
    SpoolerStore store(folder.path + "spooler.db");
    ASSERT_TRUE(store.IsOpen());
    ASSERT_EQ(store.Add(Driver("Kaldoran")), (DWORD)ERROR_SUCCESS);
    ASSERT_EQ(store.Add(Driver("Kaldoran Busy")), (DWORD)ERROR_SUCCESS);
    ASSERT_EQ(store.MarkInUse("Windows x64", "Kaldoran Busy"), (DWORD)ERROR_SUCCESS);

    EXPECT_EQ(store.Delete("Windows x64", "nobody"), (DWORD)ERROR_UNKNOWN_PRINTER_DRIVER);
    EXPECT_EQ(store.Delete("Windows NT x86", "Kaldoran"), (DWORD)ERROR_UNKNOWN_PRINTER_DRIVER);
    EXPECT_EQ(store.MarkInUse("Windows x64", "nobody"), (DWORD)ERROR_UNKNOWN_PRINTER_DRIVER);
    EXPECT_EQ(store.Delete("Windows x64", "kaldoran busy"), (DWORD)ERROR_PRINTER_DRIVER_IN_USE);
    EXPECT_EQ(store.Delete("Windows x64", "KALDORAN"), (DWORD)ERROR_SUCCESS);
    EXPECT_EQ(Names(store), (std::vector<std::string>{"Kaldoran Busy"}));
}

} // namespace
