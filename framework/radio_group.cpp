#include "framework/radio_group.h"

void check_radio_index(HWND dialog, int first_id, int last_id, int32_t index)
{
    // Id 0 names no button of the group, so CheckRadioButton clears them all;
    // the range test comes first so that first_id + index can't overflow.
    bool in_group = index >= 0 && index <= last_id - first_id;
    CheckRadioButton(dialog, first_id, last_id, in_group ? first_id + index : 0);
}
