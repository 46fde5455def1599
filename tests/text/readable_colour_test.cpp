#include "text/readable_colour.h"

#include <gtest/gtest.h>
#include <cstdio>

namespace {

const uint32_t white = 0xFFFFFF, black = 0x000000;
const uint32_t selection = 0xD77800;  // the usual selection blue, 0x00BBGGRR

// Every colour of the sixteen and the cube's white, on the white list, on a
// high-contrast theme's black one and on a selected row, reads; a colour
// that reads already is left as it is.
TEST(ReadableColour, EachPaletteColourReadsOnTheBackgroundsOfTheList)
{
    struct Case {
        const char* what;
        uint32_t ink, background;
        bool kept;  // drawn as it is
    } cases[] = {
        {"37 white on white", ansi_palette(7), white, false},
        {"97 bright white on white", ansi_palette(15), white, false},
        {"231 cube white on white", ansi_palette(231), white, false},
        {"33 yellow on white", ansi_palette(3), white, false},
        {"93 bright yellow on white", ansi_palette(11), white, false},
        {"32 green on white", ansi_palette(2), white, false},
        {"31 red on white", ansi_palette(1), white, true},
        {"34 blue on white", ansi_palette(4), white, true},
        {"30 black on white", ansi_palette(0), white, true},
        {"34 blue on the selection", ansi_palette(4), selection, false},
        {"30 black on black", ansi_palette(0), black, false},
        {"34 blue on black", ansi_palette(4), black, false},
        {"97 bright white on black", ansi_palette(15), black, true},
        {"white text on a yellow tint", white, 0xA0FFFF, false},
        {"grey 128 on white", 0x808080, white, false},
    };
    for (const Case& c : cases) {
        uint32_t drawn = readable_ink(c.ink, c.background);
        double ratio = contrast_ratio(drawn, c.background);
        EXPECT_GE(ratio, readable_contrast) << c.what << ": drawn " << std::hex << drawn;
        EXPECT_EQ(c.kept, drawn == c.ink) << c.what << ": drawn " << std::hex << drawn;
    }
}

// A run's colours on its row: defaults, reverse, a selected row.
TEST(ReadableColour, RunsTakeTheRowsColoursSwapWhenReversedAndKeepTheSelection)
{
    const uint32_t red = 0x0000CD, blue_back = 0xEE0000, d = colour_default;
    struct Case {
        const char* what;
        uint32_t foreground, background;
        bool reverse, selected;
        uint32_t text, back;
    } cases[] = {
        {"plain", d, d, false, false, black, white},
        {"red", red, d, false, false, red, white},
        {"on a light tint", d, 0xC0FFFF, false, false, black, 0xC0FFFF},
        {"reversed plain", d, d, true, false, white, black},
        {"reversed red", red, d, true, false, white, red},
        {"selected plain", d, d, false, true, black, white},
        {"selected on blue", d, blue_back, false, true, black, white},
    };
    for (const Case& c : cases) {
        ColourRun run = {0, 1, c.foreground, c.background, false, false, c.reverse};
        RunColours drawn = run_colours(run, black, white, c.selected);
        EXPECT_EQ(c.text, drawn.text) << c.what;
        EXPECT_EQ(c.back, drawn.back) << c.what;
    }
}

}  // namespace
