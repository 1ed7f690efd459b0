// The process heap over malloc. Only the process heap exists here.
#include <stdlib.h>

#include "platform/posix/errors.h"

namespace {

const DWORD HEAP_ZERO_MEMORY = 0x00000008;
char processHeapTag;

} // namespace

// Returns the handle of the process heap.
HANDLE GetProcessHeap(void)
{
    return &processHeapTag;
}

// Allocates a block of bytes (zeroed with HEAP_ZERO_MEMORY); NULL when it cannot be had. Like
// Windows, a failed allocation does not touch the last error.
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes)
{
    if (heap != &processHeapTag)
        return NULL;
    // A zero-byte request still yields a block of its own, as on Windows.
    if (bytes == 0)
        bytes = 1;
    return (flags & HEAP_ZERO_MEMORY) ? calloc(1, bytes) : malloc(bytes);
}

// Frees a block of the process heap; freeing NULL succeeds.
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block)
{
    (void)flags;
    if (heap != &processHeapTag)
        return Refuse(ERROR_INVALID_HANDLE);
    free(block);
    return TRUE;
}
