#include "framework/window_object.h"

int WindowObject::create(HWND, int, const char*, int, int, int, int)
{
    MessageBoxA(nullptr, "Missing Create", "App Error", MB_ICONWARNING);
    return 0;
}
