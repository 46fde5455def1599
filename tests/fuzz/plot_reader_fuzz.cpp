// Any received bytes, split anywhere, are read into at most 16 series within
// the ring's limit, summed up in no more columns than asked for, and save to
// CSV with one row for each kept sample, every cell a number the reader
// takes again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include "text/plot_columns.h"
#include "text/plot_number.h"
#include "text/plot_reader.h"
#include "tests/text/plot_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static PlotSamples samples;
    samples.set_capacity(100);
    PlotReader reader;
    size_t split = size ? data[0] % (size + 1) : 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    static PlotColumns columns;
    int width = size ? data[size - 1] % 40 + 1 : 1;
    reader.feed(bytes, static_cast<int>(split), samples, 7);
    columns.rebuild(samples, samples.first(), samples.end(), width);
    reader.feed(bytes + split, static_cast<int>(size - split), samples, 9);
    columns.follow(samples);
    if (columns.count() > width || columns.end() != samples.end())
        abort();
    // The oldest column may still name samples the ring has dropped.
    for (int i = 0; i < columns.count(); ++i)
        for (int s = 0; s < samples.series_count; ++s) {
            const PlotSpan& span = columns.span(i, s);
            if (span.low <= span.high && (span.low_at >= samples.end() || span.high_at >= samples.end()))
                abort();
        }
    if (samples.series_count > plot_series_max || samples.end() - samples.first() > 100)
        abort();
    std::string csv = csv_text(samples);
    size_t rows = 0;
    for (size_t at = csv.find("\r\n"); at != std::string::npos; at = csv.find("\r\n", at + 2))
        ++rows;
    if (rows != samples.end() - samples.first() + 1)
        abort();
    // Every cell after the header is empty or a whole number of its own.
    size_t cell = csv.find("\r\n") + 2;
    while (cell < csv.size()) {
        size_t next = csv.find_first_of(",\r", cell);
        int length = static_cast<int>(next - cell);
        if (length && scan_decimal_number(&csv[cell], &csv[next]) != length)
            abort();
        cell = next + (csv[next] == ',' ? 1 : 2);
    }
    return 0;
}
