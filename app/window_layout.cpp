#include "app/window_layout.h"
#include <commctrl.h>
#include "framework/dpi.h"
#include "resources/resource_ids.h"

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

// `rect` without the invisible resize borders that GetWindowRect counts:
// the borders `window` has now, as the desktop composition reports them,
// grown or shrunk from its scale to `dpi`.
RECT visible_frame(HWND window, RECT rect, UINT dpi)
{
    typedef HRESULT(WINAPI * FrameBounds)(HWND, DWORD, void*, DWORD);
    auto frame_bounds =
        reinterpret_cast<FrameBounds>(system_function("dwmapi.dll", "DwmGetWindowAttribute"));
    RECT outer, frame;
    if (frame_bounds && GetWindowRect(window, &outer) &&
        frame_bounds(window, 9 /* DWMWA_EXTENDED_FRAME_BOUNDS */, &frame, sizeof frame) == S_OK) {
        UINT now = window_dpi(window);
        rect.left += MulDiv(frame.left - outer.left, dpi, now);
        rect.top += MulDiv(frame.top - outer.top, dpi, now);
        rect.right -= MulDiv(outer.right - frame.right, dpi, now);
        rect.bottom -= MulDiv(outer.bottom - frame.bottom, dpi, now);
    }
    return rect;
}

}  // namespace

bool caption_on_a_work_area(HWND window, const RECT& rect, UINT dpi)
{
    RECT caption = visible_frame(window, rect, dpi);
    caption.bottom = caption.top + GetSystemMetrics(SM_CYCAPTION);
    HMONITOR monitor = MonitorFromRect(&caption, MONITOR_DEFAULTTONULL);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return false;
    const RECT& work = info.rcWork;
    return caption.left >= work.left && caption.top >= work.top && caption.right <= work.right &&
           caption.bottom <= work.bottom;
}

void WindowLayout::attach(HWND dialog)
{
    dialog_ = dialog;
    min_window_ = SIZE{};
    base_client_ = SIZE{};
    control_count_ = 0;
    placing_ = false;
}

// The dialog manager is told to leave the layout to the window when the
// scale changes.
void WindowLayout::take_template()
{
    HWND dialog = dialog_;
    typedef BOOL(WINAPI * DpiBehavior)(HWND, int, int);
    auto dialog_behavior = reinterpret_cast<DpiBehavior>(
        system_function("user32.dll", "SetDialogDpiChangeBehavior"));
    auto control_behavior = reinterpret_cast<DpiBehavior>(
        system_function("user32.dll", "SetDialogControlDpiChangeBehavior"));
    if (dialog_behavior)  // no resize, no re-layout of the controls
        dialog_behavior(dialog, 2 | 4, 2 | 4);
    RECT window, client;
    GetWindowRect(dialog, &window);
    GetClientRect(dialog, &client);
    min_window_ = SIZE{window.right - window.left, window.bottom - window.top};
    layout_dpi_ = window_dpi(dialog);
    base_client_ = SIZE{client.right, client.bottom};
    control_count_ = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child && control_count_ < max_laid_out;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (child == status_.hwnd())
            continue;
        if (control_behavior)  // keeps the new font, not the dialog manager's place
            control_behavior(child, 2, 2);
        LaidOutControl& control = laid_out_[control_count_++];
        control.window = child;
        GetWindowRect(child, &control.rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&control.rect), 2);
        // A combo box's height includes its drop-down list.
        RECT dropped = {};
        if (SendMessageA(child, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)) &&
            GetDlgCtrlID(child) == IDC_COMMAND)
            control.rect.bottom = control.rect.top + (dropped.bottom - dropped.top);
    }
    size_changed(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));  // the status bar's parts
}

