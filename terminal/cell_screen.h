#pragma once
#include <cstdint>
#include "terminal/terminal_cells.h"

// The terminal's character cells: a grid of rows, the lines that scrolled
// off its top (the scrollback, on the main screen only), a second grid for
// the alternate screen, and which rows changed since the painter last
// looked (the damage).
class CellScreen {
public:
    CellScreen() = default;
    ~CellScreen();
    CellScreen(const CellScreen&) = delete;
    CellScreen& operator=(const CellScreen&) = delete;

    // Sizes the grids, keeping what fits. When the rows shrink, the rows
    // above `keep_row` leave through the top (into the scrollback) so that
    // it stays on the screen; returns how many left. false when memory
    // runs out (the screen stays as it was).
    bool resize(int columns, int rows, int keep_row, int* rows_gone);
    // How many lines the scrollback keeps (older ones are dropped).
    void set_scrollback_limit(int lines);

    int columns() const { return columns_; }
    int rows() const { return rows_; }

    Cell* row(int y) { return rows_of_[y]; }
    const Cell* row(int y) const { return rows_of_[y]; }

    // Moves rows top..bottom (inclusive) up by `count`, blank rows with
    // `fill` coming in at the bottom. With `keep`, on the main screen, rows
    // leaving from row 0 go into the scrollback.
    void scroll_up(int top, int bottom, int count, const Cell& fill, bool keep);
    void scroll_down(int top, int bottom, int count, const Cell& fill);
    void fill(int y, int from, int to, const Cell& cell);

    // Switches between the main and the alternate grid. The alternate one
    // is cleared with `fill` on the way in.
    void use_alternate(bool alternate, const Cell& fill);
    bool alternate() const { return alternate_; }

    int scrollback_lines() const { return history_count_; }
    // Line `index` of the scrollback (0 the oldest) and its length, which
    // may differ from the screen's width.
    const Cell* scrollback_line(int index, int* length) const;
    void clear_scrollback();

    void damage(int y) { damaged_[y] = 1; }
    void damage_all();
    bool damaged(int y) const { return damaged_[y] != 0; }
    void clear_damage();
    // How many lines entered the scrollback since clear_damage: a painter
    // scrolled back keeps its place by this.
    int lines_pushed() const { return pushed_; }

private:
    struct HistoryLine {
        Cell* cells;
        int length;
    };

    void free_all();
    void push_history(const Cell* cells);

    int columns_ = 0;
    int rows_ = 0;
    bool alternate_ = false;
    Cell* main_cells_ = nullptr;
    Cell* alternate_cells_ = nullptr;
    // The rows of the grid in use, and of both grids: scrolling moves these
    // pointers rather than the cells.
    Cell** rows_of_ = nullptr;
    Cell** main_rows_ = nullptr;
    Cell** alternate_rows_ = nullptr;
    uint8_t* damaged_ = nullptr;
    int pushed_ = 0;

    // A ring of lines, history_count_ of them, the oldest at history_first_.
    HistoryLine* history_ = nullptr;
    int history_limit_ = 10000;
    int history_room_ = 0;
    int history_first_ = 0;
    int history_count_ = 0;
};
