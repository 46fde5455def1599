#include "terminal/cell_screen.h"
#include <cstdlib>
#include <cstring>

namespace {

void fill_cells(Cell* cells, int count, const Cell& cell)
{
    for (int i = 0; i < count; ++i)
        cells[i] = cell;
}

bool is_blank(const Cell& cell)
{
    return cell.ch == 0 && cell.bg == 0 && cell.flags == 0;
}

}  // namespace

CellScreen::~CellScreen()
{
    free_all();
    clear_scrollback();
    free(history_);
    history_ = nullptr;
}

void CellScreen::free_all()
{
    free(main_cells_);
    free(alternate_cells_);
    free(main_rows_);
    free(alternate_rows_);
    free(damaged_);
    main_cells_ = alternate_cells_ = nullptr;
    main_rows_ = alternate_rows_ = rows_of_ = nullptr;
    damaged_ = nullptr;
}

bool CellScreen::resize(int columns, int rows, int keep_row, int* rows_gone)
{
    *rows_gone = 0;
    if (columns < 1 || rows < 1)
        return false;
    size_t cell_count = static_cast<size_t>(columns) * rows;
    Cell* main_cells = static_cast<Cell*>(malloc(cell_count * sizeof(Cell)));
    Cell* alternate_cells = static_cast<Cell*>(malloc(cell_count * sizeof(Cell)));
    Cell** main_rows = static_cast<Cell**>(malloc(rows * sizeof(Cell*)));
    Cell** alternate_rows = static_cast<Cell**>(malloc(rows * sizeof(Cell*)));
    uint8_t* damaged = static_cast<uint8_t*>(malloc(rows));
    if (!main_cells || !alternate_cells || !main_rows || !alternate_rows || !damaged) {
        free(main_cells);
        free(alternate_cells);
        free(main_rows);
        free(alternate_rows);
        free(damaged);
        return false;
    }
    const Cell empty{0, 0, 0, 0, 0};
    fill_cells(main_cells, static_cast<int>(cell_count), empty);
    fill_cells(alternate_cells, static_cast<int>(cell_count), empty);
    for (int y = 0; y < rows; ++y) {
        main_rows[y] = main_cells + static_cast<size_t>(y) * columns;
        alternate_rows[y] = alternate_cells + static_cast<size_t>(y) * columns;
    }
    // Rows above the one to keep leave through the top when they no longer
    // all fit.
    int gone = 0;
    if (rows_ > rows && keep_row >= rows)
        gone = keep_row - rows + 1;
    int copy_columns = columns < columns_ ? columns : columns_;
    for (int y = 0; y < gone && y < rows_; ++y) {
        if (!alternate_)
            push_history(main_rows_[y]);
    }
    for (int y = 0; y < rows && y + gone < rows_; ++y) {
        memcpy(main_rows[y], main_rows_[y + gone], copy_columns * sizeof(Cell));
        memcpy(alternate_rows[y], alternate_rows_[y + gone], copy_columns * sizeof(Cell));
        // A wide character cut in half at the new right edge goes.
        if (copy_columns > 0 && copy_columns < columns_) {
            if (main_rows[y][copy_columns - 1].flags & cell_wide)
                main_rows[y][copy_columns - 1] = empty;
            if (alternate_rows[y][copy_columns - 1].flags & cell_wide)
                alternate_rows[y][copy_columns - 1] = empty;
        }
    }
    bool alternate = alternate_;
    free_all();
    columns_ = columns;
    rows_ = rows;
    main_cells_ = main_cells;
    alternate_cells_ = alternate_cells;
    main_rows_ = main_rows;
    alternate_rows_ = alternate_rows;
    damaged_ = damaged;
    alternate_ = alternate;
    rows_of_ = alternate ? alternate_rows_ : main_rows_;
    damage_all();
    *rows_gone = gone;
    return true;
}

void CellScreen::set_scrollback_limit(int lines)
{
    if (lines < 0)
        lines = 0;
    if (lines == history_limit_)
        return;
    clear_scrollback();
    free(history_);
    history_ = nullptr;
    history_room_ = 0;
    history_limit_ = lines;
}

void CellScreen::clear_scrollback()
{
    for (int i = 0; i < history_count_; ++i)
        free(history_[(history_first_ + i) % history_room_].cells);
    history_first_ = 0;
    history_count_ = 0;
}

