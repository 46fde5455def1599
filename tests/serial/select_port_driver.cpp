#include "tests/serial/select_port_driver.h"
#include "tests/support/test_support.h"

void when_select_port_opens(const std::function<void(HWND)>& act)
{
    when_window_opens(WindowQuery{"#32770", "Select Port"}, act);
}

bool select_port_was_driven()
{
    return window_was_driven();
}

bool is_checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}
