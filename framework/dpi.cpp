#include "framework/dpi.h"

int scale_to_dpi(int length, UINT dpi)
{
    return MulDiv(length, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

void* system_function(const char* dll, const char* name)
{
    HMODULE module = LoadLibraryA(dll);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

UINT window_dpi(HWND window)
{
    typedef UINT(WINAPI * DpiForWindow)(HWND);
    auto dpi_for_window =
        reinterpret_cast<DpiForWindow>(system_function("user32.dll", "GetDpiForWindow"));
    UINT dpi = window && dpi_for_window ? dpi_for_window(window) : 0;
    if (dpi)
        return dpi;
    HDC screen = GetDC(nullptr);
    int screen_dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen)
        ReleaseDC(nullptr, screen);
    return screen_dpi > 0 ? static_cast<UINT>(screen_dpi) : USER_DEFAULT_SCREEN_DPI;
}

int system_metric_for_dpi(int index, UINT dpi)
{
    typedef int(WINAPI * MetricForDpi)(int, UINT);
    auto metric = reinterpret_cast<MetricForDpi>(
        system_function("user32.dll", "GetSystemMetricsForDpi"));
    if (metric)
        return metric(index, dpi);
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(window_dpi(nullptr)));
}
