// spoolctl: the stand-in machine's spooler administration, over the same store the program's
// AddPrinterDriverA and DeletePrinterDriverA use (WINSHIM_ROOT selects the machine).
//
//   spoolctl list                 one line per driver, in the order EnumPrinterDriversA gives:
//                                 NAME TAB VERSION TAB DRIVERPATH TAB DATAFILE TAB CONFIGFILE
//   spoolctl add NAME [--version N] [--driver P] [--data P] [--config P]
//                                 registers a driver without checking its files, for preparing
//                                 a machine (version 3 and empty paths unless given)
//   spoolctl delete NAME          as DeletePrinterDriverA: unknown 1797, in use 3001
//   spoolctl busy NAME            a printer now uses the driver, so deleting it is refused
//   spoolctl dir                  prints the driver directory
//
// Exit status 0 on success; 1 and one line on stderr otherwise.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/posix/errors.h"
#include "platform/posix/escape_text.h"
#include "platform/posix/machine.h"
#include "platform/posix/spooler_store.h"

namespace {

const char kUsage[] =
    "usage: spoolctl list | add NAME [--version N] [--driver P] [--data P] [--config P]"
    " | delete NAME | busy NAME | dir";

int Fail(const std::string& message)
{
    fprintf(stderr, "spoolctl: %s\n", message.c_str());
    return 1;
}

int FailWithCode(const std::string& what, DWORD code)
{
    const char* text = SystemErrorText(code);
    std::string reason = text ? text : "error " + std::to_string(code);
    return Fail(what.empty() ? reason : what + ": " + reason);
}

int List(SpoolerStore& store)
{
    std::vector<DriverRecord> drivers;
    DWORD error = store.List(CurrentEnvironment().name, drivers);
    if (error != ERROR_SUCCESS)
        return FailWithCode("list", error);
    for (const DriverRecord& driver : drivers)
        printf("%s\t%lu\t%s\t%s\t%s\n", EscapeText(driver.name).c_str(),
               (unsigned long)driver.version, EscapeText(driver.driverPath).c_str(),
               EscapeText(driver.dataFile).c_str(), EscapeText(driver.configFile).c_str());
    return fflush(stdout) == 0 ? 0 : Fail("list: cannot write the list");
}

int Add(SpoolerStore& store, const std::vector<std::string>& arguments)
{
    DriverRecord driver;
    driver.name = arguments[0];
    driver.environment = CurrentEnvironment().name;
    driver.version = 3;
    for (size_t i = 1; i < arguments.size(); i += 2) {
        const std::string& option = arguments[i];
        if (i + 1 >= arguments.size())
            return Fail("add: " + option + " needs a value");
        const std::string& value = arguments[i + 1];
        if (option == "--version") {
            char* end = nullptr;
            unsigned long version = strtoul(value.c_str(), &end, 0);
            if (value.empty() || *end != '\0' || version > 0xffffffffUL)
                return Fail("add: --version needs a number, not \"" + value + "\"");
            driver.version = (DWORD)version;
        } else if (option == "--driver") {
            driver.driverPath = value;
        } else if (option == "--data") {
            driver.dataFile = value;
        } else if (option == "--config") {
            driver.configFile = value;
        } else {
            return Fail("add: unknown option " + option);
        }
    }
    if (driver.name.empty())
        return FailWithCode("add", ERROR_INVALID_PARAMETER);
    DWORD error = store.Add(driver);
    return error == ERROR_SUCCESS ? 0 : FailWithCode("add " + driver.name, error);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Fail(kUsage);
    std::string command = argv[1];
    std::vector<std::string> arguments(argv + 2, argv + argc);

    if (command == "dir") {
        if (!arguments.empty())
            return Fail(kUsage);
        std::string directory = DriverDirectory(CurrentEnvironment());
        int error = MakeFolders(directory);
        if (error != 0)
            return Fail("dir: " + directory + ": " + strerror(error));
        printf("%s\n", directory.c_str());
        return fflush(stdout) == 0 ? 0 : 1;
    }

    bool known = (command == "list" && arguments.empty()) ||
                 (command == "add" && !arguments.empty()) ||
                 ((command == "delete" || command == "busy") && arguments.size() == 1);
    if (!known)
        return Fail(kUsage);

    DWORD error;
    SpoolerStore* store = ProcessStore(error);
    if (store == nullptr)
        return FailWithCode(StorePath(), error);

    if (command == "list")
        return List(*store);
    if (command == "add")
        return Add(*store, arguments);
    const std::string& name = arguments[0];
    error = command == "delete" ? store->Delete(CurrentEnvironment().name, name)
                                : store->MarkInUse(CurrentEnvironment().name, name);
    return error == ERROR_SUCCESS ? 0 : FailWithCode(command + " " + name, error);
}
