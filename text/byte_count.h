#pragma once
#include <cstdint>

// Writes `count` in decimal with a comma between each group of three digits
// ("1,024,000"), terminated; `out` needs 27 bytes for any count. Returns the
// length.
int format_byte_count(char* out, uint64_t count);
// How many whole percent `part` is of `whole`: 100 for an empty whole, never
// more than 100.
int percent_of(uint64_t part, uint64_t whole);
