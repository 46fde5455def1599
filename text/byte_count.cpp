#include "text/byte_count.h"

int format_byte_count(char* out, uint64_t count)
{
    // The digits backwards, a comma before every fourth, then turned round.
    char backwards[27];
    int length = 0;
    do {
        if (length % 4 == 3)
            backwards[length++] = ',';
        backwards[length++] = static_cast<char>('0' + count % 10);
        count /= 10;
    } while (count);
    for (int i = 0; i < length; ++i)
        out[i] = backwards[length - 1 - i];
    out[length] = '\0';
    return length;
}

int percent_of(uint64_t part, uint64_t whole)
{
    if (whole == 0 || part >= whole)
        return 100;
    // Past a hundredth of the largest count the whole is divided first.
    if (part > UINT64_MAX / 100)
        return static_cast<int>(part / (whole / 100));
    return static_cast<int>(part * 100 / whole);
}
