// Any count is written whole, digits and commas only, and any part of any
// whole gives a percent from 0 to 100.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "text/byte_count.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint64_t numbers[2] = {};
    memcpy(numbers, data, size < sizeof numbers ? size : sizeof numbers);
    char text[27];
    int length = format_byte_count(text, numbers[0]);
    if (length < 1 || length > 26 || static_cast<int>(strlen(text)) != length)
        abort();
    for (int i = 0; i < length; ++i)
        if ((text[i] < '0' || text[i] > '9') && (text[i] != ',' || (length - i) % 4 != 0))
            abort();
    int percent = percent_of(numbers[0], numbers[1]);
    if (percent < 0 || percent > 100)
        abort();
    return 0;
}
