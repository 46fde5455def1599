#pragma once
#include <windows.h>
#include "text/status_fit.h"

// The status bar's parts, left to right.
enum StatusPart {
    status_state,    // the port's state
    status_line,     // the line settings in use, or why an open failed
    status_capture,  // the capture file
    status_signals,  // the input signals and the line's errors
    status_send,     // what sending is doing
    status_part_count
};

// The main window's status bar. Each part takes the width its text needs,
// the first the rest, so the line settings are never cut short by parts
// that are empty most of the time. When the bar is too narrow for all, the
// port's state and a running send keep their texts whole; the capture part
// shortens first, then a finished send's result, the signals and the line.
// The widths are measured again only when a text or the bar's size changes.
class StatusBar {
public:
    void create(HWND parent, int id);
    HWND hwnd() const { return bar_; }
    // Sets a part's whole text; nothing happens when it is the text set.
    void set_text(int part, const wchar_t* text);
    void set_text(int part, const char* text);
    // A passing note in the state part ("Cannot find ..."), shown until
    // end_note puts back the state said last; a new state ends it too.
    void show_note(const wchar_t* text);
    void end_note();
    // Room for a progress bar in the send part, a third of its width.
    void set_progress_room(bool on);
    // The bar follows its window's new size or scale.
    void fit(UINT dpi);
    RECT part_rect(int part) const;
    // A part's whole text, as set, which the bar may show shortened.
    const wchar_t* text(int part) const { return texts_[part]; }

private:
    void fit_parts();
    bool shows(int part, const wchar_t* text) const;

    HWND bar_ = nullptr;
    UINT dpi_ = 96;
    bool progress_room_ = false;
    int rights_[status_part_count] = {};
    wchar_t texts_[status_part_count][status_fit_text_max] = {};  // whole, as set
    StatusPartFit fits_[status_part_count];  // what the bar shows of them
    bool noting_ = false;
    wchar_t state_[status_fit_text_max] = {};  // the state under a note
};
