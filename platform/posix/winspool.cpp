// The print spooler of the stand-in machine: its driver directory on disk and its driver
// registrations in the store (spooler_store.h). Only the local machine is served: a server
// name other than NULL or "" is refused with 123.
#include <dirent.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/posix/driver_info.h"
#include "platform/posix/errors.h"
#include "platform/posix/machine.h"
#include "platform/posix/native_path.h"
#include "platform/posix/spooler_store.h"
#include "platform/posix/trace.h"
#include "platform/posix/wildcard.h"

namespace {

bool IsLocal(LPCSTR server)
{
    return server == NULL || server[0] == '\0';
}

bool IsEmpty(LPCSTR text)
{
    return text == NULL || text[0] == '\0';
}

// The environment a call names (NULL: the machine's own) and the process's store: 1805 for an
// unknown environment, 1722 for a store that cannot be opened. NULL after setting the error.
SpoolerStore* StoreForEnvironment(LPCSTR environment, const Environment** found)
{
    *found = FindEnvironment(environment);
    if (*found == NULL) {
        Refuse(ERROR_INVALID_ENVIRONMENT);
        return NULL;
    }
    DWORD error;
    SpoolerStore* store = ProcessStore(error);
    if (store == NULL)
        Refuse(error);
    return store;
}

// True when a regular file of the path's last name is in folder, letter case ignored as on
// Windows: the program registers PSCRIPT.DLL even if the copy is called pscript.dll.
bool IsInFolder(const std::string& folder, LPCSTR path)
{
    std::string name = LastName(NativePath(path));
    if (name.empty())
        return false;
    struct stat info;
    if (stat((folder + name).c_str(), &info) == 0)
        return S_ISREG(info.st_mode);
    DIR* dir = opendir(folder.c_str());
    if (dir == NULL)
        return false;
    bool found = false;
    std::string wanted = UpperName(name);
    while (struct dirent* entry = readdir(dir)) {
        if (UpperName(entry->d_name) == wanted && stat((folder + entry->d_name).c_str(), &info) == 0 &&
            S_ISREG(info.st_mode)) {
            found = true;
            break;
        }
    }
    closedir(dir);
    return found;
}

} // namespace

// Stores the driver directory of an environment, <root>/drivers/<folder>/ with forward slashes
// and a trailing one, and creates it on first use. needed is set to the bytes it takes; a
// buffer too small for them: FALSE with 122.
BOOL GetPrinterDriverDirectoryA(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer,
                                DWORD size, LPDWORD needed)
{
    if (!IsLocal(server))
        return Refuse(ERROR_INVALID_NAME);
    if (level != 1)
        return Refuse(ERROR_INVALID_LEVEL);
    if (needed == NULL)
        return Refuse(ERROR_INVALID_PARAMETER);
    const Environment* found = FindEnvironment(environment);
    if (found == NULL)
        return Refuse(ERROR_INVALID_ENVIRONMENT);

    std::string directory = DriverDirectory(*found);
    *needed = (DWORD)directory.size() + 1;
    if (buffer == NULL || size < directory.size() + 1)
        return Refuse(ERROR_INSUFFICIENT_BUFFER);
    int error = MakeFolders(directory);
    if (error != 0)
        return Refuse(MapErrno(error, true));
    memcpy(buffer, directory.c_str(), directory.size() + 1);
    return TRUE;
}

// Lists the drivers of an environment at level 1, ordered by name: the DRIVER_INFO_1A array
// followed by the names. The size query (no buffer) fails with 122 and sets needed. A spooler
// whose store cannot be opened: 1722.
BOOL EnumPrinterDriversA(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                         LPDWORD needed, LPDWORD returned)
{
    if (!IsLocal(server))
        return Refuse(ERROR_INVALID_NAME);
    if (level != 1)
        return Refuse(ERROR_INVALID_LEVEL);
    if (needed == NULL || returned == NULL || (buffer == NULL && size != 0))
        return Refuse(ERROR_INVALID_PARAMETER);
    const Environment* found;
    SpoolerStore* store = StoreForEnvironment(environment, &found);
    if (store == NULL)
        return FALSE;
    std::vector<DriverRecord> drivers;
    DWORD error = store->List(found->name, drivers);
    if (error != ERROR_SUCCESS)
        return Refuse(error);
    std::vector<std::string> names;
    for (const DriverRecord& driver : drivers)
        names.push_back(driver.name);
    return PackDriverInfo1(names, buffer, size, needed, returned);
}

