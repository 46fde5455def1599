#include "app/shortcut_keys.h"

namespace {

// A message filter has no place for a pointer of its own: the one window
// that asked for the keys is kept here.
struct KeyFilter {
    HHOOK hook = nullptr;
    HWND window = nullptr;
    ShortcutHandler* handler = nullptr;
    HWND modeless = nullptr;
};
KeyFilter filter;

LRESULT CALLBACK filter_keys(int code, WPARAM wparam, LPARAM lparam)
{
    MSG* msg = reinterpret_cast<MSG*>(lparam);
    if (code == MSGF_DIALOGBOX && filter.modeless &&
        (msg->hwnd == filter.modeless || IsChild(filter.modeless, msg->hwnd)) &&
        IsDialogMessageW(filter.modeless, msg))
        return 1;
    if (code == MSGF_DIALOGBOX && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) &&
        filter.window && GetAncestor(msg->hwnd, GA_ROOT) == filter.window && filter.handler &&
        filter.handler->on_shortcut_key(static_cast<UINT>(msg->wParam)))
        return 1;
    return CallNextHookEx(filter.hook, code, wparam, lparam);
}

}  // namespace

void install_shortcut_keys(HWND window, ShortcutHandler* handler)
{
    filter.window = window;
    filter.handler = handler;
    if (!filter.hook)
        filter.hook = SetWindowsHookExW(WH_MSGFILTER, filter_keys, nullptr, GetCurrentThreadId());
}

void remove_shortcut_keys()
{
    if (filter.hook && UnhookWindowsHookEx(filter.hook))
        filter.hook = nullptr;
    filter.window = nullptr;
    filter.handler = nullptr;
    filter.modeless = nullptr;
}

void route_dialog_keys(HWND modeless)
{
    filter.modeless = modeless;
}

int escape_stops(Stoppable* const* parts, int count)
{
    for (int i = 0; i < count; ++i)
        if (parts[i]->stop_running())
            return 1;
    return 0;
}
