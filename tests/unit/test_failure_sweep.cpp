// The failure sweep: take one reference run, then run it again once for every platform call it
// made, with that call failing (with a last error, and with none), and check what is left: the
// right boxes, every search closed once and after its report, the enumeration block freed, the
// PPD file closed, every registration made before the failure still there, nothing attempted
// after it. Then the same for the PPD reader's own failures, provoked for real.
#include <dirent.h>

#include <functional>

#include "tests/unit/world.h"

namespace {

const std::set<std::string> kRemovalOps = {"EnumPrinterDriversA", "HeapAlloc", "HeapFree",
                                           "DeletePrinterDriverA"};
const std::set<std::string> kReportOps = {"GetLastError", "FormatMessageA", "MessageBoxA"};

int OpenDescriptors()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            count++;
        closedir(dir);
    }
    return count;
}

class SweepWorld : public WorldTest {
public:
    void SetUp() override
    {
        WorldTest::SetUp();
        fake.listings["C:\\DRV\\PS*.*"] = {{"PSCRIPT.DLL"}, {"PSCRPTUI.DLL"}, {"PSREADME.TXT"}};
        fake.listings["C:\\DRV\\*.PPD"] = {{"K2400.PPD"}, {"K3600.PPD"}, {"TPROOF.PPD"}};
        for (const char* name : {"Kaldoran 1200", "Other Printer", "TAVIMOR Old"})
            fake.drivers.push_back(FakeDriver{3, name, "Windows x64", "", "", ""});
        PlacePpd("K2400.PPD", Ppd("Kaldoran 2400 PS"));
        PlacePpd("K3600.PPD", Ppd("Kaldoran 3600 PS"));
        PlacePpd("TPROOF.PPD", Ppd("TAVIMOR Proof"));
    }

    // Runs the setup interactively with OK, checks what must hold after any run, and returns the
    // recorded calls.
    std::vector<FakeCall> RunAndCheckInvariants()
    {
        int descriptors = OpenDescriptors();
        EXPECT_EQ(WinMain(NULL, NULL, (LPSTR) "", 1), 0);
        EXPECT_EQ(OpenDescriptors(), descriptors) << "a PPD file was left open";
        EXPECT_EQ(fake.openSearches, 0);
        EXPECT_EQ(fake.CallsOf("FindClose").size(), (size_t)fake.searchesOpened)
            << "every search is closed exactly once";
        EXPECT_EQ(fake.liveBlocks, 0) << "the enumeration block is freed";
        // Every registration the spooler accepted is still there at the end: nothing undone.
        for (const FakeCall& add : fake.CallsOf("AddPrinterDriverA")) {
            if (add.failed)
                continue;
            bool present = false;
            for (const FakeDriver& driver : fake.drivers)
                present |= driver.name == add.args[3];
            EXPECT_TRUE(present) << add.args[3];
        }
        return fake.calls;
    }

    static std::vector<std::string> Boxes(const std::vector<FakeCall>& calls)
    {
        std::vector<std::string> boxes;
        for (const FakeCall& call : calls)
            if (call.op == "MessageBoxA")
                boxes.push_back(call.args[0]);
        return boxes;
    }

    static std::vector<std::string> Registered(const std::vector<FakeCall>& calls, size_t before)
    {
        std::vector<std::string> names;
        for (size_t i = 0; i < calls.size() && i < before; i++)
            if (calls[i].op == "AddPrinterDriverA" && !calls[i].failed)
                names.push_back(calls[i].args[3]);
        return names;
    }
};

