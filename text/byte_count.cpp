#include "text/byte_count.h"

// Both work without dividing 64-bit numbers, which on a 32-bit target would
// bring in the compiler's division routines.
int format_byte_count(char* out, uint64_t count)
{
    uint64_t powers[20];
    int digits = 1;
    powers[0] = 1;
    while (digits < 20 && powers[digits - 1] * 10 <= count) {
        powers[digits] = powers[digits - 1] * 10;
        ++digits;
    }
    int length = 0;
    while (digits--) {
        char digit = '0';
        while (count >= powers[digits]) {
            count -= powers[digits];
            ++digit;
        }
        out[length++] = digit;
        if (digits % 3 == 0 && digits)
            out[length++] = ',';
    }
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
