#include "text/plot_clip.h"

namespace {

// Far enough out that a line from there to any row of a window crosses
// the edge where one from farther out would, to within a pixel.
constexpr double far_out = 1e9;

int32_t nearest(double v)
{
    return static_cast<int32_t>(v < 0 ? v - 0.5 : v + 0.5);
}

}  // namespace

PlotClip::PlotClip(int32_t top, int32_t bottom, PlotPixel* room, Draw draw, void* context)
    : top_(top), bottom_(bottom), points_(room), draw_(draw), context_(context)
{
}

int PlotClip::side_of(double y) const
{
    return y < top_ ? -1 : y > bottom_ ? 1 : 0;
}

void PlotClip::to(int32_t x, double y)
{
    // Values past a float's range may map to infinite rows (and anything
    // not a number is taken as far above).
    y = y >= -far_out ? (y <= far_out ? y : far_out) : -far_out;
    int side = side_of(y);
    if (started_ && side != side_) {
        if (side_)
            cross(side_, x, y);  // comes in at the edge it was beyond
        if (side) {
            cross(side, x, y);  // goes out at the edge it is now beyond
            flush();
        }
    }
    if (!side)
        add(x, y);
    started_ = true;
    x_ = x;
    y_ = y;
    side_ = side;
}

void PlotClip::end()
{
    flush();
    started_ = false;
}

// Adds the point where the segment from the last point to x, y meets the
// top edge (side -1) or the bottom one (side 1).
void PlotClip::cross(int side, double x, double y)
{
    double edge = side < 0 ? top_ : bottom_;
    add(x_ + (edge - y_) * (x - x_) / (y - y_), edge);
}

void PlotClip::add(double x, double y)
{
    points_[used_++] = PlotPixel{nearest(x), nearest(y)};
}

void PlotClip::flush()
{
    if (!used_)
        return;
    bool one_pixel = true;
    for (int i = 1; i < used_; ++i)
        one_pixel = one_pixel && points_[i].x == points_[0].x && points_[i].y == points_[0].y;
    if (one_pixel) {
        points_[1] = PlotPixel{points_[0].x + 1, points_[0].y};
        used_ = 2;
    }
    draw_(context_, points_, used_);
    used_ = 0;
}
