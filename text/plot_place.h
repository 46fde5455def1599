#pragma once
#include <cstdint>

// A rectangle on the screen, in pixels; right and bottom are outside it.
struct PlotBox {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Where a window `width` by `height` goes beside `anchor` on the work area
// `work`: to the anchor's right when it fits there, else to its left, else
// against the work area's edge on the anchor's roomier side. Its top is
// level with the anchor's, moved up or down as far as it takes to lie on the
// work area. A window larger than the work area keeps its top left corner on
// it.
PlotBox place_beside(const PlotBox& anchor, int32_t width, int32_t height, const PlotBox& work);
