#include "terminal/terminal_emulator.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "terminal/char_width.h"

namespace {

// The DEC special graphics set for 0x60 to 0x7E: diamond, board, the
// control pictures, degree, plus-minus, the line-drawing pieces, scan
// lines, comparison signs, pi, not-equal, pound and centred dot.
const uint16_t line_drawing_chars[31] = {
    0x25C6, 0x2592, 0x2409, 0x240C, 0x240D, 0x240A, 0x00B0, 0x00B1,
    0x2424, 0x240B, 0x2518, 0x2510, 0x250C, 0x2514, 0x253C, 0x23BA,
    0x23BB, 0x2500, 0x23BC, 0x23BD, 0x251C, 0x2524, 0x2534, 0x252C,
    0x2502, 0x2264, 0x2265, 0x03C0, 0x2260, 0x00A3, 0x00B7,
};

int clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

}  // namespace

TerminalEmulator::TerminalEmulator() : parser_(this)
{
    title_[0] = 0;
    resize(80, 24);
}

TerminalEmulator::~TerminalEmulator()
{
    free(tabs_);
    tabs_ = nullptr;
}

bool TerminalEmulator::resize(int columns, int rows)
{
    if (columns == screen_.columns() && rows == screen_.rows())
        return true;
    uint8_t* tabs = static_cast<uint8_t*>(malloc(columns > 0 ? columns : 1));
    int gone = 0;
    if (!tabs || !screen_.resize(columns, rows, row_, &gone)) {
        free(tabs);
        return false;
    }
    // Tab stops already set are kept; new columns get one every eight.
    for (int x = 0; x < columns; ++x)
        tabs[x] = x < tab_columns_ ? tabs_[x] : (x % 8 == 0 && x > 0);
    free(tabs_);
    tabs_ = tabs;
    tab_columns_ = columns;
    row_ = clamp(row_ - gone, 0, rows - 1);
    column_ = clamp(column_, 0, columns - 1);
    pending_wrap_ = false;
    top_ = 0;
    bottom_ = rows - 1;
    saved_.row = clamp(saved_.row - gone, 0, rows - 1);
    saved_.column = clamp(saved_.column, 0, columns - 1);
    return true;
}

void TerminalEmulator::reset()
{
    parser_.reset();
    screen_.use_alternate(false, Cell{});
    pen_ = CellPen();
    for (int y = 0; y < screen_.rows(); ++y)
        screen_.fill(y, 0, screen_.columns(), blank());
    row_ = column_ = 0;
    pending_wrap_ = false;
    top_ = 0;
    bottom_ = screen_.rows() - 1;
    origin_ = insert_ = new_line_ = false;
    autowrap_ = cursor_visible_ = true;
    application_cursor_keys_ = bracketed_paste_ = false;
    line_drawing_[0] = line_drawing_[1] = false;
    shift_ = 0;
    saved_ = SavedCursor();
    reset_tabs();
    if (title_[0] != 0) {
        title_[0] = 0;
        title_changed_ = true;
    }
}

void TerminalEmulator::reset_tabs()
{
    for (int x = 0; x < tab_columns_; ++x)
        tabs_[x] = x % 8 == 0 && x > 0;
}

void TerminalEmulator::feed(const uint8_t* bytes, size_t count)
{
    parser_.feed(bytes, count);
}

bool TerminalEmulator::take_title_change()
{
    bool changed = title_changed_;
    title_changed_ = false;
    return changed;
}

int TerminalEmulator::take_bells()
{
    int bells = bells_;
    bells_ = 0;
    return bells;
}

void TerminalEmulator::answer(const char* text)
{
    size_t length = strlen(text);
    // An answer that does not fit is dropped whole rather than cut.
    if (reply_length_ + length > sizeof replies_)
        return;
    memcpy(replies_ + reply_length_, text, length);
    reply_length_ += length;
}

void TerminalEmulator::wrap_if_pending()
{
    if (!pending_wrap_)
        return;
    pending_wrap_ = false;
    column_ = 0;
    line_feed();
}

