// The stand-in spooler's registrations, kept in an SQLite database in the machine root. Both the
// winspool functions and spoolctl go through this, so there is one idea of what a registration
// is and of how the store is guarded.
//
// Every operation is one transaction, committed before it returns: a registration reported made
// is in the database file (WAL) when the call returns, and survives the process being killed the
// next instant. Processes share the store through SQLite's locks; a writer waits for another
// (busy timeout) instead of failing, so concurrent runs never lose each other's registrations.
#ifndef FOLVANE_PLATFORM_POSIX_SPOOLER_STORE_H
#define FOLVANE_PLATFORM_POSIX_SPOOLER_STORE_H

#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"

struct sqlite3;
struct sqlite3_stmt;

struct DriverRecord {
    std::string name;
    std::string environment;
    DWORD version = 0;
    std::string driverPath;
    std::string dataFile;
    std::string configFile;
    bool inUse = false;
};

class SpoolerStore {
public:
    // Opens the store at path, creating it when no file is there. A file that is there but is
    // not a store of ours (another database, garbage, an empty file) is left byte for byte as it
    // is, and the store does not open.
    explicit SpoolerStore(const std::string& path);
    ~SpoolerStore();
    SpoolerStore(const SpoolerStore&) = delete;
    SpoolerStore& operator=(const SpoolerStore&) = delete;

    bool IsOpen() const { return db_ != nullptr; }

    // Each returns ERROR_SUCCESS or the Windows code for the failure.

    // The drivers of an environment, ordered by their upper-cased names, as the registry keeps
    // its keys.
    DWORD List(const std::string& environment, std::vector<DriverRecord>& drivers);
    // Registers a driver; one of the same name (letter case ignored) in the same environment is
    // replaced, and keeps its printers.
    DWORD Add(const DriverRecord& driver);
    // 1797 when no such driver is registered, 3001 when a printer uses it.
    DWORD Delete(const std::string& environment, const std::string& name);
    // Marks a driver as used by a printer; 1797 when no such driver is registered.
    DWORD MarkInUse(const std::string& environment, const std::string& name);

private:
    sqlite3* db_ = nullptr;
    // A setup registers one driver after another: the statement is compiled once per process.
    sqlite3_stmt* add_ = nullptr;
    std::mutex lock_; // one transaction at a time on this connection
};

// The process's store at StorePath(), opened on first use and kept open for the process's life.
// NULL, with error set to the Windows code (1722), when it cannot be opened; the next call
// tries again.
SpoolerStore* ProcessStore(DWORD& error);

#endif
