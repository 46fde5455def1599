#pragma once
#include <windows.h>
#include <cstdint>

// Checks the button `index` places after `first_id` in the radio group
// first_id..last_id and clears the others. An index outside the group (a
// hand-edited value, however large) checks no button at all.
void check_radio_index(HWND dialog, int first_id, int last_id, int32_t index);