// A wide character of which a cell in from..to-1 is about to be written
// loses its other half too.
void TerminalEmulator::clear_halves(int y, int from, int to)
{
    Cell* cells = screen_.row(y);
    int columns = screen_.columns();
    if (from > 0 && (cells[from].flags & cell_wide_tail))
        cells[from - 1] = blank();
    if (to < columns && (cells[to].flags & cell_wide_tail))
        cells[to] = blank();
}

void TerminalEmulator::print_ascii(const char* text, size_t length)
{
    if (line_drawing_[shift_] || insert_ || !autowrap_) {
        for (size_t i = 0; i < length; ++i)
            print(static_cast<unsigned char>(text[i]));
        return;
    }
    int columns = screen_.columns();
    while (length > 0) {
        wrap_if_pending();
        int room = columns - column_;
        int count = length < static_cast<size_t>(room) ? static_cast<int>(length) : room;
        clear_halves(row_, column_, column_ + count);
        Cell* cell = screen_.row(row_) + column_;
        for (int i = 0; i < count; ++i) {
            cell[i].ch = static_cast<unsigned char>(text[i]);
            cell[i].fg = pen_.fg;
            cell[i].bg = pen_.bg;
            cell[i].flags = pen_.flags;
        }
        screen_.damage(row_);
        last_printed_ = static_cast<unsigned char>(text[count - 1]);
        text += count;
        length -= count;
        column_ += count;
        if (column_ == columns) {
            column_ = columns - 1;
            pending_wrap_ = true;
        }
    }
}

void TerminalEmulator::print(uint32_t code_point)
{
    if (code_point >= 0x60 && code_point <= 0x7E && line_drawing_[shift_])
        code_point = line_drawing_chars[code_point - 0x60];
    int width = char_cell_width(code_point);
    if (width == 0)
        return;  // combining marks are not drawn
    put(code_point, width);
}

void TerminalEmulator::put(uint32_t code_point, int width)
{
    int columns = screen_.columns();
    if (width > columns)
        return;
    if (autowrap_)
        wrap_if_pending();
    // A wide character that would straddle the right edge goes to the next
    // line; without autowrap it stays on the last two cells.
    if (column_ + width > columns) {
        if (autowrap_) {
            screen_.fill(row_, column_, columns, blank());
            column_ = 0;
            line_feed();
        } else {
            column_ = columns - width;
        }
    }
    Cell* cells = screen_.row(row_);
    if (insert_) {
        memmove(cells + column_ + width, cells + column_, (columns - column_ - width) * sizeof(Cell));
        if (cells[columns - 1].flags & cell_wide)
            cells[columns - 1] = blank();
    }
    clear_halves(row_, column_, column_ + width);
    cells[column_] = Cell{code_point, pen_.fg, pen_.bg, pen_.flags, 0};
    if (width == 2) {
        cells[column_].flags |= cell_wide;
        cells[column_ + 1] = Cell{0, pen_.fg, pen_.bg, static_cast<uint16_t>(pen_.flags | cell_wide_tail), 0};
    }
    screen_.damage(row_);
    last_printed_ = code_point;
    column_ += width;
    if (column_ >= columns) {
        column_ = columns - 1;
        pending_wrap_ = autowrap_;
    }
}

// A line feed that moves the cursor ends a pending wrap; one that scrolls,
// or stops at the screen's edge, leaves it pending.
void TerminalEmulator::line_feed()
{
    if (row_ == bottom_) {
        screen_.scroll_up(top_, bottom_, 1, blank(), true);
    } else if (row_ < screen_.rows() - 1) {
        ++row_;
        pending_wrap_ = false;
    }
}

void TerminalEmulator::reverse_line_feed()
{
    if (row_ == top_) {
        screen_.scroll_down(top_, bottom_, 1, blank());
    } else if (row_ > 0) {
        --row_;
        pending_wrap_ = false;
    }
}

