// wine-probe: reads and prepares Wine's spooler through the Windows API itself, so the Wine tests
// see the registrations and the driver directory as any Windows program would, not through
// Wine's registry files or its mapping of attributes onto the Linux file system.
//
// Usage: wine-probe.exe COMMAND... — the commands run in order; the first failure stops the run
// with exit status 1 and one line on stderr.
//   dir                      print the driver directory
//   drivers                  one line per registered driver (level 2), in the spooler's order:
//                            driver<TAB>NAME<TAB>VERSION<TAB>DRIVERPATH<TAB>DATAFILE<TAB>CONFIGFILE
//   files                    one line per file (not folder) in the driver directory, in the
//                            search's order: file<TAB>NAME<TAB>ATTRIBUTES (0x%04x)
//   files-in DIR             the same for another folder (e.g. the source folder)
//   add NAME VERSION DRIVER DATA CONFIG
//                            register a driver at level 2; the three are file names in the
//                            driver directory, where they must already be
//   delete NAME              delete a driver
//   attrib PATH HEX          set a file's attributes (hidden and system cannot be made from
//                            the Linux side)
//   reset                    delete every driver, then every file in the driver directory
//   launch                   start the program FOLVANE_PROGRAM (a full path) with the command
//                            line held in FOLVANE_COMMAND_LINE, exactly as it stands, wait for
//                            it and print exit<TAB>STATUS. Wine's own start-up quotes and joins
//                            its arguments, so a line such as `setup.exe quiet ` (trailing
//                            blank) can only be made this way.
// Names and paths are printed escaped as the Linux stand-in's box log has them (\\ \r \n \t).
#include <windows.h>
#include <winspool.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

std::string Escaped(const char* text)
{
    std::string out;
    for (const char* p = text ? text : ""; *p; p++) {
        switch (*p) {
        case '\\': out += "\\\\"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default: out += *p;
        }
    }
    return out;
}

int Fail(const char* what, const std::string& detail)
{
    fprintf(stderr, "wine-probe: %s %s failed with %lu\n", what, detail.c_str(),
            (unsigned long)GetLastError());
    return 0;
}

// The driver directory with a trailing backslash, or "" after reporting why.
std::string DriverDirectory()
{
    char buffer[MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryA(NULL, NULL, 1, (LPBYTE)buffer, sizeof buffer, &needed)) {
        Fail("GetPrinterDriverDirectoryA", "");
        return "";
    }
    std::string dir = buffer;
    if (!dir.empty() && dir.back() != '\\')
        dir += '\\';
    return dir;
}

// Level 2 of every registered driver; false after reporting why.
bool EnumDrivers(std::vector<BYTE>& block, DWORD& count)
{
    DWORD needed = 0;
    count = 0;
    EnumPrinterDriversA(NULL, NULL, 2, NULL, 0, &needed, &count);
    block.assign(needed ? needed : 1, 0);
    if (!EnumPrinterDriversA(NULL, NULL, 2, block.data(), (DWORD)block.size(), &needed, &count))
        return Fail("EnumPrinterDriversA", "");
    return true;
}

bool PrintDrivers()
{
    std::vector<BYTE> block;
    DWORD count;
    if (!EnumDrivers(block, count))
        return false;
    const DRIVER_INFO_2A* info = (const DRIVER_INFO_2A*)block.data();
    for (DWORD i = 0; i < count; i++) {
        printf("driver\t%s\t%lu\t%s\t%s\t%s\n", Escaped(info[i].pName).c_str(),
               (unsigned long)info[i].cVersion, Escaped(info[i].pDriverPath).c_str(),
               Escaped(info[i].pDataFile).c_str(), Escaped(info[i].pConfigFile).c_str());
    }
    return true;
}

// Calls visit(name, attributes) for every file (not folder) in the driver directory.
template <typename Visit>
bool ForEachFile(const std::string& dir, Visit visit)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND || Fail("FindFirstFileA", dir);
    bool ok = true;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !visit(entry))
            ok = false;
    } while (ok && FindNextFileA(search, &entry));
    FindClose(search);
    return ok;
}

