#pragma once
#include <cstdint>
#include "text/ansi_text.h"

// Colours that stay readable on what lies behind them: the list's own
// background (white, or black in a high-contrast theme), a selected row, a
// highlight's tint, or the background a device chose. Colours are
// 0x00BBGGRR.

// How far apart two colours stand: the ratio of their relative luminances,
// each plus 0.05; 1 for the same colour, 21 for black on white.
double contrast_ratio(uint32_t a, uint32_t b);

// Text reads when it stands this far from its background.
constexpr double readable_contrast = 4.5;

// `ink` when it reads on `background`; otherwise `ink` darkened toward
// black or lightened toward white, whichever reads better there, just far
// enough to read (its hue kept as far as it can be).
uint32_t readable_ink(uint32_t ink, uint32_t background);

// The colours a run of a line is drawn in, on a row whose own colours are
// `ink` on `fill` (a selected row's: the selection's). Defaults take the
// row's colours, reverse swaps the two, and a selected row keeps its fill
// under every run, so that the selection shows; the text is then made
// readable on what lies behind it.
struct RunColours {
    uint32_t text;
    uint32_t back;
};
RunColours run_colours(const ColourRun& run, uint32_t ink, uint32_t fill, bool selected);