void TerminalEmulator::control(uint8_t byte)
{
    switch (byte) {
    case 0x07:
        ++bells_;
        return;
    case 0x08:
        pending_wrap_ = false;
        if (column_ > 0)
            --column_;
        return;
    case 0x09:
        tab_forward(1);
        return;
    case 0x0A:
    case 0x0B:
    case 0x0C:
        if (new_line_) {
            pending_wrap_ = false;
            column_ = 0;
        }
        line_feed();
        return;
    case 0x0D:
        pending_wrap_ = false;
        column_ = 0;
        return;
    case 0x0E:
        shift_ = 1;
        return;
    case 0x0F:
        shift_ = 0;
        return;
    }
}

// A pending wrap stays pending: a tab at the last column goes nowhere.
void TerminalEmulator::tab_forward(int count)
{
    int last = screen_.columns() - 1;
    while (count-- > 0 && column_ < last) {
        ++column_;
        while (column_ < last && !tabs_[column_])
            ++column_;
    }
}

void TerminalEmulator::tab_backward(int count)
{
    pending_wrap_ = false;
    while (count-- > 0 && column_ > 0) {
        --column_;
        while (column_ > 0 && !tabs_[column_])
            --column_;
    }
}

void TerminalEmulator::escape(char intermediate, char final)
{
    if (intermediate == '(' || intermediate == ')') {
        line_drawing_[intermediate == ')'] = final == '0';
        return;
    }
    if (intermediate == '#' && final == '8') {
        // The screen alignment test: the screen filled with E.
        for (int y = 0; y < screen_.rows(); ++y)
            screen_.fill(y, 0, screen_.columns(), Cell{'E', 0, 0, 0, 0});
        move_to(0, 0);
        return;
    }
    if (intermediate != 0)
        return;
    switch (final) {
    case '7':
        save_cursor();
        return;
    case '8':
        restore_cursor();
        return;
    case 'D':
        line_feed();
        return;
    case 'E':
        pending_wrap_ = false;
        column_ = 0;
        line_feed();
        return;
    case 'M':
        reverse_line_feed();
        return;
    case 'H':
        tabs_[column_] = 1;
        return;
    case 'c':
        reset();
        return;
    }
}

void TerminalEmulator::save_cursor()
{
    SavedCursor& saved = saved_;
    saved.row = row_;
    saved.column = column_;
    saved.pen = pen_;
    saved.origin = origin_;
    saved.line_drawing[0] = line_drawing_[0];
    saved.line_drawing[1] = line_drawing_[1];
    saved.shift = shift_;
}

void TerminalEmulator::restore_cursor()
{
    const SavedCursor& saved = saved_;
    int row = clamp(saved.row, 0, screen_.rows() - 1);
    int column = clamp(saved.column, 0, screen_.columns() - 1);
    // A pending wrap ends only when the cursor moves.
    if (row != row_ || column != column_)
        pending_wrap_ = false;
    row_ = row;
    column_ = column;
    pen_ = saved.pen;
    origin_ = saved.origin;
    line_drawing_[0] = saved.line_drawing[0];
    line_drawing_[1] = saved.line_drawing[1];
    shift_ = saved.shift;
}

// Moves the cursor to a row and column counted from the screen's top left
// corner, or from the scroll region's top in origin mode, kept inside it.
void TerminalEmulator::move_to(int row, int column)
{
    pending_wrap_ = false;
    if (origin_)
        row_ = clamp(row + top_, top_, bottom_);
    else
        row_ = clamp(row, 0, screen_.rows() - 1);
    column_ = clamp(column, 0, screen_.columns() - 1);
}

// Moves the cursor up (negative) or down, stopping at the scroll region's
// edge when it starts inside the region.
void TerminalEmulator::move_rows(int by)
{
    pending_wrap_ = false;
    int low = row_ >= top_ ? top_ : 0;
    int high = row_ <= bottom_ ? bottom_ : screen_.rows() - 1;
    row_ = clamp(row_ + by, low, high);
}

