#pragma once
#include "framework/window_object.h"

class ControlBase;

// A notification handler of the wrapper's owner, called with the control id.
using ControlCallback = void (WindowObject::*)(int control_id);

// Wraps one standard child control of a dialog or window. The wrapper leaves
// its address in the control's GWLP_USERDATA slot, so that the dispatchers
// route the control's notifications to the wrapper first.
class ControlBase : public WindowObject {
public:
    // A WM_COMMAND that this control sent; nonzero when handled, in which
    // case the dialog's own on_command does not see it.
    virtual int on_command(int notification, int control_id) = 0;
    virtual void on_draw_item(DRAWITEMSTRUCT* item);
    virtual LRESULT on_notify(NMHDR* header);
    virtual void set_callback(WindowObject* receiver, ControlCallback callback);
    virtual LRESULT subclassed_message(UINT msg, WPARAM wparam, LPARAM lparam);

    // Adopts the parent's child with `control_id`, or creates one.
    int attach_or_create(const char* class_name, HWND parent, const char* text,
                         int x, int y, int width, int height);
    // Takes the next automatic control id (900, 901, ...) for this wrapper.
    int allocate_control_id();
    // Replaces the control's window procedure (control_subclass_proc when
    // `procedure` is null) and returns the one it replaced.
    WNDPROC subclass(WNDPROC procedure);

    int control_id = 0;
    WindowObject* receiver = nullptr;
    ControlCallback callback = nullptr;

protected:
    ~ControlBase() = default;
};

// The wrapper of `control`, or null when it has none.
ControlBase* control_object(HWND control);

LRESULT CALLBACK control_subclass_proc(HWND control, UINT msg, WPARAM wparam, LPARAM lparam);

// Process-wide state of the wrappers.
extern int next_control_id;
extern WNDPROC first_previous_proc;
