#pragma once
#include <cstdint>

// One character cell of the terminal's screen.
//
// A colour is 0 for the default, term_indexed | n for one of the 256
// palette colours, or term_rgb | 0xRRGGBB.
constexpr uint32_t term_indexed = 0x01000000u;
constexpr uint32_t term_rgb = 0x02000000u;
constexpr uint32_t term_colour_kind = 0xff000000u;

enum CellFlag : uint16_t {
    cell_bold = 1 << 0,
    cell_faint = 1 << 1,
    cell_italic = 1 << 2,
    cell_underline = 1 << 3,
    cell_blink = 1 << 4,
    cell_reverse = 1 << 5,
    cell_hidden = 1 << 6,
    cell_strike = 1 << 7,
    // The character is two cells wide: this is its left half.
    cell_wide = 1 << 8,
    // The right half of a wide character: holds no character of its own.
    cell_wide_tail = 1 << 9,
};

// The attributes a character is written with.
struct CellPen {
    uint32_t fg = 0;
    uint32_t bg = 0;
    uint16_t flags = 0;
};

struct Cell {
    // The character's code point; 0 for a cell never written, shown blank.
    uint32_t ch;
    uint32_t fg;
    uint32_t bg;
    uint16_t flags;
    uint16_t spare;
};

inline Cell blank_cell(const CellPen& pen)
{
    // An erased cell keeps the pen's background only, as a real terminal's.
    return Cell{0, 0, pen.bg, 0, 0};
}
