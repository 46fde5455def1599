#pragma once
#include <windows.h>

// Where a window `width` by `height` (pixels) goes beside the window
// `anchor` on the work area of the anchor's monitor: to its right, else to
// its left, else where it fits (text/plot_place.h).
RECT beside_window(HWND anchor, int width, int height);
