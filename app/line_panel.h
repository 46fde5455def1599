#pragma once
#include <windows.h>
#include "app/status_bar.h"

// The break's timer and length.
constexpr UINT_PTR break_timer_id = 21;
constexpr UINT break_length_ms = 250;

// The line of the open port: DTR, RTS and a break from the Port menu and
// Ctrl+B, and the signals part of the status bar with the input signals
// that are on and the errors counted since the port opened. The reader
// thread gathers both and tells the window when they change.
class LinePanel {
public:
    explicit LinePanel(StatusBar& status) : status_(status) {}
    LinePanel(const LinePanel&) = delete;
    LinePanel& operator=(const LinePanel&) = delete;

    void attach(HWND dialog, HMENU menu)
    {
        dialog_ = dialog;
        menu_ = menu;
    }
    // The Port menu's DTR, RTS and Send break, enabled and checked as the
    // open line is.
    void update_menu();
    // "CTS DSR" (or "No signals"), then the line's errors; empty while closed.
    void show_state();
    void toggle_dtr();
    void toggle_rts();
    void set_dtr(bool on);
    void set_rts(bool on);
    // Holds a break for `ms`, on a timer, so the window goes on answering
    // meanwhile.
    void send_break(UINT ms = break_length_ms);
    void end_break();
    // The port opened or closed.
    void port_changed();

private:
    void show_refusal(const char* what);

    StatusBar& status_;
    HWND dialog_ = nullptr;
    HMENU menu_ = nullptr;
    bool break_held_ = false;
};
