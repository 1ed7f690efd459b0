#include "platform/posix/spooler_store.h"

#include <errno.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "platform/posix/errors.h"
#include "platform/posix/machine.h"
#include "platform/posix/wildcard.h"

namespace {

// Marks the file as a store of ours ("WSPL"), so that another program's database at the same
// path is refused instead of being written into.
const int kApplicationId = 0x5753504c;
const int kSchemaVersion = 1;
// Long enough for any other process's single short transaction to end.
const int kBusyTimeoutMs = 30000;

const char kSchema[] =
    "PRAGMA application_id = 1465077836;"
    "PRAGMA user_version = 1;"
    "PRAGMA journal_mode = WAL;"
    "CREATE TABLE drivers ("
    "  environment TEXT NOT NULL COLLATE NOCASE,"
    "  name TEXT NOT NULL COLLATE NOCASE,"
    "  version INTEGER NOT NULL,"
    "  driver_path TEXT NOT NULL,"
    "  data_file TEXT NOT NULL,"
    "  config_file TEXT NOT NULL,"
    "  in_use INTEGER NOT NULL DEFAULT 0,"
    "  PRIMARY KEY (environment, name)"
    ");";
static_assert(kApplicationId == 1465077836, "the schema text repeats the application id");

const char kColumns[] = "name, environment, version, driver_path, data_file, config_file, in_use";

// A prepared statement that finalizes itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK)
            statement_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return statement_ != nullptr; }
    sqlite3_stmt* operator*() const { return statement_; }
    void Bind(int index, const std::string& text)
    {
        sqlite3_bind_text(statement_, index, text.c_str(), (int)text.size(), SQLITE_TRANSIENT);
    }
    void Bind(int index, long long value) { sqlite3_bind_int64(statement_, index, value); }
    int Step() { return sqlite3_step(statement_); }
    std::string Text(int column) const
    {
        const unsigned char* text = sqlite3_column_text(statement_, column);
        return text ? std::string((const char*)text, (size_t)sqlite3_column_bytes(statement_, column))
                    : std::string();
    }
    long long Integer(int column) const { return sqlite3_column_int64(statement_, column); }

private:
    sqlite3_stmt* statement_ = nullptr;
};

// What a caller of the spooler would see for an SQLite failure: a store it may not write to is
// "Access is denied."; anything else means the spooler cannot do its work.
DWORD ErrorFromSqlite(int result)
{
    switch (result & 0xff) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
        return ERROR_SUCCESS;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return RPC_S_SERVER_UNAVAILABLE;
    }
}

int PragmaValue(sqlite3* db, const char* sql, int& value)
{
    Statement statement(db, sql);
    if (!statement.Ok())
        return sqlite3_errcode(db);
    int result = statement.Step();
    if (result != SQLITE_ROW)
        return result;
    value = (int)statement.Integer(0);
    return SQLITE_OK;
}

// Only reads: a file that fails here must stay as it was.
bool IsOurStore(sqlite3* db)
{
    int applicationId = 0, schemaVersion = 0;
    if (PragmaValue(db, "PRAGMA application_id", applicationId) != SQLITE_OK ||
        PragmaValue(db, "PRAGMA user_version", schemaVersion) != SQLITE_OK)
        return false;
    if (applicationId != kApplicationId || schemaVersion != kSchemaVersion)
        return false;
    std::string probe = std::string("SELECT ") + kColumns + " FROM drivers LIMIT 0";
    Statement statement(db, probe.c_str());
    if (!statement.Ok())
        return false;
    // SQLite notices a damaged page only when a statement walks over it, and an insert walks
    // only the pages on its way: without this a registration could be committed into a file
    // whose other pages are broken, and reported made. The store is a few pages, so reading
    // them all on every open costs nothing worth saving.
    Statement check(db, "PRAGMA quick_check(1)");
    return check.Ok() && check.Step() == SQLITE_ROW && check.Text(0) == "ok" &&
           check.Step() == SQLITE_DONE;
}