// A window that was maximized comes back maximized. The file's values stay
// as they were until the user moves the window.
void WindowLayout::restore_placement()
{
    placing_ = true;
    UINT dpi = window_dpi(dialog_);
    UINT saved = view_.window_dpi ? static_cast<UINT>(view_.window_dpi) : dpi;
    if (view_.has_window && caption_on_a_work_area(dialog_, view_.window, saved)) {
        const RECT& rect = view_.window;
        SetWindowPos(dialog_, nullptr, rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
        // Now on its monitor: a scale other than the one it was saved at
        // gives it the same size in that scale's pixels.
        dpi = window_dpi(dialog_);
        LONG width = MulDiv(rect.right - rect.left, dpi, saved);
        LONG height = MulDiv(rect.bottom - rect.top, dpi, saved);
        SetWindowPos(dialog_, nullptr, rect.left, rect.top,
                     width < min_window_.cx ? min_window_.cx : width,
                     height < min_window_.cy ? min_window_.cy : height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    GetWindowRect(dialog_, &placed_);
    if (view_.maximized)
        ShowWindow(dialog_, SW_MAXIMIZE);
    placing_ = false;
}

// On a monitor of another scale the smallest size and the layout's sizes
// scale with it.
void WindowLayout::dpi_changed(UINT dpi)
{
    if (!layout_dpi_ || !dpi || dpi == layout_dpi_)
        return;
    auto scale = [&](LONG& length) { length = MulDiv(length, dpi, layout_dpi_); };
    scale(min_window_.cx);
    scale(min_window_.cy);
    scale(base_client_.cx);
    scale(base_client_.cy);
    for (int i = 0; i < control_count_; ++i) {
        RECT& rect = laid_out_[i].rect;
        scale(rect.left);
        scale(rect.top);
        scale(rect.right);
        scale(rect.bottom);
    }
    layout_dpi_ = dpi;
}

// Maximized, only the frame is beyond the screen's edges, as thick at the
// top as at the sides: a system that counts the menu bar of a pop-up
// window into that frame would push the caption above the screen and the
// status bar below it.
void WindowLayout::fill_min_max(MINMAXINFO* info) const
{
    if (min_window_.cx > 0) {
        info->ptMinTrackSize.x = min_window_.cx;
        info->ptMinTrackSize.y = min_window_.cy;
    }
    LONG beyond = info->ptMaxPosition.x - info->ptMaxPosition.y;
    if (beyond > 0) {
        info->ptMaxPosition.y += beyond;
        info->ptMaxSize.y -= 2 * beyond;
    }
}

int WindowLayout::size_changed(WPARAM kind, LPARAM lparam)
{
    laid_out_size_ = lparam;
    status_.fit(layout_dpi_);
    // A maximized window comes back maximized; only the user's own
    // maximizing or restoring counts as a change.
    int changed = 0;
    if ((kind == SIZE_MAXIMIZED || kind == SIZE_RESTORED) && base_client_.cx && !placing_) {
        int32_t maximized = kind == SIZE_MAXIMIZED;
        changed = maximized != view_.maximized;
        view_.maximized = maximized;
    }
    // Before the layout was taken, or minimized: the controls stay. The
    // window is never smaller than the template otherwise.
    if (base_client_.cx == 0 || kind == SIZE_MINIMIZED)
        return changed;
    LONG dx = LOWORD(lparam) - base_client_.cx;
    LONG dy = HIWORD(lparam) - base_client_.cy;
    for (int i = 0; i < control_count_; ++i) {
        RECT rect = laid_out_[i].rect;
        int id = GetDlgCtrlID(laid_out_[i].window);
        for (const auto& anchor : anchors) {
            if (anchor.id != id)
                continue;
            if (anchor.follows_right)
                rect.left += dx;
            rect.right += dx;
            if (anchor.grows_down)
                rect.bottom += dy;
        }
        SetWindowPos(laid_out_[i].window, nullptr, rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return changed;
}

// A move or a new size of the normal window is kept for the next run, with
// the scale it was made at.
int WindowLayout::position_changed()
{
    // A new size whose WM_SIZE the window did not get is laid out here.
    RECT client;
    int changed = 0;
    if (min_window_.cx && !IsIconic(dialog_) && GetClientRect(dialog_, &client) &&
        MAKELPARAM(client.right, client.bottom) != laid_out_size_)
        changed = size_changed(IsZoomed(dialog_) ? SIZE_MAXIMIZED : SIZE_RESTORED,
                               MAKELPARAM(client.right, client.bottom));
    if (min_window_.cx == 0 || placing_ ||
        (GetWindowLongPtrA(dialog_, GWL_STYLE) & (WS_MINIMIZE | WS_MAXIMIZE)))
        return changed;
    RECT now;
    GetWindowRect(dialog_, &now);
    if (EqualRect(&now, &placed_))
        return changed;
    placed_ = view_.window = now;
    view_.window_dpi = static_cast<int32_t>(window_dpi(dialog_));
    view_.has_window = 1;
    return 1;
}
