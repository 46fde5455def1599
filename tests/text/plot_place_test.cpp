#include "text/plot_place.h"

#include <gtest/gtest.h>

// A window 560 by 360 beside another on a work area.
TEST(PlotPlace, BesideTheAnchorRightThenLeftThenWhereItFits)
{
    const PlotBox screen = {0, 0, 1920, 1040};
    struct Case {
        PlotBox anchor;
        int32_t width, height;
        PlotBox work;
        PlotBox placed;
    } cases[] = {
        {{100, 100, 700, 600}, 560, 360, screen, {700, 100, 1260, 460}},
        {{1400, 100, 1900, 600}, 560, 360, screen, {840, 100, 1400, 460}},
        // Room on neither side: against the roomier side's edge.
        {{0, 0, 1920, 1040}, 560, 360, screen, {1360, 0, 1920, 360}},
        {{300, 800, 1700, 1000}, 560, 360, screen, {0, 680, 560, 1040}},
        // Larger than the work area: its top left corner on it.
        {{100, 100, 700, 600}, 2000, 1100, screen, {0, 0, 2000, 1100}},
        // An anchor partly off the work area, the work area left of 0.
        {{-1200, -20, -700, 500}, 560, 360, {-1280, 0, 0, 1000}, {-700, 0, -140, 360}},
        {{-1500, 100, -1100, 500}, 560, 360, {-1280, 0, 0, 1000}, {-1100, 100, -540, 460}},
        {{-100, 100, 1000, 500}, 560, 360, screen, {1000, 100, 1560, 460}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        PlotBox got = place_beside(cases[i].anchor, cases[i].width, cases[i].height, cases[i].work);
        const PlotBox& want = cases[i].placed;
        EXPECT_TRUE(got.left == want.left && got.top == want.top && got.right == want.right &&
                    got.bottom == want.bottom)
            << "case " << i << ": " << got.left << "," << got.top << "," << got.right << ","
            << got.bottom << ", expected " << want.left << "," << want.top << "," << want.right
            << "," << want.bottom;
    }
}
