#include "serial/center_window.h"

namespace {

// The start coordinate that centres a span of `size` (counted inclusively)
// in the area from `area_start` to `area_end`, clamped to [0, area_end - size].
LONG centred_start(LONG area_start, LONG area_end, LONG size)
{
    LONG area_size = area_end - area_start + 1;
    LONG start = area_start + area_size / 2 - size / 2;
    LONG limit = area_end - size;
    LONG clamped = start < limit ? start : limit;
    return clamped > 0 ? clamped : 0;
}

}  // namespace

int center_window(HWND window)
{
    RECT area;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner) {
        GetWindowRect(owner, &area);
    } else {
        area.left = 0;
        area.top = 0;
        area.right = GetSystemMetrics(SM_CXFULLSCREEN);
        area.bottom = GetSystemMetrics(SM_CYFULLSCREEN);
    }
    RECT own;
    GetWindowRect(window, &own);
    LONG width = own.right - own.left;
    LONG height = own.bottom - own.top;
    LONG top = centred_start(area.top, area.bottom, height + 1);
    LONG left = centred_start(area.left, area.right, width + 1);
    return MoveWindow(window, left, top, width, height, FALSE);
}
