/*
** The one seam between the setup program and the operating system.
**
** setup/ and drivers/ include this header and the C/C++ standard library, nothing else. On
** Windows it is the toolchain's own <windows.h> and <winspool.h>. Elsewhere it declares, in our
** own words, the few types, values and ANSI calls the program uses; the Linux stand-in
** (platform/posix/) or the tests' fake platform (tests/fake/) supply the bodies at link time.
**
** The declarations below follow the Windows ones closely enough that the same core sources
** compile against either side unchanged.
*/
#ifndef FOLVANE_PLATFORM_H
#define FOLVANE_PLATFORM_H

#ifdef _WIN32

#include <windows.h>
#include <winspool.h>

#else /* the stand-in's own declarations */

#include <stdarg.h>
#include <stddef.h>
#include <stdint.h>

#define WINAPI

typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned char BYTE;
typedef size_t SIZE_T;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef BYTE* LPBYTE;
typedef DWORD* LPDWORD;
typedef void* HANDLE;
typedef HANDLE HINSTANCE;
typedef HANDLE HMODULE;
typedef HANDLE HWND;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define MAX_PATH 260

/* File attributes: SetFileAttributesA replaces the whole set with the value given. */
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_HIDDEN 0x00000002
#define FILE_ATTRIBUTE_SYSTEM 0x00000004
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080

/* Message box styles and the buttons MessageBoxA reports; 0 means no box could be shown. */
#define MB_OK 0x00000000
#define MB_OKCANCEL 0x00000001
#define MB_ICONHAND 0x00000010
#define MB_ICONQUESTION 0x00000020
#define MB_ICONINFORMATION 0x00000040
#define MB_SYSTEMMODAL 0x00001000
#define IDOK 1
#define IDCANCEL 2

/* FormatMessageA flags. Without IGNORE_INSERTS a text with %1 would read absent arguments. */
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000

#define SW_SHOWDEFAULT 10

/* The last-error codes the program and the stand-in use. */
#define ERROR_SUCCESS 0
#define ERROR_INVALID_FUNCTION 1
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_NO_MORE_FILES 18
#define ERROR_WRITE_PROTECT 19
#define ERROR_SHARING_VIOLATION 32
#define ERROR_FILE_EXISTS 80
#define ERROR_INVALID_PARAMETER 87
#define ERROR_DISK_FULL 112
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_INVALID_NAME 123
#define ERROR_INVALID_LEVEL 124
#define ERROR_FILENAME_EXCED_RANGE 206
#define ERROR_IO_DEVICE 1117
#define RPC_S_SERVER_UNAVAILABLE 1722
#define ERROR_UNKNOWN_PRINTER_DRIVER 1797
#define ERROR_INVALID_ENVIRONMENT 1805
#define ERROR_PRINTER_DRIVER_IN_USE 3001

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME;

/* One entry of a directory search. The program reads the attributes and the name. */
typedef struct _WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char cFileName[MAX_PATH];
    char cAlternateFileName[14];
} WIN32_FIND_DATAA, *LPWIN32_FIND_DATAA;

/* Level 1 of a driver enumeration: the name alone. */
typedef struct _DRIVER_INFO_1A {
    LPSTR pName;
} DRIVER_INFO_1A;

/* Level 2 of a driver registration. */
typedef struct _DRIVER_INFO_2A {
    DWORD cVersion;
    LPSTR pName;
    LPSTR pEnvironment;
    LPSTR pDriverPath;
    LPSTR pDataFile;
    LPSTR pConfigFile;
} DRIVER_INFO_2A;

/*
** Errors. Every call below that fails sets the calling thread's last error; GetLastError reads
** it back. FormatMessageA stores the system's text for a code (ending in CR LF) and returns its
** length, or returns 0 when there is no text or it does not fit.
*/
DWORD GetLastError(void);
void SetLastError(DWORD code);
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                     LPSTR buffer, DWORD size, va_list* arguments);

/*
** The program itself. GetModuleFileNameA(NULL, ...) gives the running program's full path with
** backslashes; a path that does not fit is cut to size - 1 characters, the call returns size and
** sets ERROR_INSUFFICIENT_BUFFER. GetCommandLineA gives the whole command line, the program's
** name first; IsDBCSLeadByte tells a lead byte of the ANSI code page.
*/
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
LPSTR GetCommandLineA(void);
BOOL IsDBCSLeadByte(BYTE byte);

/* The process heap: HeapAlloc returns NULL when the block cannot be had. */
HANDLE GetProcessHeap(void);
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);

/*
** Files. Paths take backslashes and forward slashes alike. FindFirstFileA returns
** INVALID_HANDLE_VALUE on any failure, a pattern that matches nothing included (last error 2;
** 3 for a missing folder); FindNextFileA returns FALSE at the end (18). CopyFileA with
** failIfExists FALSE overwrites an existing destination unless it is read-only.
*/
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE search);
BOOL CopyFileA(LPCSTR source, LPCSTR destination, BOOL failIfExists);
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes);

/* The user: a modal box; returns the button pressed, or 0 when no box could be shown. */
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);

/*
** The print spooler of the local machine (server name NULL) and the current environment
** (environment NULL). Enumeration at level 1 with no buffer fails with 122 and reports the bytes
** needed; a registration at level 2 needs its three files in the driver directory and replaces
** a driver of the same name.
*/
BOOL GetPrinterDriverDirectoryA(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer,
                                DWORD size, LPDWORD needed);
BOOL EnumPrinterDriversA(LPSTR server, LPSTR environment, DWORD level, LPBYTE buffer, DWORD size,
                         LPDWORD needed, LPDWORD returned);
BOOL AddPrinterDriverA(LPSTR server, DWORD level, LPBYTE info);
BOOL DeletePrinterDriverA(LPSTR server, LPSTR environment, LPSTR driverName);

/* The GUI entry, called by the start-up with the argument text already cut off the name. */
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR argumentText, int showState);

#endif /* _WIN32 */

#endif /* FOLVANE_PLATFORM_H */
