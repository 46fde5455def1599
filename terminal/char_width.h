#pragma once
#include <cstdint>

// How many cells a code point takes on the screen: 2 for East Asian wide
// and full-width characters and most emoji, 0 for combining marks and
// other characters drawn over the one before, 1 for the rest.
int char_cell_width(uint32_t code_point);
