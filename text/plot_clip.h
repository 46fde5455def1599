#pragma once
#include <cstdint>

// A point of a line as drawn, in pixels.
struct PlotPixel {
    int32_t x;
    int32_t y;
};

// Cuts a series' line to the plot area's rows `top` to `bottom` (y grows
// downwards): where the line leaves those rows it ends at their edge, and
// where it comes back it starts again at the edge, so that values beyond a
// fixed Y range run off the plot rather than along its border. Each piece
// inside goes to `draw` as soon as it ends, in whole pixels (the nearest);
// a piece that is a single pixel is drawn a pixel wide, so that a lone
// value shows.
class PlotClip {
public:
    typedef void (*Draw)(void* context, const PlotPixel* points, int count);

    // `room` points must hold the points given between two ends, plus 2.
    PlotClip(int32_t top, int32_t bottom, PlotPixel* room, Draw draw, void* context);

    // The line goes on to x, y; y may lie anywhere, however far out.
    void to(int32_t x, double y);
    // The line ends here (a gap in the series, or its end).
    void end();

private:
    // -1 above the rows, 1 below them, 0 on them.
    int side_of(double y) const;
    void cross(int side, double x, double y);
    void add(double x, double y);
    void flush();

    double top_;
    double bottom_;
    PlotPixel* points_;
    int used_ = 0;
    Draw draw_;
    void* context_;
    bool started_ = false;  // a point came since the last end
    double x_ = 0;          // that point
    double y_ = 0;
    int side_ = 0;
};
