#pragma once
#include <windows.h>
#include <cstdint>
#include "app/status_bar.h"
#include "settings/settings_file.h"

// True when the caption of a window at `rect` (taken at `dpi`, with the
// borders `window` has) lies whole on the work area of one screen, so that
// the user can take hold of it.
bool caption_on_a_work_area(HWND window, const RECT& rect, UINT dpi);

// The main window's layout: the template's sizes are the smallest the window
// may become; when it grows the list takes the extra room and the command
// box and Send follow the right edge. The window lays out every control
// itself, also on a monitor of another scale. Its place on the screen is
// kept in the view settings with the scale it was taken at, and whether it
// was maximized.
class WindowLayout {
public:
    WindowLayout(StatusBar& status, ViewSettings& view) : status_(status), view_(view) {}
    WindowLayout(const WindowLayout&) = delete;
    WindowLayout& operator=(const WindowLayout&) = delete;

    // A new window: until its layout is taken, its moves and sizes are not
    // the user's.
    void attach(HWND dialog);
    // Takes every control's place from the template.
    void take_template();
    // Puts the window where the settings say when its caption is on a
    // screen, at that screen's scale; otherwise it stays centred.
    void restore_placement();
    // WM_SIZE; 1 when the user's maximizing or restoring changed a setting.
    int size_changed(WPARAM kind, LPARAM lparam);
    // WM_DPICHANGED, before the window takes its new rectangle.
    void dpi_changed(UINT dpi);
    void fill_min_max(MINMAXINFO* info) const;
    // WM_WINDOWPOSCHANGED: lays out a new size; 1 when the user's move or
    // new size changed a setting.
    int position_changed();
    UINT dpi() const { return layout_dpi_; }

private:
    struct LaidOutControl {
        HWND window;
        RECT rect;
    };
    static const int max_laid_out = 40;

    StatusBar& status_;
    ViewSettings& view_;
    HWND dialog_ = nullptr;
    SIZE min_window_ = {};
    SIZE base_client_ = {};
    UINT layout_dpi_ = 0;  // the scale those sizes were taken at
    LPARAM laid_out_size_ = 0;  // the client size of the last layout
    LaidOutControl laid_out_[max_laid_out] = {};
    int control_count_ = 0;
    // While the window is put in its saved place (its moves are not the
    // user's), and the outer rectangle it had then or after the user's last move.
    bool placing_ = false;
    RECT placed_ = {};
};
