// Bytes -> a PPD file -> ReadPpdNickName. No crash, the name always fits, and the result equals
// a small model of the rule written without scanf: records of up to 255 bytes between runs of
// CR/LF; the first record whose first nine characters are "*NickName" (letter case ignored)
// decides; its value is what follows "*NickName:" (exact case), white space and a quote, up to
// the next quote or the record's end.
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "drivers/drivers.h"
#include "tests/fake/fake_platform.h"

namespace {

bool IsLineEnd(uint8_t c)
{
    return c == '\r' || c == '\n';
}

bool IsScanfSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char Fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
}

// Returns the reader's expected result; sets *name when a value is found.
int Model(const uint8_t* data, size_t size, std::string* name, bool* nameSet)
{
    *nameSet = false;
    size_t pos = 0;
    while (pos < size && IsLineEnd(data[pos]))
        pos++;
    for (;;) {
        if (pos >= size)
            return 0;
        size_t start = pos;
        while (pos < size && pos - start < 255 && !IsLineEnd(data[pos]))
            pos++;
        std::string record((const char*)data + start, pos - start);
        while (pos < size && IsLineEnd(data[pos]))
            pos++;
        // The record is read as a C string: it ends at its first NUL.
        record = std::string(record.c_str());
        const char keyword[] = "*nickname";
        bool isKeyword = record.size() >= 9;
        for (size_t i = 0; isKeyword && i < 9; i++)
            isKeyword = Fold(record[i]) == keyword[i];
        if (!isKeyword)
            continue;
        if (record.compare(0, 10, "*NickName:") == 0) {
            size_t v = 10;
            while (v < record.size() && IsScanfSpace(record[v]))
                v++;
            if (v < record.size() && record[v] == '"') {
                size_t end = record.find('"', v + 1);
                std::string value = record.substr(v + 1, end == std::string::npos ? std::string::npos
                                                                                  : end - v - 1);
                if (!value.empty()) {
                    *name = value.substr(0, 255);
                    *nameSet = true;
                }
            }
        }
        return 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Memory-backed where there is such a folder: a file per input is the slow part here.
    static char path[64];
    static int fd = [] {
        for (const char* folder : {"/dev/shm", "/tmp"}) {
            snprintf(path, sizeof path, "%s/folvane-fuzz-ppd-XXXXXX", folder);
            int made = mkstemp(path);
            if (made >= 0)
                return made;
        }
        abort();
    }();
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != (ssize_t)size)
        abort();

    fake.Reset();
    // The buffer lies at the end of a heap block of its exact size, so a write past it is caught.
    char* nickName = (char*)malloc(sizeof(NickNameBuffer));
    strcpy(nickName, "previous");
    int result = ReadPpdNickName(path, nickName);

    std::string expected = "previous";
    bool nameSet = false;
    int expectedResult = Model(data, size, &expected, &nameSet);
    if (result != expectedResult)
        abort();
    if (strnlen(nickName, sizeof(NickNameBuffer)) > 244)
        abort();
    if (expected != nickName)
        abort();
    if (!fake.BoxTexts().empty()) // a file that exists and reads has nothing to report
        abort();
    free(nickName);
    return 0;
}
