#pragma once
#include "text/plot_samples.h"

// Reads received text as lines of numbers for a plot. A line ends at CR, LF
// or CR LF. It counts when every field in it (fields are separated by
// commas, semicolons, spaces or tabs; runs of them count as one) is a
// decimal number or "label:number" / "label=number", with blanks allowed
// around the ':' or '='; any other line is skipped whole. A labelled value
// belongs to the series of that label, an unlabelled one to series "1",
// "2", ... by the field's place in the line. Values of series past the 16th
// are left out. A label has at most 31 characters (none of , ; : = " or a
// blank), a value at most 24; a line at most 1024.

constexpr int plot_line_max = 1024;

// Adds one line (without its line end), arrived at `time_ms`, to `samples`;
// 1 when it made a sample, 0 when it was skipped.
int read_plot_line(const char* line, int length, PlotSamples& samples, uint32_t time_ms);

class PlotReader {
public:
    // Reads bytes received at `time_ms` (milliseconds on any clock); a line
    // not yet ended waits for the next call, and takes the time of the bytes
    // that end it.
    void feed(const char* bytes, int count, PlotSamples& samples, uint32_t time_ms);
    // Forgets the line in progress.
    void reset() { length_ = 0; too_long_ = false; }

private:
    char line_[plot_line_max];
    int length_ = 0;
    bool too_long_ = false;
};
