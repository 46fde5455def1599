#pragma once
#include <windows.h>

// Centres `window` over its owner, or over the full-screen area when it has
// none, keeping its size. Each coordinate is kept from passing the far edge
// of the area and from going below 0. Returns MoveWindow's result.
int center_window(HWND window);
