// Removal of the drivers an earlier installation of the product may have left. It works
// silently: a spooler that cannot be listed, memory that cannot be had, a deletion the spooler
// refuses (a printer still uses the driver) are all passed over, and installation follows.
#include "platform/platform.h"

#include "drivers/drivers.h"
#include "setup/no_case.h"

#include <string.h>

// Each prefix is compared over exactly its own length; what follows it is not looked at.
static const char* const kOldDriverPrefixes[] = {"Kaldoran", "TAVIMOR"};

int IsOldDriverName(const char* name)
{
    if (name == NULL)
        return 0;
    for (const char* prefix : kOldDriverPrefixes) {
        if (CompareNoCaseN(name, prefix, strlen(prefix)) == 0)
            return 1;
    }
    return 0;
}

void RemoveOldDrivers(void)
{
    DWORD bytesNeeded = 0;
    DWORD count = 0;

    // The size query fails by design (no buffer); only the bytes needed matter.
    EnumPrinterDriversA(NULL, NULL, 1, NULL, 0, &bytesNeeded, &count);
    if (bytesNeeded == 0)
        return;

    const DWORD blockSize = bytesNeeded;
    HANDLE heap = GetProcessHeap();
    LPBYTE block = (LPBYTE)HeapAlloc(heap, 0, blockSize);
    if (block == NULL)
        return;

    // A list that grew since the size query makes this call fail; there is no second attempt.
    if (EnumPrinterDriversA(NULL, NULL, 1, block, blockSize, &bytesNeeded, &count)) {
        // Never trust a count that would walk past the block.
        DWORD fits = blockSize / sizeof(DRIVER_INFO_1A);
        if (count > fits)
            count = fits;
        const DRIVER_INFO_1A* drivers = (const DRIVER_INFO_1A*)block;
        // Last listed first: the names stay valid in our copy while the spooler deletes.
        for (DWORD i = count; i-- > 0;) {
            if (IsOldDriverName(drivers[i].pName))
                DeletePrinterDriverA(NULL, NULL, drivers[i].pName);
        }
    }

    HeapFree(heap, 0, block);
}
