// The main window's place on the screen, kept between runs with the scale it
// was taken at, and whether it was maximized.
#include "app/main_dialog.h"
#include "framework/dpi.h"

namespace {

// `rect` without the invisible resize borders that GetWindowRect counts:
// the borders `window` has now, as the desktop composition reports them,
// grown or shrunk from its scale to `dpi`.
RECT visible_frame(HWND window, RECT rect, UINT dpi)
{
    typedef HRESULT(WINAPI * FrameBounds)(HWND, DWORD, void*, DWORD);
    auto frame_bounds =
        reinterpret_cast<FrameBounds>(system_function("dwmapi.dll", "DwmGetWindowAttribute"));
    RECT outer, frame;
    if (frame_bounds && GetWindowRect(window, &outer) &&
        frame_bounds(window, 9 /* DWMWA_EXTENDED_FRAME_BOUNDS */, &frame, sizeof frame) == S_OK) {
        UINT now = window_dpi(window);
        rect.left += MulDiv(frame.left - outer.left, dpi, now);
        rect.top += MulDiv(frame.top - outer.top, dpi, now);
        rect.right -= MulDiv(outer.right - frame.right, dpi, now);
        rect.bottom -= MulDiv(outer.bottom - frame.bottom, dpi, now);
    }
    return rect;
}

}  // namespace

bool caption_on_a_work_area(HWND window, const RECT& rect, UINT dpi)
{
    RECT caption = visible_frame(window, rect, dpi);
    caption.bottom = caption.top + GetSystemMetrics(SM_CYCAPTION);
    HMONITOR monitor = MonitorFromRect(&caption, MONITOR_DEFAULTTONULL);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return false;
    const RECT& work = info.rcWork;
    return caption.left >= work.left && caption.top >= work.top && caption.right <= work.right &&
           caption.bottom <= work.bottom;
}

// Puts the window where the settings file says when its caption is on a
// screen, at that screen's scale; otherwise it stays centred. A window that
// was maximized comes back maximized. The file's values stay as they were
// until the user moves the window.
void MainDialog::restore_placement()
{
    placing = 1;
    UINT dpi = window_dpi(hwnd);
    UINT saved = options.window_dpi ? static_cast<UINT>(options.window_dpi) : dpi;
    if (options.has_window && caption_on_a_work_area(hwnd, options.window, saved)) {
        const RECT& rect = options.window;
        SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
        // Now on its monitor: a scale other than the one it was saved at
        // gives it the same size in that scale's pixels.
        dpi = window_dpi(hwnd);
        LONG width = MulDiv(rect.right - rect.left, dpi, saved);
        LONG height = MulDiv(rect.bottom - rect.top, dpi, saved);
        SetWindowPos(hwnd, nullptr, rect.left, rect.top,
                     width < min_window.cx ? min_window.cx : width,
                     height < min_window.cy ? min_window.cy : height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    GetWindowRect(hwnd, &placed);
    if (options.maximized)
        ShowWindow(hwnd, SW_MAXIMIZE);
    placing = 0;
}

// A move or a new size of the normal window is kept for the next run, with
// the scale it was made at.
void MainDialog::window_pos_changed()
{
    if (min_window.cx == 0 || placing ||
        (GetWindowLongPtrA(hwnd, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE)))
        return;
    RECT now;
    GetWindowRect(hwnd, &now);
    if (EqualRect(&now, &placed))
        return;
    placed = options.window = now;
    options.window_dpi = static_cast<int32_t>(window_dpi(hwnd));
    options.has_window = 1;
    settings_changed = 1;
}
