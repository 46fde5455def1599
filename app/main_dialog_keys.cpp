// Keys that act in the whole main window, whatever control has the focus: a
// message filter sees them in the window's modal loop before the focused
// control does, and swallows those the window handles.
#include "app/main_dialog.h"
#include "app/program_objects.h"

namespace {

HHOOK key_filter = nullptr;

LRESULT CALLBACK filter_keys(int code, WPARAM wparam, LPARAM lparam)
{
    const MSG* msg = reinterpret_cast<const MSG*>(lparam);
    // Only the main window's own loop: a dialog it opened keeps its keys.
    if (code == MSGF_DIALOGBOX && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) &&
        main_dialog.hwnd && GetAncestor(msg->hwnd, GA_ROOT) == main_dialog.hwnd &&
        main_dialog.on_shortcut_key(static_cast<UINT>(msg->wParam)))
        return 1;
    return CallNextHookEx(key_filter, code, wparam, lparam);
}

}  // namespace

void MainDialog::install_key_filter()
{
    if (!key_filter)
        key_filter = SetWindowsHookExW(WH_MSGFILTER, filter_keys, nullptr, GetCurrentThreadId());
}

void MainDialog::remove_key_filter()
{
    if (key_filter && UnhookWindowsHookEx(key_filter))
        key_filter = nullptr;
}

// F1..F12 send their macros; a key without one (F10 opens the menu bar) and
// any key with Alt held (Alt+F4 closes) go on as usual.
int MainDialog::on_shortcut_key(UINT vk)
{
    // Ctrl+B holds a break on the line.
    if (vk == 'B' && GetKeyState(VK_CONTROL) < 0) {
        send_break();
        return 1;
    }
    if (vk < VK_F1 || vk > VK_F12 || GetKeyState(VK_MENU) < 0)
        return 0;
    return send_macro(static_cast<int>(vk - VK_F1));
}
