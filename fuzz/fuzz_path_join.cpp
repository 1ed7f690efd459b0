// Path joining around the 259-character limit: the result is the concatenation when it fits and
// empty otherwise, and never one byte is written past the 260-byte buffer.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "drivers/path_join.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // Two lengths near the limit from the first two bytes; the rest fills the text.
    size_t firstLength = 130 + data[0] % 140;
    size_t secondLength = data[1] % 140;
    std::string fill((const char*)data + 2, size - 2);
    for (char& c : fill)
        if (c == '\0')
            c = 'x';
    if (fill.empty())
        fill = "x";
    std::string first, second;
    while (first.size() < firstLength)
        first += fill;
    while (second.size() < secondLength)
        second += fill;
    first.resize(firstLength);
    second.resize(secondLength);

    char* out = (char*)malloc(sizeof(PathBuffer)); // exact size: an overrun is caught
    int fits = JoinPath(out, first.c_str(), second.c_str());
    std::string joined = first + second;
    if (fits != (joined.size() <= MAX_PATH - 1))
        abort();
    if (fits ? joined != out : out[0] != '\0')
        abort();

    // Joining onto itself, as the driver directory gets its separator.
    if (first.size() < MAX_PATH) {
        memcpy(out, first.c_str(), first.size() + 1);
        int selfFits = JoinPath(out, out, second.c_str());
        if (selfFits && joined != out)
            abort();
    }
    free(out);
    return 0;
}