TEST_F(SweepWorld, EveryCallFailingInTurn)
{
    const std::vector<FakeCall> reference = RunAndCheckInvariants();
    ASSERT_EQ(Boxes(reference), (std::vector<std::string>{kConfirm, kSuccess}));
    ASSERT_EQ(Registered(reference, reference.size()).size(), 3u);
    size_t ppdPassStart = 0;
    for (size_t i = 0, searches = 0; i < reference.size(); i++)
        if (reference[i].op == "FindFirstFileA" && ++searches == 2)
            ppdPassStart = i;
    ASSERT_GT(ppdPassStart, 0u);

    for (size_t k = 0; k < reference.size(); k++) {
        const std::string op = reference[k].op;
        for (DWORD error : {(DWORD)ERROR_ACCESS_DENIED, (DWORD)0}) {
            SCOPED_TRACE("call " + std::to_string(k) + " " + op + " fails, last error " +
                         std::to_string(error));
            ResetWorld();
            SetUp();
            fake.FailCall("", (int)k, error);
            const std::vector<FakeCall> calls = RunAndCheckInvariants();
            ASSERT_GT(calls.size(), k);
            ASSERT_EQ(calls[k].op, op) << "the run is the same up to the failure";
            ASSERT_TRUE(calls[k].failed);

            const bool isConfirmation = op == "MessageBoxA" && k == 1;
            const bool notAFailure = kRemovalOps.count(op) || op == "FindClose" ||
                                     op == "FindNextFileA" || (op == "MessageBoxA" && !isConfirmation);
            std::vector<std::string> boxes;
            std::vector<std::string> registered;
            if (isConfirmation) {
                // A box that cannot be shown is Cancel: nothing after it.
                boxes = {kConfirm};
                EXPECT_EQ(calls.size(), k + 1);
            } else if (notAFailure) {
                // Removal never fails the run; a search ends where FindNextFileA says it does.
                boxes = {kConfirm, kSuccess};
                registered = (op == "FindNextFileA" && k > ppdPassStart)
                                 ? Registered(reference, k)
                                 : Registered(reference, reference.size());
            } else {
                if (op != "GetModuleFileNameA")
                    boxes.push_back(kConfirm);
                if (error != 0)
                    boxes.push_back("Access is denied.");
                boxes.push_back(kFailed);
                registered = Registered(reference, k);
                // Nothing attempted after the failure but its report and the search's close,
                // and the close after the report.
                bool closed = false;
                for (size_t i = k + 1; i < calls.size(); i++) {
                    if (calls[i].op == "FindClose") {
                        EXPECT_FALSE(closed);
                        closed = true;
                        if (error != 0)
                            EXPECT_EQ(calls[i - 1].op, "MessageBoxA") << "report before close";
                    } else {
                        EXPECT_TRUE(kReportOps.count(calls[i].op)) << calls[i].op << " after failure";
                    }
                }
                if (error != 0)
                    EXPECT_EQ(calls[k + 1].op, "GetLastError") << "the code read is the failing call's";
            }
            EXPECT_EQ(Boxes(calls), boxes);
            EXPECT_EQ(Registered(calls, calls.size()), registered);
        }
    }
}

// The reader's own failures, one PPD at a time: a copy that cannot be opened, and one that
// opens but cannot be read.
struct ReaderFault {
    const char* name;
    std::function<void(SweepWorld&, const std::string&)> spoil;
    std::string text;
};

class ReaderFaultSweep : public SweepWorld, public testing::WithParamInterface<ReaderFault> {};

TEST_P(ReaderFaultSweep, EachPpdInTurn)
{
    const std::vector<std::string> ppds = {"K2400.PPD", "K3600.PPD", "TPROOF.PPD"};
    const std::vector<std::string> names = {"Kaldoran 2400 PS", "Kaldoran 3600 PS", "TAVIMOR Proof"};
    for (size_t i = 0; i < ppds.size(); i++) {
        SCOPED_TRACE(ppds[i]);
        ResetWorld();
        SetUp();
        GetParam().spoil(*this, DriverDirectory() + ppds[i]);
        const std::vector<FakeCall> calls = RunAndCheckInvariants();
        EXPECT_EQ(Boxes(calls), (std::vector<std::string>{kConfirm, GetParam().text, kFailed}));
        EXPECT_EQ(Registered(calls, calls.size()),
                  std::vector<std::string>(names.begin(), names.begin() + i));
        EXPECT_EQ(calls.back().op, "MessageBoxA");
        EXPECT_EQ(calls[calls.size() - 2].op, "FindClose") << "the PPD search is closed";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReaderFaultSweep,
    testing::Values(ReaderFault{"CannotBeOpened",
                                [](SweepWorld&, const std::string& path) {
                                    std::filesystem::remove(path);
                                },
                                "No such file or directory"},
                    ReaderFault{"CannotBeRead",
                                [](SweepWorld&, const std::string& path) {
                                    std::filesystem::remove(path);
                                    std::filesystem::create_directory(path);
                                },
                                "Is a directory"}),
    [](const testing::TestParamInfo<ReaderFault>& info) { return std::string(info.param.name); });

} // namespace
