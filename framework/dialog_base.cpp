#include "framework/dialog_base.h"
#include "framework/control_base.h"
#include "framework/dpi.h"
#include "framework/program_instance.h"

INT_PTR DialogBase::run_modal(HWND owner, int template_id)
{
    return DialogBoxParamA(program_instance, MAKEINTRESOURCEA(template_id), owner,
                           base_dialog_proc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK base_dialog_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        reinterpret_cast<DialogBase*>(lparam)->hwnd = dialog;
    }
    auto* object = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (!object)
        return FALSE;  // messages before WM_INITDIALOG, such as WM_SETFONT
    INT_PTR handled = object->dialog_message(msg, wparam, lparam);
    if (handled)
        SetWindowLongPtrA(object->hwnd, DWLP_MSGRESULT, object->result);
    return handled;
}

INT_PTR DialogBase::dialog_message(UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_CREATE:           return on_create() ? 0 : -1;
    case WM_DESTROY:          on_destroy(); return 0;
    case WM_SIZE:             on_size(wparam, lparam); return 0;
    case WM_ACTIVATE:         on_activate(wparam, lparam); return 0;
    case WM_SETFOCUS:         on_set_focus(); return 0;
    case WM_KILLFOCUS:        on_kill_focus(); return 0;
    case WM_PAINT:            on_paint(); return 0;
    case WM_QUERYENDSESSION:  result = on_query_end_session(); return 1;
    case WM_SYSCOLORCHANGE:   on_sys_color_change(); return 0;
    case WM_DPICHANGED:       on_dpi_changed(wparam, lparam); return 0;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
        if (ControlBase* control = control_object(item->hwndItem))
            control->on_draw_item(item);
        else
            on_draw_item(wparam, lparam);
        result = 0;
        return 1;
    }
    case WM_VKEYTOITEM:       return on_vkey_to_item(wparam);
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lparam);
        if (ControlBase* control = control_object(header->hwndFrom))
            result = control->on_notify(header);
        else
            result = on_notify(wparam, lparam);
        return 1;
    }
    case WM_CONTEXTMENU:      on_context_menu(wparam, lparam); return 0;
    case WM_KEYDOWN:          on_key_down(wparam, lparam); return 0;
    case WM_KEYUP:            on_key_up(wparam, lparam); return 0;
    case WM_CHAR:             on_char(wparam, lparam); return 0;
    case WM_SYSKEYDOWN:       on_sys_key_down(wparam, lparam); return 0;
    case WM_SYSKEYUP:         on_sys_key_up(wparam, lparam); return 0;
    case WM_INITDIALOG:       return on_init_dialog();
    case WM_COMMAND: {
        ControlBase* control = lparam ? control_object(reinterpret_cast<HWND>(lparam)) : nullptr;
        if (!control || !control->on_command(HIWORD(wparam), LOWORD(wparam)))
            on_command(wparam, lparam);
        return 0;
    }
    case WM_TIMER:            on_timer(wparam); return 0;
    case WM_HSCROLL:          on_hscroll(wparam, lparam); return 0;
    case WM_VSCROLL:          on_vscroll(wparam, lparam); return 0;
    case WM_INITMENU:         on_init_menu(); return 0;
    case WM_MENUSELECT:       on_menu_select(wparam, lparam); return 0;
    case WM_CTLCOLORLISTBOX:  return on_ctl_color_list_box(wparam, lparam);
    case WM_MOUSEMOVE:        on_mouse_move(wparam, lparam); return 0;
    case WM_LBUTTONDOWN:      on_lbutton_down(wparam, lparam); return 0;
    case WM_LBUTTONUP:        on_lbutton_up(wparam, lparam); return 0;
    case WM_RBUTTONDOWN:      on_rbutton_down(wparam, lparam); return 0;
    case WM_RBUTTONUP:        on_rbutton_up(wparam, lparam); return 0;
    case WM_DROPFILES:        on_drop_files(wparam); return 0;
    default:                  return on_default_message(msg, wparam, lparam);
    }
}

int DialogBase::on_default_message(UINT, WPARAM, LPARAM) { return 0; }
void DialogBase::on_activate(WPARAM, LPARAM) {}
void DialogBase::on_char(WPARAM, LPARAM) {}
void DialogBase::on_command(WPARAM, LPARAM) {}
void DialogBase::on_context_menu(WPARAM, LPARAM) {}
int DialogBase::on_create() { return 0; }
INT_PTR DialogBase::on_ctl_color_list_box(WPARAM, LPARAM) { return 0; }
void DialogBase::on_destroy() {}
void DialogBase::on_draw_item(WPARAM, LPARAM) {}

void DialogBase::on_dpi_changed(WPARAM, LPARAM lparam)
{
    const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
    if (suggested)
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
void DialogBase::on_drop_files(WPARAM) {}
void DialogBase::on_hscroll(WPARAM, LPARAM) {}
int DialogBase::on_init_dialog() { return 1; }
void DialogBase::on_init_menu() {}
void DialogBase::on_key_down(WPARAM, LPARAM) {}
void DialogBase::on_key_up(WPARAM, LPARAM) {}
void DialogBase::on_kill_focus() {}
void DialogBase::on_lbutton_down(WPARAM, LPARAM) {}
void DialogBase::on_lbutton_up(WPARAM, LPARAM) {}
void DialogBase::on_menu_select(WPARAM, LPARAM) {}
void DialogBase::on_mouse_move(WPARAM, LPARAM) {}
LRESULT DialogBase::on_notify(WPARAM, LPARAM) { return 0; }
void DialogBase::on_paint() {}
int DialogBase::on_query_end_session() { return TRUE; }
void DialogBase::on_rbutton_down(WPARAM, LPARAM) {}
void DialogBase::on_rbutton_up(WPARAM, LPARAM) {}
void DialogBase::on_set_focus() {}
void DialogBase::on_size(WPARAM, LPARAM) {}
void DialogBase::on_sys_color_change() {}
void DialogBase::on_sys_key_down(WPARAM, LPARAM) {}
void DialogBase::on_sys_key_up(WPARAM, LPARAM) {}
void DialogBase::on_timer(WPARAM) {}
int DialogBase::on_vkey_to_item(WPARAM) { return -1; }
void DialogBase::on_vscroll(WPARAM, LPARAM) {}
