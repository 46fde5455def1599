#pragma once
#include <windows.h>
#include <commdlg.h>
#include "app/receive_pane.h"
#include "app/status_bar.h"
#include "text/line_search.h"

// A long search goes on in steps on this timer.
constexpr UINT_PTR find_timer_id = 25;

// Finding a text in the received lines: the system's Find dialog (modeless,
// its keys passed to it from the window's own loop), and F3 and Shift+F3 to
// find the same text again without it. Each search starts next to the
// selected line, wraps, and selects the line it finds, which holds the list
// there: in the middle of the list, with the dialog moved off it. The
// lines are looked at a few thousand at a time so that a million never
// hold the window. A text that is in no line beeps and says so in the
// status bar until a search finds one, or the dialog closes.
class LineFind {
public:
    LineFind(ReceivePane& pane, StatusBar& status) : pane_(pane), status_(status) {}
    LineFind(const LineFind&) = delete;
    LineFind& operator=(const LineFind&) = delete;

    void attach(HWND window);
    // The message the Find dialog sends its owner.
    UINT message() const { return message_; }
    // View / Find...: the dialog, or the one already up brought forward.
    void open_dialog();
    // What the dialog says: Find Next, or that it closed.
    void on_find_message(LPARAM lparam);
    // F3 (down) and Shift+F3 (up): the last text again; the dialog when
    // there is none yet.
    void find_again(bool down);
    // The search's next steps (its timer).
    void search_step();

private:
    void start(bool down);
    void move_dialog_off(const RECT& row);

    ReceivePane& pane_;
    StatusBar& status_;
    HWND window_ = nullptr;
    HWND dialog_ = nullptr;
    UINT message_ = 0;
    FINDREPLACEW request_ = {};
    wchar_t text_[128] = {};
    char needle_[128 * 3] = {};  // text_ in UTF-8
    int needle_length_ = 0;
    bool match_case_ = false;
    bool down_ = true;
    bool searching_ = false;
    uint64_t first_hidden_ = 0;  // the first line found that the filter hides, + 1
    LineFinder finder_;
};
