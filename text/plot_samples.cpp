#include "text/plot_samples.h"
#include <cstdlib>

namespace {

// The characters of a number, by their four-bit code; code 0 ends a text.
const char number_characters[] = "?0123456789.+-eE";

int code_of(char c)
{
    for (int code = 1; code < 16; ++code)
        if (number_characters[code] == c)
            return code;
    return 0;
}

}  // namespace

void PlotSamples::set_capacity(int32_t points)
{
    clear();
    capacity_ = points >= plot_points_min && points <= plot_points_max
                    ? static_cast<uint32_t>(points)
                    : plot_points_default;
}

void PlotSamples::clear()
{
    for (int i = 0; i < series_count; ++i) {
        free(points_[i]);
        points_[i] = nullptr;
    }
    free(times_);
    times_ = nullptr;
    series_count = 0;
    slot_ = 0;
    end_ = 0;
}

int PlotSamples::series_for(const char* label, int length)
{
    for (int i = 0; i < series_count; ++i) {
        int k = 0;
        while (k < length && labels[i][k] == label[k])
            ++k;
        if (k == length && !labels[i][k])
            return i;
    }
    if (series_count == plot_series_max || length > plot_label_max)
        return -1;
    // A new series has none of the earlier samples: each is a gap, which an
    // empty text alone makes.
    PlotPoint* points = static_cast<PlotPoint*>(malloc(capacity_ * sizeof(PlotPoint)));
    if (!points)
        return -1;
    for (uint32_t n = 0; n < capacity_; ++n)
        points[n].text[0] = 0;
    points_[series_count] = points;
    for (int k = 0; k < length; ++k)
        labels[series_count][k] = label[k];
    labels[series_count][length] = '\0';
    return series_count++;
}

void PlotSamples::begin_sample(uint32_t time_ms)
{
    if (!end_) {
        first_time_ = time_ms;
        times_ = static_cast<uint32_t*>(malloc(capacity_ * sizeof(uint32_t)));
    }
    if (end_++)
        slot_ = slot_ + 1 == capacity_ ? 0 : slot_ + 1;
    for (int i = 0; i < series_count; ++i)
        points_[i][slot_].text[0] = 0;
    if (times_)
        times_[slot_] = time_ms - first_time_;
}

void PlotSamples::set_value(int series, const char* text, int length, double value)
{
    // Values beyond a float's range are drawn at its edge.
    const double edge = 3.4e38;
    PlotPoint& point = points_[series][slot_];
    point.value = static_cast<float>(value > edge ? edge : value < -edge ? -edge : value);
    for (int i = 0; i < plot_text_max / 2; ++i)
        point.text[i] = 0;
    for (int i = 0; i < length; ++i)
        point.text[i / 2] |= static_cast<unsigned char>(code_of(text[i]) << (i % 2 * 4));
    for (int i = 0; i < length; ++i)
        newest[series][i] = text[i];
    newest[series][length] = '\0';
}

uint32_t PlotSamples::ring_slot(uint32_t n) const
{
    uint32_t back = static_cast<uint32_t>(end_ - 1 - n);
    return slot_ >= back ? slot_ - back : slot_ + capacity_ - back;
}

const PlotPoint& PlotSamples::point(int series, uint32_t n) const
{
    return points_[series][ring_slot(n)];
}

uint32_t PlotSamples::time_of(uint32_t n) const
{
    return times_ && n >= first() && n < end_ ? times_[ring_slot(n)] : 0;
}

int PlotSamples::text_of(int series, uint32_t n, char* out) const
{
    return n >= first() ? point_text(point(series, n), out) : 0;
}

int PlotSamples::point_text(const PlotPoint& point, char* out)
{
    int length = 0;
    for (; length < plot_text_max; ++length) {
        int code = point.text[length / 2] >> (length % 2 * 4) & 15;
        if (!code)
            break;
        out[length] = number_characters[code];
    }
    return length;
}
