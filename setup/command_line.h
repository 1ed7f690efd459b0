// The start-up's cut of the command line into the program's name and the argument text.
#ifndef FOLVANE_SETUP_COMMAND_LINE_H
#define FOLVANE_SETUP_COMMAND_LINE_H

// Returns a pointer into commandLine where the argument text begins (possibly at its NUL).
//  - A line that begins with a double quote: the name runs through the next double quote; a
//    DBCS lead byte (IsDBCSLeadByte) carries the byte after it, so a trail byte never ends the
//    name. With no closing quote the name takes the whole line and the argument text is empty.
//  - Otherwise the name runs up to the first byte of value 32 or less (bytes >= 128 belong to it).
//  - Then every byte of value 1 to 32 is skipped; nothing is trimmed at the end.
// The Windows and the Linux start-ups both call this, so that quiet mode means the same on both.
const char* CutCommandLine(const char* commandLine);

#endif
