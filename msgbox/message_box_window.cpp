#include "msgbox/message_box_window.h"
#include <cstdlib>
#include <cstring>
#include "text/upper_ascii.h"
#include "framework/dpi.h"
#include "framework/program_instance.h"
#include "msgbox/text_lines.h"
#include "serial/center_window.h"

int box_button_count = 0;
int current_box_button = 0;
WNDPROC saved_button_proc = nullptr;

namespace {

int message_box_class_registered = 0;

// Shown instead of the message when its copy can't be allocated; never freed.
char out_of_memory_text[] = "Out of memory";

// The system icon picked by style bits 0xF0, or null for none.
const char* system_icon_for(UINT style)
{
    switch (style & 0xF0) {
    case 0x10: return IDI_HAND;
    case 0x20: return IDI_QUESTION;
    case 0x30: return IDI_EXCLAMATION;
    case 0x40: return IDI_ASTERISK;
    default:   return nullptr;
    }
}

// The button that style bits 0xF00 pick to take the first focus.
int first_focused_button(UINT style)
{
    switch (style & 0xF00) {
    case 0x100: return 1;
    case 0x200: return 2;
    default:    return 0;
    }
}

void choose_box_button(HWND button, int index)
{
    SendMessageA(GetParent(button), WM_COMMAND,
                 MAKEWPARAM(box_buttons[index].control_id, 0), 0);
}

}  // namespace

MessageBoxWindow::MessageBoxWindow()
{
    register_class();
}

int MessageBoxWindow::register_class()
{
    return register_window_kind_class("CMSGCLASS", message_box_class_registered);
}

int MessageBoxWindow::show(HWND owner_window, const char* message, const char* link, UINT style,
                           int icon_id, COLORREF text_colour_, COLORREF background_colour_,
                           COLORREF)
{
    // One box at a time: the box button state is shared.
    if (hwnd)
        return 0;
    owner = owner_window;
    style_flags = style;
    text_colour = text_colour_;
    background_colour = background_colour_;
    running = 1;
    result = 0;

    if (!message)
        message = "";
    size_t length = strlen(message);
    text = static_cast<char*>(malloc(length + 2));
    if (text)
        memcpy(text, message, length + 1);
    else
        text = out_of_memory_text;
    link_text = link ? link : "";

    if (!measure(link_text, icon_id) || !create_box_window()) {
        running = 0;
        release_text();
        return 0;
    }
    after_create();

    const char* system_icon = system_icon_for(style);
    if (system_icon)
        icon = LoadIconA(nullptr, system_icon);
    else
        icon = icon_id ? LoadIconA(program_instance, MAKEINTRESOURCEA(icon_id)) : nullptr;

    if (owner)
        EnableWindow(owner, FALSE);
    wait_for_choice();

    // The wait also ends on WM_QUIT with the box still up, and when the box
    // went away with its owner; take it down and forget it either way.
    if (hwnd && IsWindow(hwnd))
        on_close();
    if (hwnd && !IsWindow(hwnd))
        hwnd = nullptr;
    release_text();
    running = 0;
    return result;
}

// Makes the text font for the owner's DPI and measures the text lines (and,
// with no icon, the link line too) in it; without the font, in the display's
// default font. 0 when the display can't be measured.
int MessageBoxWindow::measure(const char* link, int icon_id)
{
    dpi = window_dpi(owner);
    text_font.logfont.lfWeight = FW_BOLD;
    text_font.set_face_and_size(dpi, "MS Shell Dlg 2", 10);
    HDC info = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    if (!info)
        return 0;
    if (text_font.font)
        SelectObject(info, text_font.font);
    TEXTMETRICA metrics;
    if (!GetTextMetricsA(info, &metrics)) {
        DeleteDC(info);
        return 0;
    }
    line_height = metrics.tmHeight + metrics.tmExternalLeading;
    max_char_width = metrics.tmMaxCharWidth;
    line_count = 0;
    widest_line = 0;

    const char* cursor = text;
    TextLine line;
    SIZE extent;
    while (take_line(cursor, line)) {
        ++line_count;
        if (GetTextExtentPoint32A(info, line.start, line.length, &extent) && extent.cx > widest_line)
            widest_line = extent.cx;
    }
    if (!system_icon_for(style_flags) && icon_id == 0 &&
        GetTextExtentPoint32A(info, link, lstrlenA(link), &extent) && extent.cx > widest_line)
        widest_line = extent.cx;
    DeleteDC(info);
    return 1;
}

