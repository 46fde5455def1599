#include "text/plot_clip.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

void record(void* context, const PlotPixel* points, int count)
{
    std::string& pieces = *static_cast<std::string*>(context);
    if (!pieces.empty())
        pieces += " | ";
    for (int i = 0; i < count; ++i)
        pieces += (i ? " " : "") + std::to_string(points[i].x) + "," + std::to_string(points[i].y);
}

// A point of the line, or a gap where `end` is set.
struct Step {
    int x;
    double y;
    bool end = false;
};

}  // namespace

// Rows 10 to 20: the pieces drawn, each " | " apart, for lines that stay,
// leave, come back and jump past the rows.
TEST(PlotClip, TheLineRunsOffTheEdgeAndComesBackAtIt)
{
    const double infinite = std::numeric_limits<double>::infinity();
    const Step gap = {0, 0, true};  // a column without a value
    struct Case {
        Step steps[5];
        int count;
        const char* pieces;
    } cases[] = {
        {{{0, 12}, {10, 18}}, 2, "0,12 10,18"},
        {{{0, 10}, {10, 20}}, 2, "0,10 10,20"},
        // Above the top (a value over a fixed range) and back.
        {{{0, 15}, {10, 5}, {20, 15}}, 3, "0,15 5,10 | 15,10 20,15"},
        // Below the bottom, then the line ends outside.
        {{{0, 15}, {10, 25}}, 2, "0,15 5,20"},
        // Through every row from above to below, and back.
        {{{0, 0}, {9, 30}, {18, 0}}, 3, "3,10 6,20 | 12,20 15,10"},
        // Wholly outside on one side: nothing.
        {{{0, 0}, {10, 5}, {20, 0}}, 3, ""},
        // Far beyond, even infinitely: off and back all but straight.
        {{{0, 15}, {10, 1e40}, {20, 15}}, 3, "0,15 0,20 | 20,20 20,15"},
        {{{0, 15}, {10, -infinite}, {20, 15}}, 3, "0,15 0,10 | 20,10 20,15"},
        // A gap ends the line; a lone value gets a pixel's width.
        {{{0, 15}, gap, {10, 15}, {20, 16}}, 4, "0,15 1,15 | 10,15 20,16"},
        {{{0, 50}, gap, {10, 14.6}, {10, 15.4}}, 4, "10,15 11,15"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::string pieces;
        PlotPixel room[8];
        PlotClip clip(10, 20, room, record, &pieces);
        for (int k = 0; k < cases[i].count; ++k) {
            const Step& step = cases[i].steps[k];
            if (step.end)
                clip.end();
            else
                clip.to(step.x, step.y);
        }
        clip.end();
        EXPECT_EQ(cases[i].pieces, pieces) << "case " << i;
    }
}
