#include "text/plot_columns.h"
#include <cstdlib>

PlotColumns::~PlotColumns()
{
    free(spans_);
}

int PlotColumns::rebuild(const PlotSamples& samples, uint32_t first, uint32_t end, int width)
{
    if (width < 1)
        width = 1;
    if (width != width_) {
        free(spans_);
        spans_ = static_cast<PlotSpan*>(malloc(static_cast<size_t>(width) * plot_series_max *
                                               sizeof(PlotSpan)));
        width_ = spans_ ? width : 0;
    }
    first_ = end_ = first;
    first_column_ = end_column_ = 0;
    if (!spans_)
        return 0;
    shift = 0;
    while (end > first && ((end - 1) >> shift) - (first >> shift) + 1 > static_cast<uint32_t>(width))
        ++shift;
    first_column_ = end_column_ = first >> shift;
    for (uint32_t n = first; n < end; ++n)
        take(samples, n);
    return 1;
}

void PlotColumns::follow(const PlotSamples& samples)
{
    if (!spans_)
        return;
    if (end_ < samples.first()) {
        rebuild(samples, samples.first(), samples.end(), width_);
        return;
    }
    for (; end_ < samples.end(); take(samples, end_)) {
        if (first_ < samples.first())
            first_ = samples.first();
        while (first_column_ < first_ >> shift)
            ++first_column_;
        if ((end_ >> shift) + 1 - first_column_ > static_cast<uint32_t>(width_)) {
            rebuild(samples, first_, samples.end(), width_);
            return;
        }
    }
}

// Adds sample `n`, the one after the last taken, opening its column when it
// is the first there.
void PlotColumns::take(const PlotSamples& samples, uint32_t n)
{
    uint32_t c = n >> shift;
    if (c == end_column_) {
        for (int s = 0; s < plot_series_max; ++s)
            column(c, s) = PlotSpan{3.4e38f, -3.4e38f, 0, 0};
        ++end_column_;
    }
    for (int s = 0; s < samples.series_count; ++s) {
        const PlotPoint& point = samples.point(s, n);
        if (!point.text[0])
            continue;
        PlotSpan& span = column(c, s);
        if (point.value < span.low) {
            span.low = point.value;
            span.low_at = n;
        }
        if (point.value > span.high) {
            span.high = point.value;
            span.high_at = n;
        }
    }
    end_ = n + 1;
}

PlotSpan& PlotColumns::column(uint32_t c, int series) const
{
    return spans_[static_cast<uint32_t>(c % static_cast<uint32_t>(width_)) * plot_series_max + series];
}

const PlotSpan& PlotColumns::span(int i, int series) const
{
    return column(first_column_ + static_cast<uint32_t>(i), series);
}

uint32_t PlotColumns::last_sample(int i) const
{
    uint32_t next = (first_column_ + static_cast<uint32_t>(i) + 1) << shift;
    return (next < end_ ? next : end_) - 1;
}
