#include "tests/fake/fake_platform.h"

#include <cstdlib>
#include <cstring>
#include <memory>

FakePlatform fake;

namespace {

struct FakeSearch {
    std::vector<FakeEntry> entries;
    size_t next = 0;
};

// Searches live here while open; the handle is the address of the FakeSearch.
std::map<HANDLE, std::unique_ptr<FakeSearch>> openSearchTable;
int fakeHeapTag;

std::string Hex(DWORD value)
{
    char text[16];
    snprintf(text, sizeof text, "0x%04x", (unsigned)value);
    return text;
}

std::string Text(const char* s)
{
    return s ? std::string(s) : std::string("(null)");
}

// Records the call and tells whether the script makes it fail; a failing call gets its last
// error from the script.
bool Record(const char* op, std::vector<std::string> args)
{
    int sameOpBefore = 0;
    for (const FakeCall& call : fake.calls)
        sameOpBefore += call.op == op;
    int index = (int)fake.calls.size();

    FakeCall call{op, std::move(args), false};
    for (const FakeFailure& failure : fake.failures) {
        bool hit = failure.op.empty() ? failure.occurrence == index
                                      : failure.op == op && failure.occurrence == sameOpBefore;
        if (hit) {
            call.failed = true;
            fake.lastError = failure.error;
        }
    }
    fake.calls.push_back(call);
    return call.failed;
}

void FillEntry(const FakeEntry& entry, LPWIN32_FIND_DATAA data)
{
    memset(data, 0, sizeof *data);
    data->dwFileAttributes = entry.attributes;
    snprintf(data->cFileName, sizeof data->cFileName, "%s", entry.name.c_str());
}

} // namespace

std::map<DWORD, std::string> DefaultSystemTexts()
{
    return {
        {2, "The system cannot find the file specified.\r\n"},
        {3, "The system cannot find the path specified.\r\n"},
        {5, "Access is denied.\r\n"},
        {8, "Not enough memory resources are available to process this command.\r\n"},
        {18, "There are no more files.\r\n"},
        {112, "There is not enough space on the disk.\r\n"},
        {122, "The data area passed to a system call is too small.\r\n"},
        {206, "The filename or extension is too long.\r\n"},
        {1722, "The RPC server is unavailable.\r\n"},
        {1797, "The printer driver is unknown.\r\n"},
        {3001, "The specified printer driver is currently in use.\r\n"},
    };
}

void FakePlatform::Reset()
{
    *this = FakePlatform();
    systemTexts = DefaultSystemTexts();
    openSearchTable.clear();
}

std::vector<FakeCall> FakePlatform::CallsOf(const std::string& op) const
{
    std::vector<FakeCall> found;
    for (const FakeCall& call : calls)
        if (call.op == op)
            found.push_back(call);
    return found;
}

std::vector<std::string> FakePlatform::Ops(const std::set<std::string>& leaveOut) const
{
    std::vector<std::string> ops;
    for (const FakeCall& call : calls)
        if (!leaveOut.count(call.op))
            ops.push_back(call.op);
    return ops;
}

std::vector<std::string> FakePlatform::BoxTexts() const
{
    std::vector<std::string> texts;
    for (const FakeCall& call : CallsOf("MessageBoxA"))
        texts.push_back(call.args[0]);
    return texts;
}

// ---- errors ----------------------------------------------------------------------------------

DWORD GetLastError(void)
{
    Record("GetLastError", {});
    return fake.lastError;
}

void SetLastError(DWORD code)
{
    fake.lastError = code;
}

DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments)
{
    bool fail = Record("FormatMessageA", {Hex(flags), std::to_string(messageId),
                                          std::to_string(languageId), std::to_string(size),
                                          source ? "source" : "(null)",
                                          arguments ? "arguments" : "(null)"});
    if (fail)
        return 0;
    auto text = fake.systemTexts.find(messageId);
    if (text == fake.systemTexts.end() || text->second.size() + 1 > size) {
        fake.lastError = text == fake.systemTexts.end() ? 317 : ERROR_INSUFFICIENT_BUFFER;
        return 0;
    }
    memcpy(buffer, text->second.c_str(), text->second.size() + 1);
    return (DWORD)text->second.size();
}

// ---- the program ------------------------------------------------------------------------------

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    if (Record("GetModuleFileNameA", {module ? "module" : "(null)", std::to_string(size)}))
        return 0;
    const std::string& path = fake.modulePath;
    if (path.size() + 1 > size) {
        // Cut to size - 1 characters, as Windows does, and say the buffer was too small.
        memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
        fake.lastError = ERROR_INSUFFICIENT_BUFFER;
        return size;
    }
    memcpy(buffer, path.c_str(), path.size() + 1);
    return (DWORD)path.size();
}

LPSTR GetCommandLineA(void)
{
    return &fake.commandLine[0];
}

BOOL IsDBCSLeadByte(BYTE byte)
{
    return fake.leadBytes.count(byte) ? TRUE : FALSE;
}

// ---- heap -------------------------------------------------------------------------------------

HANDLE GetProcessHeap(void)
{
    return &fakeHeapTag;
}

LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes)
{
    if (Record("HeapAlloc", {heap == &fakeHeapTag ? "process heap" : "other heap",
                             Hex(flags), std::to_string(bytes)}))
        return NULL;
    fake.liveBlocks++;
    return malloc(bytes ? bytes : 1);
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block)
{
    bool fail = Record("HeapFree", {heap == &fakeHeapTag ? "process heap" : "other heap",
                                    Hex(flags), block ? "block" : "(null)"});
    if (block) {
        fake.liveBlocks--;
        free(block); // freed even when the script says the call fails: the test is not a leak
    }
    return fail ? FALSE : TRUE;
}