void TerminalEmulator::csi(const CsiSequence& s)
{
    if (s.leader == '?' && s.intermediate == 0) {
        switch (s.final) {
        case 'h':
        case 'l':
            for (int i = 0; i < s.count; ++i)
                set_dec_mode(s.params[i], s.final == 'h');
            return;
        case 'J':
            erase_display(s.param(0, 0));
            return;
        case 'K':
            erase_line(s.param(0, 0));
            return;
        }
        return;
    }
    if (s.leader == '>' && s.final == 'c' && s.param(0, 0) == 0) {
        answer("\x1b[>1;10;0c");
        return;
    }
    if (s.intermediate == '!' && s.final == 'p' && s.leader == 0) {
        // A soft reset: modes and the pen, not the screen.
        pen_ = CellPen();
        top_ = 0;
        bottom_ = screen_.rows() - 1;
        origin_ = insert_ = false;
        autowrap_ = cursor_visible_ = true;
        application_cursor_keys_ = false;
        saved_ = SavedCursor();
        return;
    }
    if (s.leader != 0 || s.intermediate != 0)
        return;
    int n = s.param(0, 1);
    if (n == 0)
        n = 1;
    int columns = screen_.columns();
    switch (s.final) {
    case '@':
        insert_characters(n);
        return;
    case 'A':
        move_rows(-n);
        return;
    case 'B':
    case 'e':
        move_rows(n);
        return;
    case 'C':
    case 'a':
        pending_wrap_ = false;
        column_ = clamp(column_ + n, 0, columns - 1);
        return;
    case 'D':
        pending_wrap_ = false;
        column_ = clamp(column_ - n, 0, columns - 1);
        return;
    case 'E':
        move_rows(n);
        column_ = 0;
        return;
    case 'F':
        move_rows(-n);
        column_ = 0;
        return;
    case 'G':
    case '`':
        pending_wrap_ = false;
        column_ = clamp(n - 1, 0, columns - 1);
        return;
    case 'H':
    case 'f': {
        int column = s.param(1, 1);
        move_to(n - 1, (column == 0 ? 1 : column) - 1);
        return;
    }
    case 'd':
        move_to(n - 1, column_);
        return;
    case 'I':
        tab_forward(n);
        return;
    case 'Z':
        tab_backward(n);
        return;
    case 'J':
        erase_display(s.param(0, 0));
        return;
    case 'K':
        erase_line(s.param(0, 0));
        return;
    case 'L':
        insert_lines(n);
        return;
    case 'M':
        delete_lines(n);
        return;
    case 'P':
        delete_characters(n);
        return;
    case 'S':
        screen_.scroll_up(top_, bottom_, n, blank(), true);
        return;
    case 'T':
        screen_.scroll_down(top_, bottom_, n, blank());
        return;
    case 'X':
        clear_halves(row_, column_, clamp(column_ + n, 0, columns));
        screen_.fill(row_, column_, column_ + n, blank());
        return;
    case 'b': {
        // More than a screenful of repeats would only scroll the same
        // character through: at most that many are written.
        int most = columns * screen_.rows();
        for (int i = 0; i < n && i < most && last_printed_ != 0; ++i)
            print(last_printed_);
        return;
    }
    case 'm':
        select_graphic_rendition(s);
        return;
    case 'n':
        if (s.param(0, 0) == 5) {
            answer("\x1b[0n");
        } else if (s.param(0, 0) == 6) {
            char text[32];
            snprintf(text, sizeof text, "\x1b[%d;%dR", row_ - (origin_ ? top_ : 0) + 1, column_ + 1);
            answer(text);
        }
        return;
    case 'c':
        if (s.param(0, 0) == 0)
            answer("\x1b[?1;2c");
        return;
    case 'g':
        if (s.param(0, 0) == 0)
            tabs_[column_] = 0;
        else if (s.param(0, 0) == 3)
            memset(tabs_, 0, tab_columns_);
        return;
    case 'h':
    case 'l':
        for (int i = 0; i < s.count; ++i)
            set_ansi_mode(s.params[i], s.final == 'h');
        return;
    case 'r': {
        int top = s.param(0, 1);
        int bottom = s.param(1, screen_.rows());
        top = clamp(top == 0 ? 1 : top, 1, screen_.rows());
        bottom = clamp(bottom == 0 ? screen_.rows() : bottom, 1, screen_.rows());
        if (top >= bottom)
            return;
        top_ = top - 1;
        bottom_ = bottom - 1;
        move_to(0, 0);
        return;
    }
    case 's':
        save_cursor();
        return;
    case 'u':
        restore_cursor();
        return;
    case 't':
        if (s.param(0, 0) == 18) {
            char text[32];
            snprintf(text, sizeof text, "\x1b[8;%d;%dt", screen_.rows(), columns);
            answer(text);
        }
        return;
    }
}