// Builds a new store under a temporary name and links it into place, so that no process ever
// opens a half-made store, and two processes creating it at once end up sharing one.
void CreateStore(const std::string& path)
{
    std::string temporary = path + ".new-XXXXXX";
    int fd = mkostemp(&temporary[0], O_CLOEXEC);
    if (fd < 0)
        return;
    // mkostemp makes the file private; a store is as readable as any file the user creates.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    sqlite3* db = nullptr;
    bool made = sqlite3_open_v2(temporary.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) ==
                    SQLITE_OK &&
                sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK;
    // Closing the last connection checkpoints the WAL into the file and removes it.
    made = sqlite3_close(db) == SQLITE_OK && made;
    if (made && link(temporary.c_str(), path.c_str()) != 0 && errno != EEXIST) {
        // A file system without hard links: a plain rename, unless another process won.
        struct stat info;
        if (stat(path.c_str(), &info) != 0)
            rename(temporary.c_str(), path.c_str());
    }
    unlink(temporary.c_str());
    unlink((temporary + "-wal").c_str());
    unlink((temporary + "-shm").c_str());
}

bool DeliveredBefore(const DriverRecord& left, const DriverRecord& right)
{
    std::string l = UpperName(left.name), r = UpperName(right.name);
    return l != r ? l < r : left.name < right.name;
}

// Runs fn between BEGIN IMMEDIATE and COMMIT. IMMEDIATE takes the write lock at once, through
// the busy timeout: a read that later turned into a write could fail outright on contention.
template <typename Fn>
DWORD InWriteTransaction(sqlite3* db, Fn fn)
{
    int result = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (result != SQLITE_OK)
        return ErrorFromSqlite(result);
    DWORD error = fn();
    result = sqlite3_exec(db, error == ERROR_SUCCESS ? "COMMIT" : "ROLLBACK", nullptr, nullptr,
                          nullptr);
    if (error == ERROR_SUCCESS && result != SQLITE_OK) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        error = ErrorFromSqlite(result);
    }
    return error;
}

} // namespace

SpoolerStore::SpoolerStore(const std::string& path)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT)
            return;
        CreateStore(path);
    }
    // No SQLITE_OPEN_CREATE: a store that vanished since is not quietly made anew as an empty
    // file, which would then not pass as a store either.
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return;
    }
    // Before the first read: while another process opens the log, a reader is told to wait.
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    if (!IsOurStore(db)) {
        sqlite3_close(db);
        return;
    }
    // In WAL mode NORMAL writes every commit to the log before returning; only a power loss can
    // take back the last commits, a killed process cannot.
    sqlite3_exec(db, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
    // A checkpoint syncs the log and the store to the disk. By default one comes every 1000
    // pages, a few hundred registrations, and on a real disk those syncs cost more than the
    // whole of the registrations between them. The log is checkpointed when the last
    // connection closes, and a long-lived process still checkpoints now and then.
    sqlite3_exec(db, "PRAGMA wal_autocheckpoint = 16384", nullptr, nullptr, nullptr);
    db_ = db;
}

SpoolerStore::~SpoolerStore()
{
    sqlite3_finalize(add_);
    sqlite3_close(db_);
}

DWORD SpoolerStore::List(const std::string& environment, std::vector<DriverRecord>& drivers)
{
    std::lock_guard<std::mutex> hold(lock_);
    drivers.clear();
    std::string sql = std::string("SELECT ") + kColumns + " FROM drivers WHERE environment = ?1";
    Statement statement(db_, sql.c_str());
    if (!statement.Ok())
        return ErrorFromSqlite(sqlite3_errcode(db_));
    statement.Bind(1, environment);
    int result;
    while ((result = statement.Step()) == SQLITE_ROW) {
        DriverRecord driver;
        driver.name = statement.Text(0);
        driver.environment = statement.Text(1);
        driver.version = (DWORD)statement.Integer(2);
        driver.driverPath = statement.Text(3);
        driver.dataFile = statement.Text(4);
        driver.configFile = statement.Text(5);
        driver.inUse = statement.Integer(6) != 0;
        drivers.push_back(driver);
    }
    if (result != SQLITE_DONE) {
        drivers.clear();
        return ErrorFromSqlite(result);
    }
    std::sort(drivers.begin(), drivers.end(), DeliveredBefore);
    return ERROR_SUCCESS;
}

