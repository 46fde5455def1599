#pragma once
#include <cstddef>
#include <cstdint>
#include "terminal/cell_screen.h"
#include "terminal/sequence_parser.h"

// A VT100/VT220/xterm-like terminal fed the bytes a device sends: it keeps
// the screen of cells, the cursor and the modes the device sets, and the
// answers it owes the device (to status, attribute and size queries), which
// the caller takes and sends.
class TerminalEmulator : private SequenceEvents {
public:
    TerminalEmulator();
    ~TerminalEmulator();
    TerminalEmulator(const TerminalEmulator&) = delete;
    TerminalEmulator& operator=(const TerminalEmulator&) = delete;

    // Sets the screen's size; the cursor stays on the line it was on.
    // false when memory runs out (the size stays as it was).
    bool resize(int columns, int rows);
    void set_scrollback_limit(int lines) { screen_.set_scrollback_limit(lines); }
    void feed(const uint8_t* bytes, size_t count);
    // Back to the state at power-on, the scrollback kept.
    void reset();

    CellScreen& screen() { return screen_; }
    const CellScreen& screen() const { return screen_; }
    int cursor_row() const { return row_; }
    int cursor_column() const { return column_; }
    bool cursor_visible() const { return cursor_visible_; }
    bool application_cursor_keys() const { return application_cursor_keys_; }
    bool bracketed_paste() const { return bracketed_paste_; }

    // The answers owed to the device, oldest first; clear_replies once sent.
    const char* replies() const { return replies_; }
    size_t reply_length() const { return reply_length_; }
    void clear_replies() { reply_length_ = 0; }

    // The window title the device last set (UTF-8), and whether it changed
    // since the last call.
    const char* title() const { return title_; }
    bool take_title_change();
    // How many times the device rang the bell since the last call.
    int take_bells();

private:
    struct SavedCursor {
        int row = 0;
        int column = 0;
        CellPen pen;
        bool origin = false;
        bool line_drawing[2] = {false, false};
        int shift = 0;
    };

    void print_ascii(const char* text, size_t length) override;
    void print(uint32_t code_point) override;
    void control(uint8_t byte) override;
    void escape(char intermediate, char final) override;
    void csi(const CsiSequence& sequence) override;
    void osc(const char* text, size_t length) override;

    void put(uint32_t code_point, int width);
    void wrap_if_pending();
    void clear_halves(int y, int from, int to);
    void line_feed();
    void reverse_line_feed();
    void move_to(int row, int column);
    void move_rows(int by);
    void set_dec_mode(int mode, bool on);
    void set_ansi_mode(int mode, bool on);
    void select_graphic_rendition(const CsiSequence& sequence);
    void erase_display(int how);
    void erase_line(int how);
    void insert_characters(int count);
    void delete_characters(int count);
    void insert_lines(int count);
    void delete_lines(int count);
    void tab_forward(int count);
    void tab_backward(int count);
    void answer(const char* text);
    void save_cursor();
    void restore_cursor();
    void reset_tabs();
    Cell blank() const { return blank_cell(pen_); }

    CellScreen screen_;
    SequenceParser parser_;
    int row_ = 0;
    int column_ = 0;
    // The cursor has written the last column and waits there: the next
    // character goes to the start of the next line.
    bool pending_wrap_ = false;
    CellPen pen_;
    int top_ = 0;
    int bottom_ = 0;
    bool origin_ = false;
    bool autowrap_ = true;
    bool insert_ = false;
    bool new_line_ = false;
    bool cursor_visible_ = true;
    bool application_cursor_keys_ = false;
    bool bracketed_paste_ = false;
    // G0 and G1 as the DEC line-drawing set, and which of them is in use.
    bool line_drawing_[2] = {false, false};
    int shift_ = 0;
    uint32_t last_printed_ = 0;
    SavedCursor saved_;
    uint8_t* tabs_ = nullptr;
    int tab_columns_ = 0;

    char replies_[512];
    size_t reply_length_ = 0;
    char title_[256];
    bool title_changed_ = false;
    int bells_ = 0;
};
