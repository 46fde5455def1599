// Any bytes leave the terminal whole: the cursor on the screen, every wide
// character with its right half, and the same screen whether the bytes come
// in one read or cut into many. A resize in the middle keeps it whole too.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "terminal/terminal_emulator.h"

namespace {

void check_whole(const TerminalEmulator& terminal)
{
    const CellScreen& screen = terminal.screen();
    if (terminal.cursor_row() < 0 || terminal.cursor_row() >= screen.rows() || terminal.cursor_column() < 0 ||
        terminal.cursor_column() >= screen.columns())
        abort();
    for (int y = 0; y < screen.rows(); ++y) {
        const Cell* row = screen.row(y);
        for (int x = 0; x < screen.columns(); ++x) {
            bool head = (row[x].flags & cell_wide) != 0;
            bool tail_next = x + 1 < screen.columns() && (row[x + 1].flags & cell_wide_tail);
            if (head != tail_next)
                abort();
            if ((row[x].flags & cell_wide_tail) && (x == 0 || !(row[x - 1].flags & cell_wide)))
                abort();
        }
    }
    if (terminal.reply_length() > 512)
        abort();
}

bool same_screens(const TerminalEmulator& a, const TerminalEmulator& b)
{
    const CellScreen& one = a.screen();
    const CellScreen& two = b.screen();
    for (int y = 0; y < one.rows(); ++y)
        if (memcmp(one.row(y), two.row(y), one.columns() * sizeof(Cell)) != 0)
            return false;
    return a.cursor_row() == b.cursor_row() && a.cursor_column() == b.cursor_column() &&
           a.reply_length() == b.reply_length() && one.scrollback_lines() == two.scrollback_lines();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    int columns = 1 + data[0] % 40;
    int rows = 1 + data[1] % 12;
    unsigned seed = data[2];
    data += 3;
    size -= 3;
    TerminalEmulator whole;
    TerminalEmulator pieces;
    whole.set_scrollback_limit(50);
    pieces.set_scrollback_limit(50);
    if (!whole.resize(columns, rows) || !pieces.resize(columns, rows))
        return 0;
    whole.feed(data, size);
    check_whole(whole);
    for (size_t at = 0; at < size;) {
        seed = seed * 1103515245u + 12345u;
        size_t piece = 1 + seed % 17;
        if (piece > size - at)
            piece = size - at;
        pieces.feed(data + at, piece);
        at += piece;
        // The replies are taken as the program takes them after each read.
        if (pieces.reply_length() > 256)
            pieces.clear_replies();
    }
    pieces.clear_replies();
    whole.clear_replies();
    if (!same_screens(whole, pieces))
        abort();
    // A new size keeps the screen whole; so do more bytes after it.
    if (!whole.resize(1 + (columns * 7) % 50, 1 + (rows * 5) % 15))
        return 0;
    check_whole(whole);
    whole.feed(data, size);
    check_whole(whole);
    for (int i = 0; i < whole.screen().scrollback_lines(); ++i) {
        int length = 0;
        whole.screen().scrollback_line(i, &length);
        if (length < 0 || length > 50)
            abort();
    }
    return 0;
}
