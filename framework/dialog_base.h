#pragma once
#include "framework/window_object.h"

// Base of every modal dialog. The dialog procedure finds the object in the
// dialog's DWLP_USER slot and turns each message into one virtual operation.
class DialogBase : public WindowObject {
public:
    // Runs the dialog template `template_id` modally; returns what EndDialog
    // was given, or -1 when the dialog could not be created.
    INT_PTR run_modal(HWND owner, int template_id);

    virtual int on_default_message(UINT msg, WPARAM wparam, LPARAM lparam);
    virtual void on_activate(WPARAM wparam, LPARAM lparam);
    virtual void on_char(WPARAM wparam, LPARAM lparam);
    virtual void on_command(WPARAM wparam, LPARAM lparam);
    virtual void on_context_menu(WPARAM wparam, LPARAM lparam);
    virtual int on_create();
    virtual INT_PTR on_ctl_color_list_box(WPARAM wparam, LPARAM lparam);
    virtual void on_destroy();
    // Moved to a monitor of another scale: by default takes the rectangle
    // Windows suggests (in `lparam`) and redraws everything.
    virtual void on_dpi_changed(WPARAM wparam, LPARAM lparam);
    virtual void on_draw_item(WPARAM wparam, LPARAM lparam);
    virtual void on_drop_files(WPARAM wparam);
    virtual void on_hscroll(WPARAM wparam, LPARAM lparam);
    virtual int on_init_dialog();
    virtual void on_init_menu();
    virtual void on_key_down(WPARAM wparam, LPARAM lparam);
    virtual void on_key_up(WPARAM wparam, LPARAM lparam);
    virtual void on_kill_focus();
    virtual void on_lbutton_down(WPARAM wparam, LPARAM lparam);
    virtual void on_lbutton_up(WPARAM wparam, LPARAM lparam);
    virtual void on_menu_select(WPARAM wparam, LPARAM lparam);
    virtual void on_mouse_move(WPARAM wparam, LPARAM lparam);
    virtual LRESULT on_notify(WPARAM wparam, LPARAM lparam);
    virtual void on_paint();
    // The answer to Windows asking whether the session may end: TRUE (the
    // default) lets it end; 0 would hold up shutdown and sign-out.
    virtual int on_query_end_session();
    virtual void on_rbutton_down(WPARAM wparam, LPARAM lparam);
    virtual void on_rbutton_up(WPARAM wparam, LPARAM lparam);
    virtual void on_set_focus();
    virtual void on_size(WPARAM wparam, LPARAM lparam);
    virtual void on_sys_color_change();
    virtual void on_sys_key_down(WPARAM wparam, LPARAM lparam);
    virtual void on_sys_key_up(WPARAM wparam, LPARAM lparam);
    virtual void on_timer(WPARAM timer_id);
    virtual int on_vkey_to_item(WPARAM wparam);
    virtual void on_vscroll(WPARAM wparam, LPARAM lparam);
    // Receives every message; the default is the dispatch table.
    virtual INT_PTR dialog_message(UINT msg, WPARAM wparam, LPARAM lparam);

    // The message result copied into DWLP_MSGRESULT whenever
    // dialog_message reports a message as handled.
    LONG_PTR result = 0;

protected:
    ~DialogBase() = default;
};

INT_PTR CALLBACK base_dialog_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam);
