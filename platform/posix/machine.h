// The stand-in machine: its root folder (WINSHIM_ROOT), its processor environment, and the
// driver directory of each environment under the root.
#ifndef FOLVANE_PLATFORM_POSIX_MACHINE_H
#define FOLVANE_PLATFORM_POSIX_MACHINE_H

#include <string>

// A spooler environment: the name the API takes and its folder under drivers/.
struct Environment {
    const char* name;
    const char* folder;
};

// The environment of the machine we run on ("Windows x64" on x86-64).
const Environment& CurrentEnvironment();

// NULL or "" is the current environment; otherwise one of the names Windows knows, letter case
// ignored; NULL for any other.
const Environment* FindEnvironment(const char* name);

// The machine root, absolute: WINSHIM_ROOT, else ${XDG_STATE_HOME:-$HOME/.local/state}/winshim.
// Read once per process, like the store that lives in it.
const std::string& MachineRoot();

// <root>/drivers/<folder>/, with its trailing slash.
std::string DriverDirectory(const Environment& environment);

// Creates folder and its parents as needed; 0 or the errno of the step that failed.
int MakeFolders(const std::string& folder);

// The spooler's store: <root>/spooler.db.
std::string StorePath();

#endif