// Serves the thread's messages until a choice is made or the box is gone.
// Between rounds the thread sleeps until a message arrives, so the box costs
// no processor time while it is up, and the owner's timers still arrive.
void MessageBoxWindow::wait_for_choice()
{
    while (running && hwnd && IsWindow(hwnd)) {
        if (dispatch_pending_messages())
            return;
        if (running && hwnd && IsWindow(hwnd))
            MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

int dispatch_pending_messages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
        if (msg.message == WM_QUIT)
            return 1;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            return 0;
        if (msg.message == WM_QUIT) {
            // Posted between the two looks: put it back for the outer loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return 1;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

void MessageBoxWindow::release_text()
{
    if (text != out_of_memory_text)
        free(text);
    text = nullptr;
}

int MessageBoxWindow::on_create()
{
    create_buttons();
    current_box_button = first_focused_button(style_flags);
    if (current_box_button >= box_button_count)
        current_box_button = 0;
    if (box_button_count > 0) {
        SetFocus(box_buttons[current_box_button].hwnd);
        saved_button_proc =
            reinterpret_cast<WNDPROC>(GetWindowLongPtrA(box_buttons[0].hwnd, GWLP_WNDPROC));
    }
    // Without the buttons' own procedure there is nothing to pass keys on to.
    if (saved_button_proc) {
        for (int i = 0; i < box_button_count; ++i)
            if (box_buttons[i].hwnd)
                SetWindowLongPtrA(box_buttons[i].hwnd, GWLP_WNDPROC,
                                  reinterpret_cast<LONG_PTR>(box_button_key_proc));
    }
    center_window(hwnd);
    return 1;
}

void MessageBoxWindow::on_command(WPARAM wparam, LPARAM lparam)
{
    if (HIWORD(wparam) != 0)
        return;
    int id = LOWORD(wparam);
    int chosen = -1;
    for (int i = 0; i < box_button_count && chosen < 0; ++i)
        if (box_buttons[i].control_id == id)
            chosen = i;
    if (chosen >= 0)
        result = button_results[chosen];
    else
        on_other_command(id, reinterpret_cast<HWND>(lparam));
    if (result != 0) {
        PostMessageA(hwnd, WM_CLOSE, 0, 0);
        running = 0;
    }
}

void MessageBoxWindow::on_close()
{
    // The owner comes back before the box goes, so that it is activated again.
    if (owner)
        EnableWindow(owner, TRUE);
    destroy();
    release_text();
}

void MessageBoxWindow::on_lbutton_down(WPARAM, LPARAM)
{
    // A press anywhere on the box moves it, as a caption would.
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(5, 5));
}

void MessageBoxWindow::on_set_focus()
{
    if (current_box_button < box_button_count && box_buttons[current_box_button].hwnd)
        SetFocus(box_buttons[current_box_button].hwnd);
}

void MessageBoxWindow::after_create() {}
void MessageBoxWindow::on_other_command(int, HWND) {}

LRESULT CALLBACK box_button_key_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    HWND focus = GetFocus();
    for (int i = 0; i < box_button_count; ++i)
        if (focus && box_buttons[i].hwnd == focus)
            current_box_button = i;

    if (msg == WM_KEYDOWN && box_button_count > 0) {
        switch (wparam) {
        case VK_TAB:
        case VK_RIGHT:
            current_box_button = (current_box_button + 1) % box_button_count;
            SetFocus(box_buttons[current_box_button].hwnd);
            break;
        case VK_LEFT:
            current_box_button = current_box_button > 0 ? current_box_button - 1
                                                        : box_button_count - 1;
            SetFocus(box_buttons[current_box_button].hwnd);
            break;
        case VK_RETURN:
            choose_box_button(window, current_box_button);
            break;
        default:
            // Letter keys come as upper-case key codes; compare the
            // accelerator in upper case too, so that "&ok" answers to O
            // rather than to the numeric-pad key that shares 'o''s code.
            for (int i = 0; i < box_button_count; ++i) {
                char accelerator = upper_ascii_char(box_buttons[i].accelerator);
                if (accelerator && accelerator == static_cast<char>(wparam & 0xFF)) {
                    choose_box_button(window, i);
                    break;
                }
            }
            break;
        }
    }
    return CallWindowProcA(saved_button_proc, window, msg, wparam, lparam);
}
