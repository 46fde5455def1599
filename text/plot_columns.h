#pragma once
#include "text/plot_samples.h"

// The lowest and highest value of one series in one column, and the samples
// that hold them; low > high when the series has no value there.
struct PlotSpan {
    float low;
    float high;
    uint32_t low_at;
    uint32_t high_at;
};

// What a plot draws: a range of samples summed up in at most `width`
// columns, each the lowest and highest value of every series over a
// power-of-two run of samples, so that drawing costs as much for a million
// samples as for a thousand. Columns start at multiples of their run, so a
// new sample only changes the newest column.
class PlotColumns {
public:
    PlotColumns() = default;
    PlotColumns(const PlotColumns&) = delete;
    PlotColumns& operator=(const PlotColumns&) = delete;
    ~PlotColumns();

    // Sums up samples [first, end) of `samples` (they must be kept) in at
    // most `width` columns. 0, with no columns, when memory ran out.
    int rebuild(const PlotSamples& samples, uint32_t first, uint32_t end, int width);
    // Takes in the samples added to `samples` since, following the newest:
    // columns whose samples all went from the ring go too.
    void follow(const PlotSamples& samples);

    int count() const { return static_cast<int>(end_column_ - first_column_); }
    // Column `i` (0 the oldest) of series `series`.
    const PlotSpan& span(int i, int series) const;
    // The newest sample that column `i` holds.
    uint32_t last_sample(int i) const;
    uint32_t first() const { return first_; }
    uint32_t end() const { return end_; }
    int shift = 0;  // each column holds 2^shift samples

private:
    void take(const PlotSamples& samples, uint32_t n);
    PlotSpan& column(uint32_t c, int series) const;

    PlotSpan* spans_ = nullptr;  // width columns of 16 spans, in a ring
    int width_ = 0;
    uint32_t first_column_ = 0;
    uint32_t end_column_ = 0;
    uint32_t first_ = 0;
    uint32_t end_ = 0;
};
