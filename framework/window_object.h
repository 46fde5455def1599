#pragma once
#include <windows.h>

// Root of every object that drives a window: dialogs, top-level windows and
// child control wrappers.
class WindowObject {
public:
    WindowObject() = default;
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    // Creates the window of a control kind. Kinds that are brought up some
    // other way (dialogs, top-level windows) keep this default, which warns.
    virtual int create(HWND parent, int control_id, const char* text,
                       int x, int y, int width, int height);

    HWND hwnd = nullptr;
    DWORD style = 0;
    DWORD ex_style = 0;

protected:
    ~WindowObject() = default;
};
