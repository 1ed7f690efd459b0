// A scripted stand-in for the Windows services, linked into the unit tests in place of a real
// platform. Each test sets up the world it needs in `fake` (listings, drivers, answers, failures),
// runs the code under test, and reads back `fake.calls`: every platform call in order, with its
// arguments written out as text.
#ifndef FOLVANE_TESTS_FAKE_PLATFORM_H
#define FOLVANE_TESTS_FAKE_PLATFORM_H

#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

struct FakeEntry {
    std::string name;
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
};

struct FakeDriver {
    DWORD version = 0;
    std::string name, environment, driverPath, dataFile, configFile;
};

// One platform call. `op` is the function's name; `args` its interesting arguments.
struct FakeCall {
    std::string op;
    std::vector<std::string> args;
    bool failed = false;
};

// Makes a call fail: the n-th (0-based) call of `op`, or, with op empty, the n-th recorded call
// of any kind. The call returns its failure value with last error `error`.
struct FakeFailure {
    std::string op;
    int occurrence = 0;
    DWORD error = 0;
};

struct FakePlatform {
    // GetModuleFileNameA
    std::string modulePath = "C:\\DRV\\folvane-setup.exe";
    // GetCommandLineA
    std::string commandLine;
    // IsDBCSLeadByte: the lead bytes of the ANSI code page (empty: a single-byte code page)
    std::set<unsigned char> leadBytes;
    // GetPrinterDriverDirectoryA
    std::string driverDirectory = "C:\\WINDOWS\\system32\\spool\\DRIVERS\\x64";
    // FindFirstFileA: the entries each pattern delivers, in delivery order. A pattern that is not
    // here matches nothing (error 2).
    std::map<std::string, std::vector<FakeEntry>> listings;
    // The spooler's drivers, in enumeration order; AddPrinterDriverA appends or replaces.
    std::vector<FakeDriver> drivers;
    // EnumPrinterDriversA: when set, the size query reports this instead of the true size.
    long sizeQueryOverride = -1;
    // DeletePrinterDriverA refuses these names with 3001.
    std::set<std::string> busyDrivers;
    // MessageBoxA answers, in order; past the end every box is answered with IDOK.
    std::deque<int> answers;
    // FormatMessageA texts by code (each should end in CR LF as the system's do).
    std::map<DWORD, std::string> systemTexts;
    std::vector<FakeFailure> failures;

    // Recorded
    std::vector<FakeCall> calls;
    DWORD lastError = 0;
    int openSearches = 0;   // open now
    int searchesOpened = 0; // ever opened
    int liveBlocks = 0;

    void Reset();
    // The calls of one kind, in order.
    std::vector<FakeCall> CallsOf(const std::string& op) const;
    // Names of the recorded calls, in order ("CopyFileA", ...), optionally leaving some out.
    std::vector<std::string> Ops(const std::set<std::string>& leaveOut = {}) const;
    // The texts of every box shown, in order.
    std::vector<std::string> BoxTexts() const;
    void FailCall(const std::string& op, int occurrence, DWORD error)
    {
        failures.push_back({op, occurrence, error});
    }
};

extern FakePlatform fake;

// The system texts the fake knows by default (English, as Windows words them).
std::map<DWORD, std::string> DefaultSystemTexts();

#endif
