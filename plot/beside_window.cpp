#include "plot/beside_window.h"
#include "text/plot_place.h"

RECT beside_window(HWND anchor, int width, int height)
{
    RECT anchor_rect = {};
    GetWindowRect(anchor, &anchor_rect);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoA(MonitorFromWindow(anchor, MONITOR_DEFAULTTONEAREST), &monitor))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
    const RECT& work = monitor.rcWork;
    PlotBox placed = place_beside(PlotBox{anchor_rect.left, anchor_rect.top, anchor_rect.right, anchor_rect.bottom},
                                  width, height, PlotBox{work.left, work.top, work.right, work.bottom});
    return RECT{placed.left, placed.top, placed.right, placed.bottom};
}
