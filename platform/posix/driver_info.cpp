#include "platform/posix/driver_info.h"

#include <string.h>

#include "platform/posix/errors.h"

BOOL PackDriverInfo1(const std::vector<std::string>& names, LPBYTE buffer, DWORD size,
                     LPDWORD needed, LPDWORD returned)
{
    size_t bytes = names.size() * sizeof(DRIVER_INFO_1A);
    for (const std::string& name : names)
        bytes += name.size() + 1;
    *needed = (DWORD)bytes;
    *returned = 0;
    // No drivers need no bytes: even the size query then succeeds.
    if (bytes > 0 && (buffer == NULL || size < bytes))
        return Refuse(ERROR_INSUFFICIENT_BUFFER);

    DRIVER_INFO_1A* records = (DRIVER_INFO_1A*)buffer;
    char* strings = (char*)buffer + names.size() * sizeof(DRIVER_INFO_1A);
    for (size_t i = 0; i < names.size(); i++) {
        records[i].pName = strings;
        memcpy(strings, names[i].c_str(), names[i].size() + 1);
        strings += names[i].size() + 1;
    }
    *returned = (DWORD)names.size();
    return TRUE;
}
