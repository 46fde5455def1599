#pragma once
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0  // a window moved to a monitor of another scale
#endif

// The length that `length` pixels at 96 DPI become at `dpi`.
int scale_to_dpi(int length, UINT dpi);

// The DPI that `window` is drawn at: the window's own where Windows knows it
// (10 1607 and later), else the screen's. Null asks for the screen's.
UINT window_dpi(HWND window);

// A function of a system DLL looked up at run time, or null where this
// Windows lacks it: a program that imports a missing function would not load.
void* system_function(const char* dll, const char* name);

// GetSystemMetrics at `dpi`: the system's own answer where this Windows
// knows one (10 1607 and later), else the 96-DPI metric scaled.
int system_metric_for_dpi(int index, UINT dpi);