void TerminalEmulator::set_ansi_mode(int mode, bool on)
{
    if (mode == 4)
        insert_ = on;
    else if (mode == 20)
        new_line_ = on;
}

void TerminalEmulator::set_dec_mode(int mode, bool on)
{
    switch (mode) {
    case 1:
        application_cursor_keys_ = on;
        return;
    case 6:
        origin_ = on;
        move_to(0, 0);
        return;
    case 7:
        autowrap_ = on;
        if (!on)
            pending_wrap_ = false;
        return;
    case 25:
        cursor_visible_ = on;
        return;
    case 47:
    case 1047:
        if (!on && screen_.alternate() && mode == 1047) {
            for (int y = 0; y < screen_.rows(); ++y)
                screen_.fill(y, 0, screen_.columns(), blank());
        }
        screen_.use_alternate(on, blank());
        return;
    case 1048:
        if (on)
            save_cursor();
        else
            restore_cursor();
        return;
    case 1049:
        // The cursor is saved and restored even when the screen in use
        // does not change.
        if (on) {
            save_cursor();
            if (screen_.alternate())
                screen_.use_alternate(false, blank());
            screen_.use_alternate(true, blank());
        } else {
            screen_.use_alternate(false, blank());
            restore_cursor();
        }
        return;
    case 2004:
        bracketed_paste_ = on;
        return;
    }
}

namespace {

// The SGR codes that set or clear attribute flags.
struct AttributeCode {
    int code;
    uint16_t sets, clears;
};
const AttributeCode attribute_codes[] = {
    {1, cell_bold, 0},       {2, cell_faint, 0},      {3, cell_italic, 0},
    {5, cell_blink, 0},      {6, cell_blink, 0},      {7, cell_reverse, 0},
    {8, cell_hidden, 0},     {9, cell_strike, 0},     {21, cell_underline, 0},
    {22, 0, cell_bold | cell_faint}, {23, 0, cell_italic}, {24, 0, cell_underline},
    {25, 0, cell_blink},     {27, 0, cell_reverse},   {28, 0, cell_hidden},
    {29, 0, cell_strike},
};

const AttributeCode* attribute_code(int code)
{
    for (const AttributeCode& known : attribute_codes)
        if (known.code == code)
            return &known;
    return nullptr;
}

}  // namespace

