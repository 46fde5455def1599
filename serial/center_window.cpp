#include "serial/center_window.h"

namespace {

// The start coordinate that centres a span of `size` (counted inclusively)
// in the area from `area_start` to `area_end`, kept inside the work area
// from `work_start` to `work_end`.
LONG centred_start(LONG area_start, LONG area_end, LONG size, LONG work_start, LONG work_end)
{
    LONG area_size = area_end - area_start + 1;
    LONG start = area_start + area_size / 2 - size / 2;
    LONG limit = work_end - size;
    LONG clamped = start < limit ? start : limit;
    return clamped > work_start ? clamped : work_start;
}

}  // namespace

int center_window(HWND window)
{
    RECT screen = {0, 0, GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    RECT area = screen;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner)
        GetWindowRect(owner, &area);
    // The work area of the owner's monitor, or of the main one without an
    // owner. Left of or above the main monitor its coordinates are negative.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    HMONITOR on =
        MonitorFromWindow(owner, owner ? MONITOR_DEFAULTTONEAREST : MONITOR_DEFAULTTOPRIMARY);
    if (!on || !GetMonitorInfoA(on, &monitor))
        monitor.rcWork = screen;
    RECT own;
    GetWindowRect(window, &own);
    LONG width = own.right - own.left;
    LONG height = own.bottom - own.top;
    const RECT& work = monitor.rcWork;
    LONG top = centred_start(area.top, area.bottom, height + 1, work.top, work.bottom);
    LONG left = centred_start(area.left, area.right, width + 1, work.left, work.right);
    return MoveWindow(window, left, top, width, height, FALSE);
}
