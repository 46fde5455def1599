#include "text/byte_count.h"

// Both work without dividing 64-bit numbers, which on a 32-bit target would
// bring in the compiler's division routines.
int format_byte_count(char* out, uint64_t count)
{
    // Digits from the last, each the remainder of a division by ten done a
    // 16-bit piece at a time, so every step divides only 32 bits.
    char reversed[26];
    int length = 0;
    do {
        uint32_t rest = 0;
        uint64_t quotient = 0;
        for (int shift = 48; shift >= 0; shift -= 16) {
            uint32_t piece = rest << 16 | (static_cast<uint32_t>(count >> shift) & 0xffffu);
            quotient = quotient << 16 | piece / 10u;
            rest = piece % 10u;
        }
        if (length % 4 == 3)
            reversed[length++] = ',';
        reversed[length++] = static_cast<char>('0' + rest);
        count = quotient;
    } while (count);
    for (int i = 0; i < length; ++i)
        out[i] = reversed[length - 1 - i];
    out[length] = '\0';
    return length;
}

int percent_of(uint64_t part, uint64_t whole)
{
    if (whole == 0 || part >= whole)
        return 100;
    // Both scaled down until a hundred times the whole fits 32 bits; a part
    // short of the whole stays short of 100.
    while (whole >> 25) {
        whole >>= 1;
        part >>= 1;
    }
    uint32_t percent = static_cast<uint32_t>(part) * 100u / static_cast<uint32_t>(whole);
    return percent < 100 ? static_cast<int>(percent) : 99;
}