void TerminalEmulator::select_graphic_rendition(const CsiSequence& s)
{
    if (s.count == 0) {
        pen_ = CellPen();
        return;
    }
    for (int i = 0; i < s.count; ++i) {
        int p = s.params[i] < 0 ? 0 : s.params[i];
        // Sub-parameters of a code that takes none are skipped.
        if (s.sub[i] && i > 0)
            continue;
        switch (p) {
        case 0:
            pen_ = CellPen();
            break;
        case 4:
            // 4:0 is no underline.
            if (i + 1 < s.count && s.sub[i + 1] && s.params[i + 1] == 0)
                pen_.flags &= ~cell_underline;
            else
                pen_.flags |= cell_underline;
            break;
        case 38:
        case 48: {
            // 5;n picks from the palette, 2;r;g;b gives the colour itself.
            uint32_t colour = 0;
            bool valid = false;
            int kind = i + 1 < s.count ? s.params[i + 1] : -1;
            if (kind == 5 && i + 2 < s.count) {
                colour = term_indexed | static_cast<uint32_t>(clamp(s.params[i + 2], 0, 255));
                valid = s.params[i + 2] >= 0;
                i += 2;
            } else if (kind == 2 && i + 4 < s.count) {
                colour = term_rgb | static_cast<uint32_t>(clamp(s.params[i + 2], 0, 255) << 16) |
                         static_cast<uint32_t>(clamp(s.params[i + 3], 0, 255) << 8) |
                         static_cast<uint32_t>(clamp(s.params[i + 4], 0, 255));
                valid = true;
                i += 4;
            } else {
                // A colour cut short: the rest of the sequence is dropped.
                return;
            }
            if (valid)
                (p == 38 ? pen_.fg : pen_.bg) = colour;
            break;
        }
        case 39:
            pen_.fg = 0;
            break;
        case 49:
            pen_.bg = 0;
            break;
        default:
            if (const AttributeCode* code = attribute_code(p))
                pen_.flags = static_cast<uint16_t>((pen_.flags & ~code->clears) | code->sets);
            else if (p >= 30 && p <= 37)
                pen_.fg = term_indexed | (p - 30);
            else if (p >= 40 && p <= 47)
                pen_.bg = term_indexed | (p - 40);
            else if (p >= 90 && p <= 97)
                pen_.fg = term_indexed | (p - 90 + 8);
            else if (p >= 100 && p <= 107)
                pen_.bg = term_indexed | (p - 100 + 8);
            break;
        }
    }
}

void TerminalEmulator::erase_display(int how)
{
    int rows = screen_.rows();
    int columns = screen_.columns();
    switch (how) {
    case 0:
        erase_line(0);
        for (int y = row_ + 1; y < rows; ++y)
            screen_.fill(y, 0, columns, blank());
        return;
    case 1:
        for (int y = 0; y < row_; ++y)
            screen_.fill(y, 0, columns, blank());
        erase_line(1);
        return;
    case 2:
        for (int y = 0; y < rows; ++y)
            screen_.fill(y, 0, columns, blank());
        return;
    case 3:
        screen_.clear_scrollback();
        return;
    }
}

void TerminalEmulator::erase_line(int how)
{
    int columns = screen_.columns();
    int from = how == 0 ? column_ : 0;
    int to = how == 1 ? column_ + 1 : columns;
    if (how < 0 || how > 2)
        return;
    clear_halves(row_, from, to);
    screen_.fill(row_, from, to, blank());
}

// Inserting or deleting characters or lines leaves a pending wrap pending.
void TerminalEmulator::insert_characters(int count)
{
    int columns = screen_.columns();
    count = clamp(count, 0, columns - column_);
    Cell* cells = screen_.row(row_);
    clear_halves(row_, column_, column_);
    memmove(cells + column_ + count, cells + column_, (columns - column_ - count) * sizeof(Cell));
    if (cells[columns - 1].flags & cell_wide)
        cells[columns - 1] = blank();
    screen_.fill(row_, column_, column_ + count, blank());
}

void TerminalEmulator::delete_characters(int count)
{
    int columns = screen_.columns();
    count = clamp(count, 0, columns - column_);
    Cell* cells = screen_.row(row_);
    clear_halves(row_, column_, column_ + count);
    memmove(cells + column_, cells + column_ + count, (columns - column_ - count) * sizeof(Cell));
    screen_.fill(row_, columns - count, columns, blank());
}

void TerminalEmulator::insert_lines(int count)
{
    if (row_ < top_ || row_ > bottom_)
        return;
    screen_.scroll_down(row_, bottom_, count, blank());
}

void TerminalEmulator::delete_lines(int count)
{
    if (row_ < top_ || row_ > bottom_)
        return;
    screen_.scroll_up(row_, bottom_, count, blank(), false);
}

void TerminalEmulator::osc(const char* text, size_t length)
{
    // 0 sets the icon name and the title, 2 the title alone.
    if (length < 2 || (text[0] != '0' && text[0] != '2') || text[1] != ';')
        return;
    size_t title_length = length - 2;
    if (title_length > sizeof title_ - 1)
        title_length = sizeof title_ - 1;
    memcpy(title_, text + 2, title_length);
    title_[title_length] = 0;
    title_changed_ = true;
}
