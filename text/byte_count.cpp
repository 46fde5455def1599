#include "text/byte_count.h"

// Both work without dividing 64-bit numbers, which on a 32-bit target would
// bring in the compiler's division routines.
int format_byte_count(char* out, uint64_t count)
{
    // The count as four 16-bit pieces, most significant first; each digit,
    // from the last, is the remainder of dividing them by ten a piece at a
    // time, so every step divides only 32 bits.
    uint32_t pieces[4];
    for (int i = 0; i < 4; ++i)
        pieces[i] = static_cast<uint32_t>(count >> (48 - 16 * i)) & 0xffffu;
    char reversed[26];
    int length = 0;
    uint32_t left;
    do {
        uint32_t rest = 0;
        left = 0;
        for (uint32_t& piece : pieces) {
            uint32_t value = rest << 16 | piece;
            piece = value / 10u;
            rest = value % 10u;
            left |= piece;
        }
        if (length % 4 == 3)
            reversed[length++] = ',';
        reversed[length++] = static_cast<char>('0' + rest);
    } while (left);
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
