#include "text/plot_place.h"

namespace {

// `start` moved as little as it takes for `size` from there to lie within
// `low` to `high`; `low` when it cannot.
int32_t within(int32_t start, int32_t size, int32_t low, int32_t high)
{
    if (start + size > high)
        start = high - size;
    return start < low ? low : start;
}

}  // namespace

PlotBox place_beside(const PlotBox& anchor, int32_t width, int32_t height, const PlotBox& work)
{
    int32_t x;
    if (anchor.right >= work.left && anchor.right + width <= work.right)
        x = anchor.right;
    else if (anchor.left <= work.right && anchor.left - width >= work.left)
        x = anchor.left - width;
    else
        x = within(work.right - anchor.right >= anchor.left - work.left ? work.right - width
                                                                        : work.left,
                   width, work.left, work.right);
    int32_t y = within(anchor.top, height, work.top, work.bottom);
    return PlotBox{x, y, x + width, y + height};
}
