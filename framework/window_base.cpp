#include "framework/window_base.h"
#include "framework/control_base.h"
#include "framework/program_instance.h"

LRESULT CALLBACK base_window_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
        auto* object = static_cast<WindowBase*>(create->lpCreateParams);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
        if (object)
            object->hwnd = window;
    }
    auto* object = reinterpret_cast<WindowBase*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!object)
        return DefWindowProcA(window, msg, wparam, lparam);
    return object->window_message(msg, wparam, lparam);
}

LRESULT WindowBase::default_path(UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (on_default_message(msg, wparam, lparam))
        return 0;
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

LRESULT WindowBase::window_message(UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_CREATE:           return on_create() ? 0 : -1;
    case WM_DESTROY:          on_destroy(); on_terminate(); on_post_destroy(); return 0;
    case WM_SIZE:             on_size(wparam, lparam); return 0;
    case WM_SETFOCUS:         on_set_focus(); return 0;
    case WM_KILLFOCUS:        on_kill_focus(); return 0;
    case WM_PAINT:            on_paint(); return 0;
    case WM_CLOSE:            on_close(); return 0;
    case WM_QUERYENDSESSION:  return on_query_end_session();
    case WM_SYSCOLORCHANGE:   on_sys_color_change(); return 0;
    case WM_ENDSESSION:       on_end_session(wparam, lparam); if (wparam) on_terminate(); return 0;
    case WM_DRAWITEM:         on_draw_item(wparam, lparam); return 1;
    case WM_VKEYTOITEM:       return on_vkey_to_item(wparam);
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (ControlBase* control = control_object(header->hwndFrom))
            return control->on_notify(header);
        on_notify(wparam, lparam);
        return 0;
    }
    case WM_CONTEXTMENU:      on_context_menu(wparam, lparam); return 0;
    case WM_KEYDOWN:          on_key_down(wparam, lparam); return 0;
    case WM_KEYUP:            on_key_up(wparam, lparam); return 0;
    case WM_CHAR:             on_char(wparam, lparam); return 0;
    case WM_SYSKEYDOWN:       on_sys_key_down(wparam, lparam); return 0;
    case WM_SYSKEYUP:         on_sys_key_up(wparam, lparam); return 0;
    case WM_COMMAND:          on_command(wparam, lparam); return 0;
    case WM_SYSCOMMAND:       on_sys_command(); return default_path(msg, wparam, lparam);
    case WM_TIMER:            on_timer(wparam); return 0;
    case WM_HSCROLL:          on_hscroll(wparam, lparam); return 0;
    case WM_VSCROLL:          on_vscroll(wparam, lparam); return 0;
    case WM_INITMENU:         on_init_menu(wparam); return 0;
    case WM_MENUSELECT:       on_menu_select(wparam, lparam); return 0;
    case WM_CTLCOLORLISTBOX:  return on_ctl_color_list_box(wparam, lparam);
    case WM_MOUSEMOVE:        on_mouse_move(wparam, lparam); return 0;
    case WM_LBUTTONDOWN:      on_lbutton_down(wparam, lparam); return 0;
    case WM_LBUTTONUP:        on_lbutton_up(wparam, lparam); return 0;
    case WM_LBUTTONDBLCLK:    on_lbutton_dblclk(wparam, lparam); return 0;
    case WM_RBUTTONDOWN:      on_rbutton_down(wparam, lparam); return 0;
    case WM_RBUTTONUP:        on_rbutton_up(wparam, lparam); return 0;
    case WM_MOUSEWHEEL:       on_mouse_wheel(wparam, lparam); return 0;
    case WM_DROPFILES:        on_drop_files(wparam); return 0;
    default:                  return default_path(msg, wparam, lparam);
    }
}

int WindowBase::create_window(const char* class_name, HWND parent, HMENU menu, const char* title,
                              int x, int y, int width, int height)
{
    if (!hwnd)
        hwnd = CreateWindowExA(ex_style, class_name, title, style, x, y, width, height,
                               parent, menu, program_instance, this);
    return hwnd ? 1 : 0;
}

int WindowBase::destroy()
{
    if (!DestroyWindow(hwnd))
        return 0;
    hwnd = nullptr;
    return 1;
}

int WindowBase::register_window_kind_class(const char* class_name, int& registered)
{
    if (registered)
        return 0;
    WNDCLASSA window_class = {};
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = base_window_proc;
    window_class.cbWndExtra = 4;
    window_class.hInstance = program_instance;
    window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    window_class.lpszClassName = class_name;
    adjust_window_class(window_class);
    if (!RegisterClassA(&window_class))
        return 0;
    registered = 1;
    return 1;
}

void WindowBase::adjust_window_class(WNDCLASSA&) {}
void WindowBase::on_post_destroy() {}
int WindowBase::on_default_message(UINT, WPARAM, LPARAM) { return 0; }
int WindowBase::on_terminate() { return 0; }
void WindowBase::on_char(WPARAM, LPARAM) {}
void WindowBase::on_close() { destroy(); }
void WindowBase::on_command(WPARAM, LPARAM) {}
void WindowBase::on_context_menu(WPARAM, LPARAM) {}
int WindowBase::on_create() { return 0; }
LRESULT WindowBase::on_ctl_color_list_box(WPARAM, LPARAM) { return 0; }
void WindowBase::on_destroy() {}
void WindowBase::on_draw_item(WPARAM, LPARAM) {}
void WindowBase::on_drop_files(WPARAM) {}
void WindowBase::on_end_session(WPARAM, LPARAM) {}
void WindowBase::on_hscroll(WPARAM, LPARAM) {}
void WindowBase::on_init_menu(WPARAM) {}
void WindowBase::on_key_down(WPARAM, LPARAM) {}
void WindowBase::on_key_up(WPARAM, LPARAM) {}
void WindowBase::on_kill_focus() {}
void WindowBase::on_lbutton_dblclk(WPARAM, LPARAM) {}
void WindowBase::on_lbutton_down(WPARAM, LPARAM) {}
void WindowBase::on_lbutton_up(WPARAM, LPARAM) {}
void WindowBase::on_menu_select(WPARAM, LPARAM) {}
void WindowBase::on_mouse_move(WPARAM, LPARAM) {}
void WindowBase::on_mouse_wheel(WPARAM, LPARAM) {}
void WindowBase::on_notify(WPARAM, LPARAM) {}
int WindowBase::on_query_end_session() { return 1; }
void WindowBase::on_rbutton_down(WPARAM, LPARAM) {}
void WindowBase::on_rbutton_up(WPARAM, LPARAM) {}
void WindowBase::on_set_focus() {}
void WindowBase::on_size(WPARAM, LPARAM) {}
void WindowBase::on_sys_color_change() {}
void WindowBase::on_sys_command() {}
void WindowBase::on_sys_key_down(WPARAM, LPARAM) {}
void WindowBase::on_sys_key_up(WPARAM, LPARAM) {}
void WindowBase::on_timer(WPARAM) {}
int WindowBase::on_vkey_to_item(WPARAM) { return -1; }
void WindowBase::on_vscroll(WPARAM, LPARAM) {}

void WindowBase::on_paint()
{
    PAINTSTRUCT paint;
    BeginPaint(hwnd, &paint);
    EndPaint(hwnd, &paint);
}
