// Shortcut keys of the main window. The window is a modal dialog, whose
// loop hands each message to a message filter before the dialog sees it.
#include "app/main_dialog.h"
#include "app/program_objects.h"

namespace {

HHOOK key_filter = nullptr;

LRESULT CALLBACK filter_keys(int code, WPARAM wparam, LPARAM lparam)
{
    // The filter lives only while the window does.
    const MSG* msg = reinterpret_cast<const MSG*>(lparam);
    HWND window = main_dialog.hwnd;
    if (code == MSGF_DIALOGBOX &&
        (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) &&
        (msg->hwnd == window || IsChild(window, msg->hwnd)) &&
        main_dialog.on_shortcut_key(static_cast<UINT>(msg->wParam)))
        return 1;
    return CallNextHookEx(key_filter, code, wparam, lparam);
}

}  // namespace

void MainDialog::install_shortcut_keys()
{
    if (!key_filter)
        key_filter = SetWindowsHookExA(WH_MSGFILTER, filter_keys, nullptr, GetCurrentThreadId());
}

void MainDialog::remove_shortcut_keys()
{
    if (key_filter)
        UnhookWindowsHookEx(key_filter);
    key_filter = nullptr;
}

int MainDialog::on_shortcut_key(UINT vk)
{
    if (vk == 'B' && GetKeyState(VK_CONTROL) < 0) {
        send_break();
        return 1;
    }
    return 0;
}
