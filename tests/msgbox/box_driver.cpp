#include "tests/msgbox/box_driver.h"
#include <gtest/gtest.h>

int OwnerWindow::timer_ticks = 0;
int driven_ticks = 0;

namespace {

LRESULT CALLBACK owner_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_TIMER) {
        ++OwnerWindow::timer_ticks;
        return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}

const char* owner_class()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA window_class = {};
        window_class.lpfnWndProc = owner_proc;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "QuorvexTestOwner";
        registered = RegisterClassA(&window_class) != 0;
    }
    return "QuorvexTestOwner";
}

MessageBoxWindow* driven_box = nullptr;
const std::function<void(HWND, int)>* driven_step = nullptr;
int driven_max_ticks = 0;

void CALLBACK driver_tick(HWND, UINT, UINT_PTR, DWORD)
{
    if (!driven_box || !driven_box->hwnd)
        return;
    ++driven_ticks;
    if (driven_ticks > driven_max_ticks)
        PostMessageA(driven_box->hwnd, WM_CLOSE, 0, 0);
    else
        (*driven_step)(driven_box->hwnd, driven_ticks);
}

LPARAM key_lparam(WPARAM key, bool up)
{
    UINT scan = MapVirtualKeyA(static_cast<UINT>(key), 0 /* MAPVK_VK_TO_VSC */);
    LPARAM lparam = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
    if (up)
        lparam |= (1L << 30) | (1L << 31);
    return lparam;
}

}  // namespace

OwnerWindow::OwnerWindow()
{
    RECT frame = {0, 0, 600, 400};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    hwnd = CreateWindowExA(0, owner_class(), "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

OwnerWindow::~OwnerWindow()
{
    if (hwnd)
        DestroyWindow(hwnd);
}

int drive_box(MessageBoxWindow& box, const std::function<int()>& bring_up,
              const std::function<void(HWND, int)>& step, int max_ticks, UINT period_ms)
{
    driven_box = &box;
    driven_step = &step;
    driven_max_ticks = max_ticks;
    driven_ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, period_ms, driver_tick);
    int result = bring_up();
    KillTimer(nullptr, timer);
    driven_box = nullptr;
    driven_step = nullptr;
    EXPECT_GT(driven_ticks, 0) << "drive_box: the box never came up";
    EXPECT_LE(driven_ticks, max_ticks)
        << "drive_box: the steps did not end the box within " << max_ticks << " ticks";
    return result;
}

int show_driven(MessageBoxWindow& box, const BoxArguments& arguments,
                const std::function<void(HWND, int)>& step, int max_ticks, UINT period_ms)
{
    return drive_box(box, [&] {
        return box.show(arguments.owner, arguments.text, arguments.link_text, arguments.style,
                        arguments.icon_id, RGB(0, 0, 0), RGB(0xC0, 0xC0, 0xC0),
                        RGB(0x80, 0x80, 0x80));
    }, step, max_ticks, period_ms);
}

void key_down(WPARAM key)
{
    PostMessageA(GetFocus(), WM_KEYDOWN, key, key_lparam(key, false));
}

void key_up(WPARAM key)
{
    PostMessageA(GetFocus(), WM_KEYUP, key, key_lparam(key, true));
}

void press_key(WPARAM key)
{
    key_down(key);
    key_up(key);
}

void click_window(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    PostMessageA(window, WM_LBUTTONUP, 0, centre);
}
