#include "framework/control_base.h"
#include "framework/program_instance.h"

int next_control_id = 900;
WNDPROC first_previous_proc = nullptr;

ControlBase* control_object(HWND control)
{
    return reinterpret_cast<ControlBase*>(GetWindowLongPtrA(control, GWLP_USERDATA));
}

void ControlBase::on_draw_item(DRAWITEMSTRUCT*) {}

LRESULT ControlBase::on_notify(NMHDR*) { return 0; }

void ControlBase::set_callback(WindowObject* new_receiver, ControlCallback new_callback)
{
    receiver = new_receiver;
    callback = new_callback;
}

LRESULT ControlBase::subclassed_message(UINT, WPARAM, LPARAM) { return 0; }

int ControlBase::attach_or_create(const char* class_name, HWND parent, const char* text,
                                  int x, int y, int width, int height)
{
    hwnd = GetDlgItem(parent, control_id);
    if (!hwnd)
        hwnd = CreateWindowExA(ex_style, class_name, text, style, x, y, width, height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)),
                               program_instance, nullptr);
    if (!hwnd)
        return 0;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return 1;
}

int ControlBase::allocate_control_id()
{
    control_id = next_control_id++;
    return control_id;
}

WNDPROC ControlBase::subclass(WNDPROC procedure)
{
    if (!procedure)
        procedure = control_subclass_proc;
    WNDPROC previous = nullptr;
    if (IsWindow(hwnd))
        previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    if (!first_previous_proc)
        first_previous_proc = previous;
    return previous;
}

LRESULT CALLBACK control_subclass_proc(HWND control, UINT msg, WPARAM wparam, LPARAM lparam)
{
    // Installed only on tagged controls; an untagged one still gets the
    // default handling rather than a call through a null wrapper.
    ControlBase* wrapper = control_object(control);
    if (!wrapper)
        return DefWindowProcA(control, msg, wparam, lparam);
    return wrapper->subclassed_message(msg, wparam, lparam);
}
