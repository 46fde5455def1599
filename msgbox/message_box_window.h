#pragma once
#include "framework/button_control.h"
#include "framework/window_base.h"
#include "msgbox/font_holder.h"

// The program's own modal message box: a popup of the class "CMSGCLASS" that
// shows lines of text, an icon and push buttons, keeps its owner disabled
// while it is up and returns the result of the button the user chose. The
// kinds derived from it supply the window, the buttons and the painting.
class MessageBoxWindow : public WindowBase {
public:
    MessageBoxWindow();

    // Shows the box and waits for a choice. Returns the chosen button's
    // result, or 0 when the box could not be shown, was closed without a
    // choice, or the wait met WM_QUIT (which then stays queued).
    // style: bits 0xF0 pick a system icon (0x10 hand, 0x20 question,
    // 0x30 exclamation, 0x40 asterisk), otherwise `icon_id` from the
    // program's resources (0: none); bits 0xF00 pick the first focused button.
    int show(HWND owner, const char* text, const char* link_text, UINT style, int icon_id,
             COLORREF text_colour, COLORREF background_colour, COLORREF frame_colour);

    int register_class() override;
    void on_close() override;
    void on_command(WPARAM wparam, LPARAM lparam) override;
    int on_create() override;
    void on_lbutton_down(WPARAM wparam, LPARAM lparam) override;
    void on_set_focus() override;

    virtual void after_create();
    // A command from a control that is none of the box buttons.
    virtual void on_other_command(int id, HWND control);
    // Makes the box buttons; fills button_results and box_button_count.
    virtual void create_buttons() = 0;
    // Creates the box window; nonzero when it exists.
    virtual int create_box_window() = 0;

    int running = 0;
    HWND owner = nullptr;
    // The DPI of the owner's monitor, which the box is measured and drawn at.
    UINT dpi = USER_DEFAULT_SCREEN_DPI;
    // The font of the text lines and the buttons, made for `dpi`.
    FontHolder text_font;
    HICON icon = nullptr;
    int max_char_width = 0;
    int line_height = 0;
    int line_count = 0;
    int widest_line = 0;
    int result = 0;
    int button_results[3] = {};
    UINT style_flags = 0;
    COLORREF text_colour = 0;
    COLORREF background_colour = 0;
    // The box's own copy of the message, or the fixed "Out of memory".
    char* text = nullptr;
    // Borrowed from the caller of show; valid while the box is up.
    const char* link_text = "";

protected:
    ~MessageBoxWindow() = default;

private:
    int measure(const char* link, int icon_id);
    void wait_for_choice();
    void release_text();
};

// The push buttons of the message box, shared by every box (one is up at a
// time). Defined with the program-wide objects.
extern ButtonControl box_buttons[3];
// How many box buttons the current box made.
extern int box_button_count;
// The box button that keyboard navigation takes as focused.
extern int current_box_button;
// The buttons' own window procedure, which box_button_key_proc passes on to.
extern WNDPROC saved_button_proc;

// Serves every message waiting for this thread; returns 1, leaving the
// message queued, when WM_QUIT is next, else 0 once nothing waits.
int dispatch_pending_messages();

// Window procedure of the box buttons: Tab and Right move the focus forward,
// Left back, Enter chooses the focused button and a button's accelerator
// key chooses that button; everything then reaches the button as usual.
LRESULT CALLBACK box_button_key_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
