#pragma once
#include <windows.h>

// A control of a window class that the program registers itself. Each object
// enters a process-wide registry under its dialog control id when it is
// constructed; one shared window procedure finds it there by the window's id.
class CustomControl {
public:
    explicit CustomControl(int control_id);
    CustomControl(const CustomControl&) = delete;
    CustomControl& operator=(const CustomControl&) = delete;

    virtual void register_class() = 0;
    virtual void on_set_cursor();
    virtual void on_command(WPARAM wparam, LPARAM lparam);
    virtual void on_create(HWND window);
    virtual void on_destroy();
    virtual void on_draw_item(WPARAM wparam, LPARAM lparam);
    virtual void on_lbutton_down(WPARAM wparam, LPARAM lparam);
    virtual void on_lbutton_up(WPARAM wparam, LPARAM lparam);
    virtual void on_mouse_move(WPARAM wparam, LPARAM lparam);
    virtual void on_paint();
    virtual void on_set_focus();
    virtual void on_size(WPARAM wparam, LPARAM lparam);

    // Sends WM_NOTIFY with `code` to the control's parent.
    void notify_parent(UINT code);

    HWND hwnd = nullptr;
    int control_id = 0;
    int interactive = 0;
    NMHDR notify_header = {};

protected:
    ~CustomControl() = default;
};

// The object registered last under `control_id`, or null.
CustomControl* find_custom_control(int control_id);
// Has every registered object register its window class, newest first.
void register_all_custom_classes();
// Registers a window class served by custom_control_proc.
ATOM register_custom_class(const char* class_name);
LRESULT CALLBACK custom_control_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);

// The cursor that interactive custom controls show; nothing loads one.
extern HCURSOR click_cursor;
