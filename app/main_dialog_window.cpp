// The main window grows: the list takes the extra room, the command box and
// Send follow the right edge. Its place on the screen is kept between runs.
#include "app/main_dialog.h"
#include <commctrl.h>
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
    base_client = SIZE{client.right, client.bottom};
    base_list = child_rect(hwnd, IDC_RECEIVED_LIST);
    base_combo = child_rect(hwnd, IDC_COMMAND);
    // A combo box's height includes its drop-down list.
    RECT dropped = {};
    if (SendDlgItemMessageA(hwnd, IDC_COMMAND, CB_GETDROPPEDCONTROLRECT, 0,
                            reinterpret_cast<LPARAM>(&dropped)))
        base_combo.bottom = base_combo.top + (dropped.bottom - dropped.top);
    base_send = child_rect(hwnd, IDC_SEND);
    window_rect = window;
    on_size(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));  // the status bar's parts
}

// Puts the window where the settings file says when that still fits on a
// screen; otherwise it stays centred.
void MainDialog::restore_placement()
{
    if (window_placed && fits_on_a_screen(window_rect)) {
        LONG width = window_rect.right - window_rect.left;
        LONG height = window_rect.bottom - window_rect.top;
        if (width < min_window.cx)
            width = min_window.cx;
        if (height < min_window.cy)
            height = min_window.cy;
        SetWindowPos(hwnd, nullptr, window_rect.left, window_rect.top, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    GetWindowRect(hwnd, &window_rect);
}

// A move or a new size of the normal window is kept for the next run.
void MainDialog::window_pos_changed()
{
    if (min_window.cx == 0 || IsIconic(hwnd) || IsZoomed(hwnd))
        return;
    RECT now;
    GetWindowRect(hwnd, &now);
    if (EqualRect(&now, &window_rect))
        return;
    window_rect = now;
    window_placed = 1;
    settings_changed = 1;
}

void MainDialog::fill_min_max(MINMAXINFO* info)
{
    if (min_window.cx > 0) {
        info->ptMinTrackSize.x = min_window.cx;
        info->ptMinTrackSize.y = min_window.cy;
    }
}

void MainDialog::on_size(WPARAM, LPARAM lparam)
{
    if (status_bar) {
        SendMessageA(status_bar, WM_SIZE, 0, 0);
        int width = LOWORD(lparam);
        int rights[3] = {width * 30 / 100, width * 52 / 100, -1};
        SendMessageA(status_bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(rights));
    }
    if (base_client.cx == 0)
        return;  // before the layout was taken
    LONG dx = LOWORD(lparam) - base_client.cx;
    LONG dy = HIWORD(lparam) - base_client.cy;
    if (dx < 0)
        dx = 0;
    if (dy < 0)
        dy = 0;
    RECT list = base_list, combo = base_combo, send = base_send;
    list.right += dx;
    list.bottom += dy;
    combo.right += dx;
    OffsetRect(&send, dx, 0);
    place(hwnd, IDC_RECEIVED_LIST, list);
    place(hwnd, IDC_COMMAND, combo);
    place(hwnd, IDC_SEND, send);
    InvalidateRect(hwnd, nullptr, TRUE);
}
