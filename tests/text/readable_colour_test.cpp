#include "text/readable_colour.h"

#include <gtest/gtest.h>

// Every colour of the sixteen and the cube's white reads on the white list,
// on a high-contrast theme's black one and on a selected row; a colour that
// reads already is drawn as it is.
TEST(ReadableColour, EachPaletteColourReadsOnTheBackgroundsOfTheList)
{
    const uint32_t white = 0xFFFFFF, black = 0, selection = 0xD77800;
    struct Case {
        const char* what;
        uint32_t ink, background;
        bool kept;  // drawn as it is
    } cases[] = {
        {"37 on white", ansi_palette(7), white, false},    {"97 on white", ansi_palette(15), white, false},
        {"231 on white", ansi_palette(231), white, false}, {"33 on white", ansi_palette(3), white, false},
        {"93 on white", ansi_palette(11), white, false},   {"32 on white", ansi_palette(2), white, false},
        {"31 on white", ansi_palette(1), white, true},     {"34 on white", ansi_palette(4), white, true},
        {"30 on white", ansi_palette(0), white, true},     {"34 selected", ansi_palette(4), selection, false},
        {"30 on black", ansi_palette(0), black, false},    {"34 on black", ansi_palette(4), black, false},
        {"97 on black", ansi_palette(15), black, true},    {"white on a tint", white, 0xA0FFFF, false},
    };
    for (const Case& c : cases) {
        uint32_t drawn = readable_ink(c.ink, c.background);
        EXPECT_GE(contrast_ratio(drawn, c.background), readable_contrast) << c.what << ": " << std::hex << drawn;
        EXPECT_EQ(c.kept, drawn == c.ink) << c.what << ": drawn " << std::hex << drawn;
    }
}
