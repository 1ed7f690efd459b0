// Printer driver maintenance: removal of the product's earlier drivers, installation of the new
// ones, and the reader of a PPD's model name.
#ifndef FOLVANE_DRIVERS_DRIVERS_H
#define FOLVANE_DRIVERS_DRIVERS_H

#include "setup/buffers.h"

// Deletes every driver of the current environment whose name begins with "Kaldoran" or
// "TAVIMOR", letter case ignored, last listed first. Silent: nothing it meets stops the run.
void RemoveOldDrivers(void);

// Tells whether a driver name is one of the product's earlier drivers.
int IsOldDriverName(const char* name);

// Copies the "PS*.*" files, then each "*.PPD" file, from sourceFolder into the driver directory
// and registers one driver per PPD under its nickname. Returns 1 when both passes ran to their
// end, 0 after showing why (a PPD without a usable "*NickName" shows nothing of its own).
// Nothing done before a failure is undone.
int InstallDrivers(const char* sourceFolder);

// Reads the value of the first "*NickName" line of the PPD at path into nickName. Returns 1 when
// a keyword line was found and the file closed cleanly (nickName is left as it was if the line
// does not fit the value pattern), 0 otherwise after showing the C library's text for errno,
// if one is set.
int ReadPpdNickName(const char* path, NickNameBuffer nickName);

#endif