bool PrintFiles(std::string dir)
{
    if (dir.empty())
        return false;
    if (dir.back() != '\\')
        dir += '\\';
    return ForEachFile(dir, [](const WIN32_FIND_DATAA& entry) {
        printf("file\t%s\t0x%04lx\n", Escaped(entry.cFileName).c_str(),
               (unsigned long)entry.dwFileAttributes);
        return true;
    });
}

bool AddDriver(char** argument)
{
    std::string dir = DriverDirectory();
    if (dir.empty())
        return false;
    std::string driverPath = dir + argument[2];
    std::string dataPath = dir + argument[3];
    std::string configPath = dir + argument[4];
    DRIVER_INFO_2A info = {};
    info.cVersion = (DWORD)strtoul(argument[1], NULL, 10);
    info.pName = argument[0];
    info.pDriverPath = &driverPath[0];
    info.pDataFile = &dataPath[0];
    info.pConfigFile = &configPath[0];
    if (!AddPrinterDriverA(NULL, 2, (LPBYTE)&info))
        return Fail("AddPrinterDriverA", argument[0]);
    return true;
}

bool DeleteDriver(char* name)
{
    if (!DeletePrinterDriverA(NULL, NULL, name))
        return Fail("DeletePrinterDriverA", name);
    return true;
}

bool Reset()
{
    std::vector<BYTE> block;
    DWORD count;
    if (!EnumDrivers(block, count))
        return false;
    const DRIVER_INFO_2A* info = (const DRIVER_INFO_2A*)block.data();
    for (DWORD i = 0; i < count; i++) {
        if (!DeleteDriver(info[i].pName))
            return false;
    }
    std::string dir = DriverDirectory();
    if (dir.empty())
        return false;
    // A test may have left a read-only copy behind; the attribute must go before the file can.
    return ForEachFile(dir, [&dir](const WIN32_FIND_DATAA& entry) {
        std::string path = dir + entry.cFileName;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileA(path.c_str()) || Fail("DeleteFileA", path);
    });
}

bool Launch()
{
    char line[4096];
    DWORD length = GetEnvironmentVariableA("FOLVANE_COMMAND_LINE", line, sizeof line);
    if (length == 0 || length >= sizeof line)
        return Fail("GetEnvironmentVariableA", "FOLVANE_COMMAND_LINE");
    // The program is named apart from the line: the line's first word is then free to be any
    // spelling of the name, and no search for the program can pick another copy of it.
    char program[MAX_PATH];
    length = GetEnvironmentVariableA("FOLVANE_PROGRAM", program, sizeof program);
    if (length == 0 || length >= sizeof program)
        return Fail("GetEnvironmentVariableA", "FOLVANE_PROGRAM");
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program, line, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return Fail("CreateProcessA", line);
    CloseHandle(process.hThread);
    // Bounded, so that a box nobody answers cannot hold the tests forever.
    bool ended = WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0;
    DWORD status = 0;
    if (!ended)
        TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hProcess);
    if (!ended) {
        SetLastError(WAIT_TIMEOUT);
        return Fail("WaitForSingleObject", line);
    }
    printf("exit\t%lu\n", (unsigned long)status);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++) {
        const std::string command = argv[i];
        bool ok;
        if (command == "dir") {
            std::string dir = DriverDirectory();
            ok = !dir.empty();
            if (ok)
                printf("%s\n", dir.c_str());
        } else if (command == "drivers") {
            ok = PrintDrivers();
        } else if (command == "files") {
            ok = PrintFiles(DriverDirectory());
        } else if (command == "files-in" && i + 1 < argc) {
            ok = PrintFiles(argv[++i]);
        } else if (command == "add" && i + 5 < argc) {
            ok = AddDriver(&argv[i + 1]);
            i += 5;
        } else if (command == "attrib" && i + 2 < argc) {
            ok = SetFileAttributesA(argv[i + 1], (DWORD)strtoul(argv[i + 2], NULL, 16)) ||
                 Fail("SetFileAttributesA", argv[i + 1]);
            i += 2;
        } else if (command == "delete" && i + 1 < argc) {
            ok = DeleteDriver(argv[++i]);
        } else if (command == "reset") {
            ok = Reset();
        } else if (command == "launch") {
            ok = Launch();
        } else {
            fprintf(stderr, "wine-probe: unknown command or missing arguments: %s\n", argv[i]);
            ok = false;
        }
        fflush(stdout);
        if (!ok)
            return 1;
    }
    return 0;
}
