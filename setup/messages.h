// Every exchange with the user: a system-modal box with the setup title.
#ifndef FOLVANE_SETUP_MESSAGES_H
#define FOLVANE_SETUP_MESSAGES_H

#include "platform/platform.h"

#define SETUP_TITLE "Folvane(TM) Windows NT(R) Printer Driver Setup"

#define STYLE_INFORMATION (MB_OK | MB_ICONINFORMATION | MB_SYSTEMMODAL)   /* 0x1040 */
#define STYLE_ERROR (MB_OK | MB_ICONHAND | MB_SYSTEMMODAL)                /* 0x1010 */
#define STYLE_CONFIRMATION (MB_OKCANCEL | MB_ICONQUESTION | MB_SYSTEMMODAL) /* 0x1021 */

// Shows text with the setup title and the given style; returns the button pressed (IDOK = 1),
// or 0 when no box could be shown.
int ShowMessage(const char* text, UINT style);
void ShowInformation(const char* text);
void ShowError(const char* text);

// Shows the system's text for the thread's last error. Call it straight after the failing
// operation, before any other platform call. A last error of 0 shows nothing.
void ReportSystemError(void);

// Shows the system's text for a code the program determined itself (a path too long, no PPD
// found), so such failures read like the platform's own. A code of 0 shows nothing.
void ReportErrorCode(DWORD code);

// Shows the C library's text for errno; an errno of 0 shows nothing. errno is left as it is.
void ReportRuntimeError(void);

#endif