// ---- files ------------------------------------------------------------------------------------

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data)
{
    if (Record("FindFirstFileA", {Text(pattern)}))
        return INVALID_HANDLE_VALUE;
    auto listing = fake.listings.find(Text(pattern));
    if (listing == fake.listings.end() || listing->second.empty()) {
        fake.lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    auto search = std::make_unique<FakeSearch>();
    search->entries = listing->second;
    FillEntry(search->entries[0], data);
    search->next = 1;
    HANDLE handle = search.get();
    openSearchTable[handle] = std::move(search);
    fake.openSearches++;
    fake.searchesOpened++;
    return handle;
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data)
{
    bool fail = Record("FindNextFileA", {});
    auto search = openSearchTable.find(handle);
    if (search == openSearchTable.end()) {
        fake.lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (fail)
        return FALSE;
    FakeSearch& s = *search->second;
    if (s.next >= s.entries.size()) {
        fake.lastError = ERROR_NO_MORE_FILES;
        return FALSE;
    }
    FillEntry(s.entries[s.next++], data);
    return TRUE;
}

BOOL FindClose(HANDLE handle)
{
    bool fail = Record("FindClose", {});
    auto search = openSearchTable.find(handle);
    if (search == openSearchTable.end()) {
        fake.lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    openSearchTable.erase(search);
    fake.openSearches--;
    return fail ? FALSE : TRUE;
}

BOOL CopyFileA(LPCSTR source, LPCSTR destination, BOOL failIfExists)
{
    return Record("CopyFileA", {Text(source), Text(destination), std::to_string(failIfExists)})
               ? FALSE
               : TRUE;
}

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes)
{
    return Record("SetFileAttributesA", {Text(path), Hex(attributes)}) ? FALSE : TRUE;
}

// ---- boxes ------------------------------------------------------------------------------------

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    if (Record("MessageBoxA", {Text(text), Text(caption), Hex(style), owner ? "owner" : "(null)"}))
        return 0;
    if (fake.answers.empty())
        return IDOK;
    int answer = fake.answers.front();
    fake.answers.pop_front();
    return answer;
}

// ---- spooler ----------------------------------------------------------------------------------

BOOL GetPrinterDriverDirectoryA(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer,
                                DWORD size, LPDWORD needed)
{
    if (Record("GetPrinterDriverDirectoryA",
               {Text(server), Text(environment), std::to_string(level), std::to_string(size)}))
        return FALSE;
    DWORD bytes = (DWORD)fake.driverDirectory.size() + 1;
    *needed = bytes;
    if (bytes > size) {
        fake.lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    memcpy(buffer, fake.driverDirectory.c_str(), bytes);
    return TRUE;
}

BOOL EnumPrinterDriversA(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                         LPDWORD needed, LPDWORD returned)
{
    bool fail = Record("EnumPrinterDriversA", {Text(server), Text(environment),
                                               std::to_string(level), buffer ? "buffer" : "(null)",
                                               std::to_string(size)});
    if (fail)
        return FALSE;
    // The layout Windows uses: the array first, then the names it points at.
    DWORD bytes = (DWORD)(fake.drivers.size() * sizeof(DRIVER_INFO_1A));
    for (const FakeDriver& driver : fake.drivers)
        bytes += (DWORD)driver.name.size() + 1;
    if (fake.drivers.empty())
        bytes = 0;
    *needed = fake.sizeQueryOverride >= 0 && buffer == NULL ? (DWORD)fake.sizeQueryOverride : bytes;
    *returned = 0;
    if (buffer == NULL || size < bytes) {
        fake.lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    DRIVER_INFO_1A* infos = (DRIVER_INFO_1A*)buffer;
    char* names = (char*)(infos + fake.drivers.size());
    for (size_t i = 0; i < fake.drivers.size(); i++) {
        infos[i].pName = names;
        memcpy(names, fake.drivers[i].name.c_str(), fake.drivers[i].name.size() + 1);
        names += fake.drivers[i].name.size() + 1;
    }
    *returned = (DWORD)fake.drivers.size();
    return TRUE;
}

BOOL AddPrinterDriverA(LPSTR server, DWORD level, LPBYTE info)
{
    const DRIVER_INFO_2A* d = (const DRIVER_INFO_2A*)info;
    FakeDriver driver;
    driver.version = d->cVersion;
    driver.name = Text(d->pName);
    driver.environment = Text(d->pEnvironment);
    driver.driverPath = Text(d->pDriverPath);
    driver.dataFile = Text(d->pDataFile);
    driver.configFile = Text(d->pConfigFile);
    if (Record("AddPrinterDriverA", {Text(server), std::to_string(level),
                                     std::to_string(driver.version), driver.name,
                                     driver.environment, driver.driverPath, driver.dataFile,
                                     driver.configFile}))
        return FALSE;
    for (FakeDriver& existing : fake.drivers) {
        if (existing.name == driver.name) {
            existing = driver;
            return TRUE;
        }
    }
    fake.drivers.push_back(driver);
    return TRUE;
}

BOOL DeletePrinterDriverA(LPSTR server, LPSTR environment, LPSTR driverName)
{
    if (Record("DeletePrinterDriverA", {Text(server), Text(environment), Text(driverName)}))
        return FALSE;
    if (fake.busyDrivers.count(Text(driverName))) {
        fake.lastError = ERROR_PRINTER_DRIVER_IN_USE;
        return FALSE;
    }
    for (auto it = fake.drivers.begin(); it != fake.drivers.end(); ++it) {
        if (it->name == Text(driverName)) {
            fake.drivers.erase(it);
            return TRUE;
        }
    }
    fake.lastError = ERROR_UNKNOWN_PRINTER_DRIVER;
    return FALSE;
}
