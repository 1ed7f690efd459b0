// The layout EnumPrinterDriversA hands back at level 1.
#ifndef FOLVANE_PLATFORM_POSIX_DRIVER_INFO_H
#define FOLVANE_PLATFORM_POSIX_DRIVER_INFO_H

#include <string>
#include <vector>

#include "platform/platform.h"

// Writes the DRIVER_INFO_1A array for names into buffer, followed by the strings its pName
// fields point at, and sets returned to the count. Sets needed to the bytes that takes in every
// case; a buffer smaller than that (none included) is left untouched: FALSE with 122. With no
// names there is nothing to hold, and the call succeeds whatever the buffer.
BOOL PackDriverInfo1(const std::vector<std::string>& names, LPBYTE buffer, DWORD size,
                     LPDWORD needed, LPDWORD returned);

#endif
