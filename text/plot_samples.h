#pragma once
#include <cstdint>

// The samples a plot keeps: for each series (up to 16, in the order they
// first appeared) the newest `capacity` values, one a sample, in a ring of
// 16 bytes a point, and the time each sample arrived, 4 bytes a sample. A
// series with no value in a sample has a gap there.

constexpr int plot_series_max = 16;
constexpr int plot_label_max = 31;  // characters of a series' label
constexpr int plot_text_max = 24;   // characters of a value kept as received
constexpr int32_t plot_points_default = 10000;
constexpr int32_t plot_points_min = 100;
constexpr int32_t plot_points_max = 1000000;

// One series' value in one sample: the value to draw, and its text exactly
// as received, four bits a character; an empty text is a gap.
struct PlotPoint {
    float value;
    unsigned char text[plot_text_max / 2];
};

class PlotSamples {
public:
    PlotSamples() = default;
    PlotSamples(const PlotSamples&) = delete;
    PlotSamples& operator=(const PlotSamples&) = delete;
    ~PlotSamples() { clear(); }

    // Keeps the newest `points` samples (100 to 1,000,000; others leave the
    // default of 10,000) and forgets every sample and series.
    void set_capacity(int32_t points);
    // Forgets every sample and series; the next sample is number 1 again.
    void clear();

    // The series labelled `label` (`length` characters), added when it is
    // new; -1 when 16 exist or its memory could not be had.
    int series_for(const char* label, int length);
    // Starts the next sample, arrived at `time_ms` on a millisecond clock
    // (which may wrap), every series a gap in it.
    void begin_sample(uint32_t time_ms);
    // Sets a series' value in the newest sample: its text (1 to 24
    // characters of a decimal number) and its value.
    void set_value(int series, const char* text, int length, double value);

    // Samples are counted from 0 (shown as 1) since the last clear: the
    // kept ones are first() to end() - 1.
    uint32_t end() const { return end_; }
    uint32_t first() const { return end_ > capacity_ ? end_ - capacity_ : 0; }
    uint32_t capacity() const { return capacity_; }
    // A series' point in kept sample `n`.
    const PlotPoint& point(int series, uint32_t n) const;
    // Writes a point's text (not terminated); returns its length, 0 for a gap.
    static int point_text(const PlotPoint& point, char* out);
    // Writes a series' text in sample `n` as point_text does; 0 also when
    // the sample is no longer kept.
    int text_of(int series, uint32_t n, char* out) const;
    // When kept sample `n` arrived: milliseconds since the first sample
    // after the last clear.
    uint32_t time_of(uint32_t n) const;

    // Only the first series_count labels, texts and rings are in use.
    int series_count = 0;
    char labels[plot_series_max][plot_label_max + 1] = {};
    // Each series' newest value as received, terminated; a series is made
    // with its first value.
    char newest[plot_series_max][plot_text_max + 1] = {};

private:
    uint32_t ring_slot(uint32_t n) const;

    PlotPoint* points_[plot_series_max] = {};
    // Each sample's time, in the same ring; null until the first sample, or
    // when its memory could not be had (the times then read 0).
    uint32_t* times_ = nullptr;
    uint32_t first_time_ = 0;  // the clock at the first sample
    uint32_t capacity_ = plot_points_default;
    uint32_t slot_ = 0;  // the newest sample's place in the rings
    uint32_t end_ = 0;
};
