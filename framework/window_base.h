#pragma once
#include "framework/window_object.h"

// Base of every top-level window kind. The window procedure finds the object
// in the window's GWLP_USERDATA slot and turns each message into one virtual
// operation.
class WindowBase : public WindowObject {
public:
    virtual void adjust_window_class(WNDCLASSA& window_class);
    virtual LRESULT window_message(UINT msg, WPARAM wparam, LPARAM lparam);
    virtual void on_post_destroy();
    virtual int on_default_message(UINT msg, WPARAM wparam, LPARAM lparam);
    virtual int register_class() = 0;
    virtual int on_terminate();
    virtual void on_char(WPARAM wparam, LPARAM lparam);
    virtual void on_close();
    virtual void on_command(WPARAM wparam, LPARAM lparam);
    virtual void on_context_menu(WPARAM wparam, LPARAM lparam);
    virtual int on_create();
    virtual LRESULT on_ctl_color_list_box(WPARAM wparam, LPARAM lparam);
    virtual void on_destroy();
    virtual void on_draw_item(WPARAM wparam, LPARAM lparam);
    virtual void on_drop_files(WPARAM wparam);
    virtual void on_end_session(WPARAM wparam, LPARAM lparam);
    virtual void on_hscroll(WPARAM wparam, LPARAM lparam);
    virtual void on_init_menu(WPARAM wparam);
    virtual void on_key_down(WPARAM wparam, LPARAM lparam);
    virtual void on_key_up(WPARAM wparam, LPARAM lparam);
    virtual void on_kill_focus();
    virtual void on_lbutton_dblclk(WPARAM wparam, LPARAM lparam);
    virtual void on_lbutton_down(WPARAM wparam, LPARAM lparam);
    virtual void on_lbutton_up(WPARAM wparam, LPARAM lparam);
    virtual void on_menu_select(WPARAM wparam, LPARAM lparam);
    virtual void on_mouse_move(WPARAM wparam, LPARAM lparam);
    virtual void on_mouse_wheel(WPARAM wparam, LPARAM lparam);
    virtual void on_notify(WPARAM wparam, LPARAM lparam);
    virtual void on_paint();
    virtual int on_query_end_session();
    virtual void on_rbutton_down(WPARAM wparam, LPARAM lparam);
    virtual void on_rbutton_up(WPARAM wparam, LPARAM lparam);
    virtual void on_set_focus();
    virtual void on_size(WPARAM wparam, LPARAM lparam);
    virtual void on_sys_color_change();
    virtual void on_sys_command();
    virtual void on_sys_key_down(WPARAM wparam, LPARAM lparam);
    virtual void on_sys_key_up(WPARAM wparam, LPARAM lparam);
    virtual void on_timer(WPARAM timer_id);
    virtual int on_vkey_to_item(WPARAM wparam);
    virtual void on_vscroll(WPARAM wparam, LPARAM lparam);

    // Creates the object's window unless it has one; 1 when it has one after.
    int create_window(const char* class_name, HWND parent, HMENU menu, const char* title,
                      int x, int y, int width, int height);
    // Destroys the window; 1 on success, after which `hwnd` is null.
    int destroy();
    // Registers a window class served by base_window_proc, once per process:
    // returns 0 without doing anything when `registered` is already set.
    int register_window_kind_class(const char* class_name, int& registered);

protected:
    ~WindowBase() = default;

private:
    LRESULT default_path(UINT msg, WPARAM wparam, LPARAM lparam);
};

LRESULT CALLBACK base_window_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
