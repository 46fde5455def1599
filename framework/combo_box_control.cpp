#include "framework/combo_box_control.h"

ComboBoxControl::ComboBoxControl()
{
    style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN;
}

int ComboBoxControl::create(HWND parent, int id, const char* text,
                            int x, int y, int width, int height)
{
    if (id == 0)
        id = allocate_control_id();
    control_id = id;
    return attach_or_create("COMBOBOX", parent, text, x, y, width, height);
}

int ComboBoxControl::on_command(int notification, int)
{
    if (notification != CBN_SELCHANGE)
        return 0;
    last_selection = static_cast<int>(SendMessageA(hwnd, CB_GETCURSEL, 0, 0));
    if (!callback)
        return 0;
    (receiver->*callback)(control_id);
    return 1;
}
