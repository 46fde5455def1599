#include "tests/serial/select_port_driver.h"
#include <cstring>

namespace {

std::function<void(HWND)> pending_act;
UINT_PTR timer = 0;
bool acted = false;

BOOL CALLBACK find_select_port(HWND window, LPARAM found)
{
    char title[32] = {};
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) && strcmp(title, "Select Port") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK look_for_dialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_select_port, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    KillTimer(nullptr, timer);
    timer = 0;
    acted = true;
    pending_act(dialog);
}

}  // namespace

void when_select_port_opens(const std::function<void(HWND)>& act)
{
    pending_act = act;
    acted = false;
    timer = SetTimer(nullptr, 0, 20, look_for_dialog);
}

bool select_port_was_driven()
{
    if (timer)
        KillTimer(nullptr, timer);
    timer = 0;
    return acted;
}

bool is_checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}
