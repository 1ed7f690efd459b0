// Bytes -> a command line -> CutCommandLine, against a model of the cut written with indexes.
// The first byte picks the code page: odd for 932 (lead bytes 0x81-0x9F, 0xE0-0xFC), even for a
// single-byte one.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "setup/command_line.h"
#include "tests/fake/fake_platform.h"

namespace {

bool Lead932(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

size_t ModelCut(const std::string& line, bool dbcs)
{
    size_t i = 0;
    const size_t n = line.size();
    if (n > 0 && line[0] == '"') {
        i = 1;
        for (;;) {
            if (i >= n)
                return n; // no closing quote: nothing is left for the argument text
            unsigned char c = (unsigned char)line[i];
            if (c == '"') {
                i++;
                break;
            }
            i += (dbcs && Lead932(c) && i + 1 < n) ? 2 : 1;
        }
    } else {
        while (i < n && (unsigned char)line[i] > 32)
            i++;
    }
    while (i < n && (unsigned char)line[i] >= 1 && (unsigned char)line[i] <= 32)
        i++;
    return i;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    bool dbcs = data[0] & 1;
    std::string line((const char*)data + 1, size - 1);
    line = std::string(line.c_str()); // a command line ends at its NUL

    fake.Reset();
    if (dbcs)
        for (int b = 0; b < 256; b++)
            if (Lead932((unsigned char)b))
                fake.leadBytes.insert((unsigned char)b);

    // An exact-size heap copy, so reading past the NUL is caught.
    char* copy = (char*)malloc(line.size() + 1);
    memcpy(copy, line.c_str(), line.size() + 1);
    const char* rest = CutCommandLine(copy);
    if (rest < copy || rest > copy + line.size())
        abort();
    if ((size_t)(rest - copy) != ModelCut(line, dbcs))
        abort();
    free(copy);
    return 0;
}
