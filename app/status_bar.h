#pragma once
#include <windows.h>

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
// that are empty most of the time; the widths are measured again only when
// a text or the bar's size changes.
class StatusBar {
public:
    void create(HWND parent, int id);
    HWND hwnd() const { return bar_; }
    // Sets a part's text; nothing happens when it is the text shown.
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

private:
    void fit_parts();

    HWND bar_ = nullptr;
    UINT dpi_ = 96;
    bool progress_room_ = false;
    int rights_[status_part_count] = {};
    bool noting_ = false;
    wchar_t state_[MAX_PATH + 80] = {};  // the state under a note
};
