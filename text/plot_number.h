#pragma once
#include <cstdint>

// Decimal numbers as devices print them, read without the C runtime's
// floating-point conversions (which would cost the program kilobytes).

// The length of the decimal number that starts `text` (before `end`): an
// optional sign, digits with an optional fraction (at least one digit in
// all), an optional exponent. 0 when no number starts there.
int scan_decimal_number(const char* text, const char* end);

// The value of a number of at most 31 characters that scan_decimal_number
// accepted; close enough to draw, not exact. Beyond the range of a double it
// is infinite.
double decimal_number_value(const char* text, int length);

// Writes `number` in decimal; returns the length, at most 10. `out` is not
// terminated.
int format_count(uint32_t number, char* out);