DWORD SpoolerStore::Add(const DriverRecord& driver)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (add_ == nullptr &&
        sqlite3_prepare_v3(db_,
                           "INSERT INTO drivers (name, environment, version, driver_path, data_file,"
                           " config_file) VALUES (?1, ?2, ?3, ?4, ?5, ?6)"
                           " ON CONFLICT (environment, name) DO UPDATE SET name = excluded.name,"
                           " version = excluded.version, driver_path = excluded.driver_path,"
                           " data_file = excluded.data_file, config_file = excluded.config_file",
                           -1, SQLITE_PREPARE_PERSISTENT, &add_, nullptr) != SQLITE_OK) {
        sqlite3_finalize(add_);
        add_ = nullptr;
        return ErrorFromSqlite(sqlite3_errcode(db_));
    }
    const std::string* texts[] = {&driver.name, &driver.environment, nullptr, &driver.driverPath,
                                  &driver.dataFile, &driver.configFile};
    for (int i = 0; i < 6; i++) {
        if (texts[i] != nullptr)
            sqlite3_bind_text(add_, i + 1, texts[i]->c_str(), (int)texts[i]->size(), SQLITE_STATIC);
    }
    sqlite3_bind_int64(add_, 3, (long long)driver.version);
    // One statement outside BEGIN is a transaction of its own, committed when it is done.
    int result = sqlite3_step(add_);
    sqlite3_reset(add_);
    sqlite3_clear_bindings(add_);
    return ErrorFromSqlite(result);
}

DWORD SpoolerStore::Delete(const std::string& environment, const std::string& name)
{
    std::lock_guard<std::mutex> hold(lock_);
    return InWriteTransaction(db_, [&]() -> DWORD {
        Statement find(db_, "SELECT in_use FROM drivers WHERE environment = ?1 AND name = ?2");
        if (!find.Ok())
            return ErrorFromSqlite(sqlite3_errcode(db_));
        find.Bind(1, environment);
        find.Bind(2, name);
        int result = find.Step();
        if (result == SQLITE_DONE)
            return ERROR_UNKNOWN_PRINTER_DRIVER;
        if (result != SQLITE_ROW)
            return ErrorFromSqlite(result);
        if (find.Integer(0) != 0)
            return ERROR_PRINTER_DRIVER_IN_USE;

        Statement remove(db_, "DELETE FROM drivers WHERE environment = ?1 AND name = ?2");
        if (!remove.Ok())
            return ErrorFromSqlite(sqlite3_errcode(db_));
        remove.Bind(1, environment);
        remove.Bind(2, name);
        return ErrorFromSqlite(remove.Step());
    });
}

DWORD SpoolerStore::MarkInUse(const std::string& environment, const std::string& name)
{
    std::lock_guard<std::mutex> hold(lock_);
    Statement statement(db_,
                        "UPDATE drivers SET in_use = 1 WHERE environment = ?1 AND name = ?2");
    if (!statement.Ok())
        return ErrorFromSqlite(sqlite3_errcode(db_));
    statement.Bind(1, environment);
    statement.Bind(2, name);
    int result = statement.Step();
    if (result != SQLITE_DONE)
        return ErrorFromSqlite(result);
    return sqlite3_changes(db_) == 0 ? ERROR_UNKNOWN_PRINTER_DRIVER : ERROR_SUCCESS;
}

SpoolerStore* ProcessStore(DWORD& error)
{
    static std::mutex lock;
    static std::unique_ptr<SpoolerStore> store;
    std::lock_guard<std::mutex> hold(lock);
    if (!store) {
        if (MakeFolders(MachineRoot()) != 0) {
            error = RPC_S_SERVER_UNAVAILABLE;
            return nullptr;
        }
        auto opened = std::make_unique<SpoolerStore>(StorePath());
        if (!opened->IsOpen()) {
            error = RPC_S_SERVER_UNAVAILABLE;
            return nullptr;
        }
        store = std::move(opened);
    }
    error = ERROR_SUCCESS;
    return store.get();
}
