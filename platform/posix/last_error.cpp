// The last error is per thread on Windows; a thread_local keeps one thread's failure from
// overwriting the code another is about to report.
#include "platform/platform.h"

static thread_local DWORD lastError = ERROR_SUCCESS;

// Returns the calling thread's last error code.
DWORD GetLastError(void)
{
    return lastError;
}

// Sets the calling thread's last error code.
void SetLastError(DWORD code)
{
    lastError = code;
}