// Registers a driver at level 2; its driver, data and configuration files must already be in
// the driver directory of its environment (2 when one is not). A driver of the same name in the
// same environment is replaced. Refusals: 124 a level other than 2, 87 an empty name or path,
// 1805 an unknown environment, 5 a store we may not write, 1722 a store that cannot be opened.
static BOOL AddDriver(LPSTR server, DWORD level, LPBYTE info)
{
    if (!IsLocal(server))
        return Refuse(ERROR_INVALID_NAME);
    if (level != 2)
        return Refuse(ERROR_INVALID_LEVEL);
    const DRIVER_INFO_2A* driver = (const DRIVER_INFO_2A*)info;
    if (driver == NULL || IsEmpty(driver->pName) || IsEmpty(driver->pDriverPath) ||
        IsEmpty(driver->pDataFile) || IsEmpty(driver->pConfigFile))
        return Refuse(ERROR_INVALID_PARAMETER);
    const Environment* found = FindEnvironment(driver->pEnvironment);
    if (found == NULL)
        return Refuse(ERROR_INVALID_ENVIRONMENT);

    std::string directory = DriverDirectory(*found);
    if (!IsInFolder(directory, driver->pDriverPath) || !IsInFolder(directory, driver->pDataFile) ||
        !IsInFolder(directory, driver->pConfigFile))
        return Refuse(ERROR_FILE_NOT_FOUND);

    DWORD error;
    SpoolerStore* store = ProcessStore(error);
    if (store == NULL)
        return Refuse(error);
    DriverRecord record;
    record.name = driver->pName;
    record.environment = found->name;
    record.version = driver->cVersion;
    record.driverPath = driver->pDriverPath;
    record.dataFile = driver->pDataFile;
    record.configFile = driver->pConfigFile;
    error = store->Add(record);
    if (error != ERROR_SUCCESS)
        return Refuse(error);
    return TRUE;
}

// Removes a driver's registration; its files stay in the driver directory. 1797 when no such
// driver is registered, 3001 when a printer uses it.
static BOOL DeleteDriver(LPSTR server, LPSTR environment, LPSTR driverName)
{
    if (!IsLocal(server))
        return Refuse(ERROR_INVALID_NAME);
    if (driverName == NULL)
        return Refuse(ERROR_INVALID_PARAMETER);
    const Environment* found;
    SpoolerStore* store = StoreForEnvironment(environment, &found);
    if (store == NULL)
        return FALSE;
    DWORD error = store->Delete(found->name, driverName);
    if (error != ERROR_SUCCESS)
        return Refuse(error);
    return TRUE;
}

// Registers a driver (AddDriver above) and traces the call with the record it was given.
BOOL AddPrinterDriverA(LPSTR server, DWORD level, LPBYTE info)
{
    const DRIVER_INFO_2A* driver = (const DRIVER_INFO_2A*)info;
    BOOL result = AddDriver(server, level, info);
    if (driver == NULL || level != 2)
        return Traced("AddPrinterDriverA", {std::to_string(level)}, result);
    return Traced("AddPrinterDriverA",
                  {std::to_string(level), TraceArgument(driver->pName),
                   TraceArgument(driver->pEnvironment), TraceArgument(driver->pDriverPath),
                   TraceArgument(driver->pDataFile), TraceArgument(driver->pConfigFile)},
                  result);
}

// Removes a driver's registration (DeleteDriver above) and traces the call.
BOOL DeletePrinterDriverA(LPSTR server, LPSTR environment, LPSTR driverName)
{
    BOOL result = DeleteDriver(server, environment, driverName);
    return Traced("DeletePrinterDriverA",
                  {TraceArgument(environment), TraceArgument(driverName)}, result);
}
