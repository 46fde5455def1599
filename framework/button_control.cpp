#include "framework/button_control.h"
#include <cstring>

ButtonControl::ButtonControl(int auto_subclass_flag) : auto_subclass(auto_subclass_flag)
{
    style = WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON;
}

char accelerator_of(const char* caption)
{
    const char* amp = caption ? strchr(caption, '&') : nullptr;
    return amp ? amp[1] : 0;
}

int ButtonControl::create(HWND parent, int id, const char* text,
                          int x, int y, int width, int height)
{
    if (id == 0)
        id = allocate_control_id();
    control_id = id;
    accelerator = accelerator_of(text);
    int created = attach_or_create("BUTTON", parent, text, x, y, width, height);
    if (created && auto_subclass)
        subclass(nullptr);
    return created;
}

int ButtonControl::on_command(int notification, int)
{
    if (notification != BN_CLICKED || !callback)
        return 0;
    (receiver->*callback)(control_id);
    return 1;
}
