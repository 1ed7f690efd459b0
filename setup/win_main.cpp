// The whole order of a run: find the source folder, ask, remove the earlier drivers, install the
// new ones, tell the outcome. Every path returns 0: callers and scripts rely on the exit status
// saying nothing about the outcome, which the boxes tell.
#include "platform/platform.h"

#include <string.h>

#include "drivers/drivers.h"
#include "setup/buffers.h"
#include "setup/messages.h"
#include "setup/no_case.h"

static const char kConfirmation[] =
    "Proceding will setup all the Windows NT(R)\r\n"
    "printer drivers supported by Folvane(TM).\r\n"
    "\r\n"
    "Click OK to begin installation,\r\n"
    "or Cancel to skip driver setup.";
static const char kSucceeded[] = "Setup completed successfully.";
static const char kFailed[] = "Setup failed!";

static int IsQuietMode(const char* argumentText)
{
    return argumentText != NULL && CompareNoCase(argumentText, "quiet") == 0;
}

// Fills sourceFolder with the folder of the running program, trailing backslash kept.
// Returns 0 after reporting why when it cannot.
static int FindSourceFolder(PathBuffer sourceFolder)
{
    const DWORD size = MAX_PATH - 1;
    DWORD length = GetModuleFileNameA(NULL, sourceFolder, size);
    // A result of the full size means the path was cut to fit: a cut path names another folder,
    // and copying from there would be worse than stopping.
    if (length == 0 || length >= size) {
        ReportSystemError();
        return 0;
    }
    sourceFolder[length] = '\0';

    // Only the backslash separates here: the platform reports its own path with backslashes.
    char* lastBackslash = strrchr(sourceFolder, '\\');
    if (lastBackslash == NULL)
        return 0;
    lastBackslash[1] = '\0';
    return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR argumentText, int showState)
{
    (void)instance;
    (void)previous;
    (void)showState;

    // The argument text does not change during a run, so one test serves both the question
    // before and the report after.
    const int quiet = IsQuietMode(argumentText);
    PathBuffer sourceFolder;

    if (!FindSourceFolder(sourceFolder)) {
        ShowError(kFailed);
        return 0;
    }

    if (!quiet && ShowMessage(kConfirmation, STYLE_CONFIRMATION) != IDOK)
        return 0; // Cancel, or a box that could not be shown: nothing is touched.

    RemoveOldDrivers();

    if (!InstallDrivers(sourceFolder)) {
        ShowError(kFailed);
        return 0;
    }

    if (!quiet)
        ShowInformation(kSucceeded);
    return 0;
}
