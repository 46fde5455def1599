#pragma once
#include <windows.h>
class SendHost;
#include "app/status_bar.h"
#include "settings/terminal_settings.h"
#include "terminal/key_encoder.h"
#include "terminal/terminal_emulator.h"

// The Terminal view: a window of character cells over the received list's
// place, showing the terminal emulator's screen. It paints the rows that
// changed, turns keys into the bytes a terminal sends and sends them at
// once, sends the emulator's answers to the device's queries, scrolls back
// through the lines that left the top, and copies and pastes. The
// emulator is fed every received byte, shown or not.
class TerminalPane {
public:
    TerminalPane(TerminalSettings& settings, StatusBar& status) : settings_(settings), status_(status) {}
    ~TerminalPane();
    TerminalPane(const TerminalPane&) = delete;
    TerminalPane& operator=(const TerminalPane&) = delete;

    // Creates the window (hidden) as a child of `dialog`; `host` sends.
    bool create(HWND dialog, SendHost* host);
    HWND hwnd() const { return window_; }
    // Shows the window over `place` (the received list's rectangle, in the
    // dialog's client coordinates) with the keyboard focus, or hides it.
    void show(bool shown);
    bool shown() const { return shown_; }
    void place(const RECT& rect);
    // The device's bytes.
    void take(const char* bytes, int count);
    // The options changed: the font, the size and the scrollback follow.
    void apply_settings();
    // The selection, or the whole screen when nothing is selected, as text
    // rows with their trailing blanks trimmed, CR LF between them.
    void copy();
    void paste();
    TerminalEmulator& emulator() { return terminal_; }

private:
    static LRESULT CALLBACK window_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
    LRESULT message(UINT msg, WPARAM wparam, LPARAM lparam);
    void make_font();
    void fit_size();
    void paint();
    void paint_row(HDC dc, int y, const Cell* cells, int length, long line);
    void send(const char* bytes, size_t count);
    bool key_down(WPARAM vk, bool system);
    void typed_char(WPARAM ch, bool alt);
    void scroll_view(int lines);
    // The cells shown on screen row `y`, and how many; `line` numbers it
    // among all lines, scrollback first.
    const Cell* shown_row(int y, int* length, long* line) const;
    bool selected(long line, int column) const;
    POINT cell_at(LPARAM point) const;
    void show_title();

    TerminalSettings& settings_;
    StatusBar& status_;
    SendHost* host_ = nullptr;
    HWND dialog_ = nullptr;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HFONT bold_font_ = nullptr;
    int cell_width_ = 8;
    int cell_height_ = 16;
    bool shown_ = false;
    TerminalEmulator terminal_;
    // Lines scrolled back from the bottom (0 at the bottom).
    int view_offset_ = 0;
    // The selection's ends: line (counted among all lines) and column.
    bool selecting_ = false;
    bool has_selection_ = false;
    long select_from_line_ = 0;
    int select_from_column_ = 0;
    long select_to_line_ = 0;
    int select_to_column_ = 0;
    // A key handled on its WM_KEYDOWN also makes a WM_CHAR to be ignored.
    bool swallow_char_ = false;
    wchar_t high_surrogate_ = 0;
    // The window's title before the device gave one.
    wchar_t base_title_[64] = {};
};
