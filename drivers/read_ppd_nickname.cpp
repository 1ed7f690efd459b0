// The model name of a PPD: the quoted value of its first "*NickName" line.
#include "drivers/drivers.h"

#include <errno.h>
#include <stdio.h>

#include "setup/messages.h"
#include "setup/no_case.h"

// One record: up to 255 bytes that are neither CR nor LF, then the run of line ends after it.
// Any mix of CR, LF and CR LF, and empty lines, vanish between records; a longer line yields
// several records, each tested on its own.
static const char kRecordFormat[] = "%255[^\r\n]%*[\r\n]";
static const char kKeyword[] = "*NickName";
static const size_t kKeywordLength = sizeof kKeyword - 1;
// Exact case here, though the keyword test above ignores it: *NICKNAME: passes that test and
// then yields no value.
static const char kValueFormat[] = "*NickName: \"%255[^\"]";

int ReadPpdNickName(const char* path, NickNameBuffer nickName)
{
    char record[256];

    // errno is only meaningful right after a failing call: clear it first so that a stale value
    // left by some earlier call is never shown as this file's error.
    errno = 0;
    FILE* file = fopen(path, "rb");
    if (file == NULL) {
        ReportRuntimeError();
        return 0;
    }
    errno = 0; // a successful open may leave errno set; from here only a read error sets it

    fscanf(file, "%*[\r\n]");
    for (;;) {
        if (fscanf(file, kRecordFormat, record) != 1) {
            // The plain end of the file sets no errno and so shows nothing.
            ReportRuntimeError();
            fclose(file);
            return 0;
        }
        if (CompareNoCaseN(record, kKeyword, kKeywordLength) == 0)
            break;
    }

    // Only this first keyword record counts; the rest of the file is not read.
    sscanf(record, kValueFormat, nickName);

    errno = 0;
    if (fclose(file) != 0) {
        ReportRuntimeError();
        return 0;
    }
    return 1;
}
