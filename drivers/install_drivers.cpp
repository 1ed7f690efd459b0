// Installation: two passes over the source folder. The driver files ("PS*.*") are all copied
// before the first PPD is touched; then each PPD is copied, read and registered before the next
// one is copied. The first failure stops the run after its report; nothing is undone.
#include "platform/platform.h"

#include <string.h>

#include "drivers/drivers.h"
#include "drivers/path_join.h"
#include "setup/messages.h"

static const char kDriverFilePattern[] = "PS*.*";
static const char kPpdPattern[] = "*.PPD";
static const char kDriverFileName[] = "PSCRIPT.DLL";
static const char kConfigFileName[] = "PSCRPTUI.DLL";
static const DWORD kDriverVersion = 9999;

// What one pass needs besides its pattern. The nickname buffer lives for the whole call.
struct InstallTarget {
    const char* sourcePrefix;    // source folder with its separator
    const char* driverDirectory; // ends with a separator
    char* nickName;              // NickNameBuffer, PPD pass only
};

// Reads the PPD's model name from its copy and registers a driver under it.
static int RegisterPpd(const InstallTarget& target, const char* ppdCopy)
{
    // A PPD whose keyword line yields no value must not inherit the previous PPD's name: it would
    // replace that model's driver with this one's PPD.
    target.nickName[0] = '\0';
    if (!ReadPpdNickName(ppdCopy, target.nickName))
        return 0;
    if (target.nickName[0] == '\0')
        return 0; // like a PPD without "*NickName": no name to register, no message of its own

    PathBuffer driverPath;
    PathBuffer configPath;
    if (!JoinPath(driverPath, target.driverDirectory, kDriverFileName) ||
        !JoinPath(configPath, target.driverDirectory, kConfigFileName)) {
        ReportErrorCode(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }

    DRIVER_INFO_2A info;
    info.cVersion = kDriverVersion;
    info.pName = target.nickName;
    info.pEnvironment = NULL;
    info.pDriverPath = driverPath;
    info.pDataFile = (LPSTR)ppdCopy;
    info.pConfigFile = configPath;
    if (!AddPrinterDriverA(NULL, 2, (LPBYTE)&info)) {
        ReportSystemError();
        return 0;
    }
    return 1;
}

// Copies one search entry into the driver directory and leaves the copy with the archive
// attribute alone; for a PPD, registers its driver too.
static int InstallEntry(const InstallTarget& target, const char* name, int isPpd)
{
    PathBuffer sourcePath;
    PathBuffer destinationPath;
    if (!JoinPath(sourcePath, target.sourcePrefix, name) ||
        !JoinPath(destinationPath, target.driverDirectory, name)) {
        ReportErrorCode(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    if (!CopyFileA(sourcePath, destinationPath, FALSE)) {
        ReportSystemError();
        return 0;
    }
    // The copy takes the source's attributes; a read-only or hidden driver file would stand in
    // the way of the next upgrade.
    if (!SetFileAttributesA(destinationPath, FILE_ATTRIBUTE_ARCHIVE)) {
        ReportSystemError();
        return 0;
    }
    return isPpd ? RegisterPpd(target, destinationPath) : 1;
}

// One pass: every file (not folder) that pattern matches in the source folder, in the order the
// search delivers them. A pass that needs at least one file and finds only folders fails as if
// nothing matched.
static int InstallPass(const InstallTarget& target, const char* pattern, int isPpd)
{
    PathBuffer searchPath;
    if (!JoinPath(searchPath, target.sourcePrefix, pattern)) {
        ReportErrorCode(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }

    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(searchPath, &entry);
    if (search == INVALID_HANDLE_VALUE) {
        ReportSystemError();
        return 0;
    }

    int filesInstalled = 0;
    int ok = 1;
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        entry.cFileName[MAX_PATH - 1] = '\0';
        if (!InstallEntry(target, entry.cFileName, isPpd)) {
            ok = 0;
            break;
        }
        filesInstalled++;
    } while (FindNextFileA(search, &entry));

    // Folders alone in the PPD pass would otherwise end in a success with no driver registered.
    if (ok && isPpd && filesInstalled == 0) {
        ReportErrorCode(ERROR_FILE_NOT_FOUND);
        ok = 0;
    }
    // Closed after any report, so the report read the failing operation's own last error.
    FindClose(search);
    return ok;
}

int InstallDrivers(const char* sourceFolder)
{
    if (sourceFolder == NULL || sourceFolder[0] == '\0') {
        ShowError("Invalid Parameter");
        return 0;
    }

    PathBuffer driverDirectory;
    DWORD bytesNeeded = 0;
    if (!GetPrinterDriverDirectoryA(NULL, NULL, 1, (LPBYTE)driverDirectory, sizeof driverDirectory,
                                    &bytesNeeded)) {
        ReportSystemError();
        return 0;
    }
    driverDirectory[MAX_PATH - 1] = '\0';
    size_t length = strlen(driverDirectory);
    // An empty directory would turn every copy into a copy into the current folder.
    if (length == 0) {
        ReportErrorCode(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (!IsPathSeparator(driverDirectory[length - 1]) &&
        !JoinPath(driverDirectory, driverDirectory, "\\")) {
        ReportErrorCode(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }

    const char* separator = IsPathSeparator(sourceFolder[strlen(sourceFolder) - 1]) ? "" : "\\";
    PathBuffer sourcePrefix;
    if (!JoinPath(sourcePrefix, sourceFolder, separator)) {
        ReportErrorCode(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }

    NickNameBuffer nickName = "";
    InstallTarget target = {sourcePrefix, driverDirectory, nickName};
    if (!InstallPass(target, kDriverFilePattern, 0))
        return 0;
    return InstallPass(target, kPpdPattern, 1);
}