void CellScreen::push_history(const Cell* cells)
{
    if (history_limit_ == 0)
        return;
    int length = columns_;
    while (length > 0 && is_blank(cells[length - 1]))
        --length;
    HistoryLine* slot;
    if (history_count_ == history_limit_) {
        // The oldest line makes way, its memory reused when it is enough.
        slot = &history_[history_first_];
        history_first_ = (history_first_ + 1) % history_room_;
        if (slot->length < length) {
            Cell* bigger = static_cast<Cell*>(realloc(slot->cells, length * sizeof(Cell)));
            if (!bigger) {
                free(slot->cells);
                slot->cells = nullptr;
                slot->length = 0;
                return;
            }
            slot->cells = bigger;
        }
    } else {
        if (history_count_ == history_room_) {
            // The ring grows; it is only ever grown while not yet wrapped.
            int room = history_room_ == 0 ? 256 : history_room_ * 2;
            if (room > history_limit_)
                room = history_limit_;
            HistoryLine* grown = static_cast<HistoryLine*>(realloc(history_, room * sizeof(HistoryLine)));
            if (!grown)
                return;
            history_ = grown;
            history_room_ = room;
        }
        slot = &history_[(history_first_ + history_count_) % history_room_];
        slot->cells = length > 0 ? static_cast<Cell*>(malloc(length * sizeof(Cell))) : nullptr;
        if (length > 0 && !slot->cells)
            return;
        ++history_count_;
    }
    if (length > 0)
        memcpy(slot->cells, cells, length * sizeof(Cell));
    slot->length = length;
    ++pushed_;
}

const Cell* CellScreen::scrollback_line(int index, int* length) const
{
    const HistoryLine& line = history_[(history_first_ + index) % history_room_];
    *length = line.length;
    return line.cells;
}

void CellScreen::scroll_up(int top, int bottom, int count, const Cell& fill, bool keep)
{
    int height = bottom - top + 1;
    if (count > height)
        count = height;
    if (count <= 0)
        return;
    if (keep && top == 0 && !alternate_) {
        for (int i = 0; i < count; ++i)
            push_history(rows_of_[i]);
    }
    // The rows that leave are reused, blanked, at the bottom. Without room
    // to note them, the whole region is blanked instead.
    Cell* moved[256];
    Cell** spare = count <= 256 ? moved : static_cast<Cell**>(malloc(count * sizeof(Cell*)));
    if (spare) {
        memcpy(spare, rows_of_ + top, count * sizeof(Cell*));
        memmove(rows_of_ + top, rows_of_ + top + count, (height - count) * sizeof(Cell*));
        memcpy(rows_of_ + bottom - count + 1, spare, count * sizeof(Cell*));
        if (spare != moved)
            free(spare);
    } else {
        count = height;
    }
    for (int y = bottom - count + 1; y <= bottom; ++y)
        fill_cells(rows_of_[y], columns_, fill);
    for (int y = top; y <= bottom; ++y)
        damaged_[y] = 1;
}

void CellScreen::scroll_down(int top, int bottom, int count, const Cell& fill)
{
    int height = bottom - top + 1;
    if (count > height)
        count = height;
    if (count <= 0)
        return;
    Cell* moved[256];
    Cell** spare = count <= 256 ? moved : static_cast<Cell**>(malloc(count * sizeof(Cell*)));
    if (spare) {
        memcpy(spare, rows_of_ + bottom - count + 1, count * sizeof(Cell*));
        memmove(rows_of_ + top + count, rows_of_ + top, (height - count) * sizeof(Cell*));
        memcpy(rows_of_ + top, spare, count * sizeof(Cell*));
        if (spare != moved)
            free(spare);
    } else {
        count = height;
    }
    for (int y = top; y < top + count; ++y)
        fill_cells(rows_of_[y], columns_, fill);
    for (int y = top; y <= bottom; ++y)
        damaged_[y] = 1;
}

void CellScreen::fill(int y, int from, int to, const Cell& cell)
{
    if (from < 0)
        from = 0;
    if (to > columns_)
        to = columns_;
    if (from >= to)
        return;
    fill_cells(rows_of_[y] + from, to - from, cell);
    damaged_[y] = 1;
}

void CellScreen::use_alternate(bool alternate, const Cell& fill)
{
    if (alternate == alternate_)
        return;
    alternate_ = alternate;
    rows_of_ = alternate ? alternate_rows_ : main_rows_;
    if (alternate) {
        for (int y = 0; y < rows_; ++y)
            fill_cells(rows_of_[y], columns_, fill);
    }
    damage_all();
}

void CellScreen::damage_all()
{
    if (damaged_)
        memset(damaged_, 1, rows_);
}

void CellScreen::clear_damage()
{
    memset(damaged_, 0, rows_);
    pushed_ = 0;
}
