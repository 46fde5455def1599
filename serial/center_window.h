#pragma once
#include <windows.h>

// Centres `window` over its owner, or over the full-screen area when it has
// none, keeping its size, and keeps it inside the work area of the owner's
// monitor (the main monitor without an owner), wherever that monitor lies on
// the desktop; a window larger than the work area goes to its left or top
// edge. Returns MoveWindow's result.
int center_window(HWND window);
