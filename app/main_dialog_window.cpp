// The main window grows: the list takes the extra room, the command box and
// Send follow the right edge. The window lays out every control itself, also
// on a monitor of another scale.
#include "app/main_dialog.h"
#include <commctrl.h>
#include "framework/dpi.h"
#include "resources/resource_ids.h"

LaidOutControl laid_out_controls[max_laid_out];

namespace {

// How the resized controls follow the window: all grow or move with the
// right edge; the list also takes the extra height. Other controls stay.
const struct {
    int id;
    bool follows_right;  // moves rather than grows
    bool grows_down;
} anchors[3] = {
    {IDC_RECEIVED_LIST, false, true},
    {IDC_COMMAND, false, false},
    {IDC_SEND, true, false},
};

// The status bar's parts at 96 DPI, left to right: part 0 takes the room
// the others leave. The parts: the port's state, the line, the capture, the
// line's signals, and what is being sent.
const int status_part_widths[] = {0, 140, 180, 150, 220};
const int status_part_count = sizeof status_part_widths / sizeof status_part_widths[0];

}  // namespace

// Takes the template's sizes as the smallest the window may become, and
// every control's place for the layout. The dialog manager is told to leave
// the layout to the window when the scale changes.
void MainDialog::remember_layout()
{
    typedef BOOL(WINAPI * DpiBehavior)(HWND, int, int);
    auto dialog_behavior = reinterpret_cast<DpiBehavior>(
        system_function("user32.dll", "SetDialogDpiChangeBehavior"));
    auto control_behavior = reinterpret_cast<DpiBehavior>(
        system_function("user32.dll", "SetDialogControlDpiChangeBehavior"));
    if (dialog_behavior)  // no resize, no re-layout of the controls
        dialog_behavior(hwnd, 2 | 4, 2 | 4);
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    min_window = SIZE{window.right - window.left, window.bottom - window.top};
    layout_dpi = window_dpi(hwnd);
    base_client = SIZE{client.right, client.bottom};
    control_count = 0;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child && control_count < max_laid_out;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == status_bar)
            continue;
        if (control_behavior)  // keeps the new font, not the dialog manager's place
            control_behavior(child, 2, 2);
        LaidOutControl& control = laid_out[control_count++];
        control.window = child;
        GetWindowRect(child, &control.rect);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&control.rect), 2);
        // A combo box's height includes its drop-down list.
        RECT dropped = {};
        if (SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)) &&
            GetDlgCtrlID(child) == IDC_COMMAND)
            control.rect.bottom = control.rect.top + (dropped.bottom - dropped.top);
    }
    on_size(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));  // the status bar's parts
}

// On a monitor of another scale the smallest size and the layout's sizes
// scale with it before the window takes its new rectangle.
void MainDialog::on_dpi_changed(WPARAM wparam, LPARAM lparam)
{
    UINT dpi = LOWORD(wparam);
    if (layout_dpi && dpi && dpi != layout_dpi) {
        auto scale = [&](LONG& length) { length = MulDiv(length, dpi, layout_dpi); };
        scale(min_window.cx);
        scale(min_window.cy);
        scale(base_client.cx);
        scale(base_client.cy);
        for (int i = 0; i < control_count; ++i) {
            RECT& rect = laid_out[i].rect;
            scale(rect.left);
            scale(rect.top);
            scale(rect.right);
            scale(rect.bottom);
        }
        layout_dpi = dpi;
    }
    DialogBase::on_dpi_changed(wparam, lparam);
    RECT client;
    GetClientRect(hwnd, &client);
    on_size(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

void MainDialog::fill_min_max(MINMAXINFO* info)
{
    if (min_window.cx > 0) {
        info->ptMinTrackSize.x = min_window.cx;
        info->ptMinTrackSize.y = min_window.cy;
    }
}

void MainDialog::on_size(WPARAM kind, LPARAM lparam)
{
    if (status_bar) {
        SendMessageA(status_bar, WM_SIZE, 0, 0);
        int rights[status_part_count];
        int width = LOWORD(lparam);
        UINT dpi = layout_dpi ? layout_dpi : 96;
        int fixed = 0;
        for (int part_width : status_part_widths)
            fixed += scale_to_dpi(part_width, dpi);
        // Part 0 keeps a quarter of a narrow bar; the others shrink alike.
        int room = width * 3 / 4;
        int right = width;
        for (int i = status_part_count - 1; i >= 0; --i) {
            rights[i] = i == status_part_count - 1 ? -1 : right;
            int part_width = scale_to_dpi(status_part_widths[i], dpi);
            right -= fixed > room ? MulDiv(part_width, room, fixed) : part_width;
        }
        SendMessageA(status_bar, SB_SETPARTS, status_part_count, reinterpret_cast<LPARAM>(rights));
    }
    // A maximized window comes back maximized; only the user's own
    // maximizing or restoring counts as a change.
    if ((kind == SIZE_MAXIMIZED || kind == SIZE_RESTORED) && base_client.cx) {
        int32_t maximized = kind == SIZE_MAXIMIZED;
        if (maximized != options.maximized && !placing)
            settings_changed = 1;
        if (!placing)
            options.maximized = maximized;
    }
    // Before the layout was taken, or minimized: the controls stay. The
    // window is never smaller than the template otherwise.
    if (base_client.cx == 0 || kind == SIZE_MINIMIZED)
        return;
    LONG dx = LOWORD(lparam) - base_client.cx;
    LONG dy = HIWORD(lparam) - base_client.cy;
    for (int i = 0; i < control_count; ++i) {
        RECT rect = laid_out[i].rect;
        int id = GetDlgCtrlID(laid_out[i].window);
        for (const auto& anchor : anchors) {
            if (anchor.id != id)
                continue;
            if (anchor.follows_right)
                rect.left += dx;
            rect.right += dx;
            if (anchor.grows_down)
                rect.bottom += dy;
        }
        SetWindowPos(laid_out[i].window, nullptr, rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fit_received_column();
}
