// The main window grows: the list takes the extra room, the command box and
// Send follow the right edge. Its place on the screen is kept between runs.
#include "app/main_dialog.h"
#include <commctrl.h>
#include "framework/dpi.h"
#include "resources/resource_ids.h"

namespace {

RECT child_rect(HWND dialog, int id)
{
    RECT rect = {};
    HWND child = GetDlgItem(dialog, id);
    if (child) {
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    }
    return rect;
}

void place(HWND dialog, int id, const RECT& rect)
{
    HWND child = GetDlgItem(dialog, id);
    if (child)
        SetWindowPos(child, nullptr, rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// How the resized controls follow the window: all grow or move with the
// right edge; the list also takes the extra height.
const struct {
    int id;
    bool follows_right;  // moves rather than grows
    bool grows_down;
} anchors[3] = {
    {IDC_RECEIVED_LIST, false, true},
    {IDC_COMMAND, false, false},
    {IDC_SEND, true, false},
};

// True when `rect` lies whole on the work area of one screen.
bool fits_on_a_screen(const RECT& rect)
{
    HMONITOR monitor = MonitorFromRect(&rect, MONITOR_DEFAULTTONULL);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return false;
    const RECT& work = info.rcWork;
    return rect.left >= work.left && rect.top >= work.top && rect.right <= work.right &&
           rect.bottom <= work.bottom;
}

}  // namespace

// Takes the template's sizes as the smallest the window may become.
void MainDialog::remember_layout()
{
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    min_window = SIZE{window.right - window.left, window.bottom - window.top};
    layout_dpi = window_dpi(hwnd);
    base_client = SIZE{client.right, client.bottom};
    for (int i = 0; i < 3; ++i)
        base_rects[i] = child_rect(hwnd, anchors[i].id);
    // A combo box's height includes its drop-down list.
    RECT dropped = {};
    if (SendDlgItemMessageA(hwnd, IDC_COMMAND, CB_GETDROPPEDCONTROLRECT, 0,
                            reinterpret_cast<LPARAM>(&dropped)))
        base_rects[1].bottom = base_rects[1].top + (dropped.bottom - dropped.top);
    on_size(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));  // the status bar's parts
}

// Puts the window where the settings file says when that still fits on a
// screen; otherwise it stays centred.
void MainDialog::restore_placement()
{
    if (options.has_window && fits_on_a_screen(options.window)) {
        LONG width = options.window.right - options.window.left;
        LONG height = options.window.bottom - options.window.top;
        if (width < min_window.cx)
            width = min_window.cx;
        if (height < min_window.cy)
            height = min_window.cy;
        SetWindowPos(hwnd, nullptr, options.window.left, options.window.top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    GetWindowRect(hwnd, &options.window);
}

// A move or a new size of the normal window is kept for the next run.
void MainDialog::window_pos_changed()
{
    if (min_window.cx == 0 || (GetWindowLongPtrA(hwnd, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE)))
        return;
    RECT now;
    GetWindowRect(hwnd, &now);
    if (now.left == options.window.left && now.top == options.window.top &&
        now.right == options.window.right && now.bottom == options.window.bottom)
        return;
    options.window = now;
    options.has_window = 1;
    settings_changed = 1;
}

// On a monitor of another scale the smallest size and the layout's sizes
// scale with it before the window takes its new rectangle.
void MainDialog::on_dpi_changed(WPARAM wparam, LPARAM lparam)
{
    UINT dpi = LOWORD(wparam);
    if (layout_dpi && dpi && dpi != layout_dpi) {
        auto scale = [&](LONG& length) { length = MulDiv(length, dpi, layout_dpi); };
        scale(min_window.cx);
        scale(min_window.cy);
        scale(base_client.cx);
        scale(base_client.cy);
        for (RECT& rect : base_rects) {
            scale(rect.left);
            scale(rect.top);
            scale(rect.right);
            scale(rect.bottom);
        }
        layout_dpi = dpi;
    }
    DialogBase::on_dpi_changed(wparam, lparam);
}

void MainDialog::fill_min_max(MINMAXINFO* info)
{
    if (min_window.cx > 0) {
        info->ptMinTrackSize.x = min_window.cx;
        info->ptMinTrackSize.y = min_window.cy;
    }
}

void MainDialog::on_size(WPARAM kind, LPARAM lparam)
{
    if (status_bar) {
        SendMessageA(status_bar, WM_SIZE, 0, 0);
        // The port's state, the line, the capture, the line's signals, and
        // what is being sent.
        int width = LOWORD(lparam);
        int rights[5] = {width * 20 / 100, width * 42 / 100, width * 62 / 100, width * 62 / 100, -1};
        SendMessageA(status_bar, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(rights));
    }
    // Before the layout was taken, or minimized: the controls stay. The
    // window is never smaller than the template otherwise.
    if (base_client.cx == 0 || kind == SIZE_MINIMIZED)
        return;
    LONG dx = LOWORD(lparam) - base_client.cx;
    LONG dy = HIWORD(lparam) - base_client.cy;
    for (int i = 0; i < 3; ++i) {
        RECT rect = base_rects[i];
        if (anchors[i].follows_right)
            rect.left += dx;
        rect.right += dx;
        if (anchors[i].grows_down)
            rect.bottom += dy;
        place(hwnd, anchors[i].id, rect);
    }
}
