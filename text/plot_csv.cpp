#include "text/plot_csv.h"
#include "text/plot_number.h"

namespace {

// Collects rows and hands them on in blocks.
struct CsvBuffer {
    PlotCsvWrite write;
    void* context;
    int length;
    int ok;
    // Room for a block and one more row, the longest of which is a time, a
    // number, 16 values and their commas, and CR LF.
    char bytes[8192 + 2 * 11 + plot_series_max * (plot_label_max + 1) + 2];

    void flush()
    {
        if (ok && length)
            ok = write(context, bytes, length);
        length = 0;
    }
    void end_row()
    {
        bytes[length++] = '\r';
        bytes[length++] = '\n';
        if (length >= 8192)
            flush();
    }
};

}  // namespace

int write_plot_csv(const PlotSamples& samples, PlotCsvWrite write, void* context)
{
    static CsvBuffer buffer;
    buffer.write = write;
    buffer.context = context;
    buffer.length = 0;
    buffer.ok = 1;
    const char header[] = "ms,sample";
    for (const char* c = header; *c; ++c)
        buffer.bytes[buffer.length++] = *c;
    for (int s = 0; s < samples.series_count; ++s) {
        buffer.bytes[buffer.length++] = ',';
        for (const char* c = samples.labels[s]; *c; ++c)
            buffer.bytes[buffer.length++] = *c;
    }
    buffer.end_row();
    for (uint32_t n = samples.first(); n < samples.end() && buffer.ok; ++n) {
        buffer.length += format_count(samples.time_of(n), buffer.bytes + buffer.length);
        buffer.bytes[buffer.length++] = ',';
        buffer.length += format_count(n + 1, buffer.bytes + buffer.length);
        for (int s = 0; s < samples.series_count; ++s) {
            buffer.bytes[buffer.length++] = ',';
            buffer.length += samples.text_of(s, n, buffer.bytes + buffer.length);
        }
        buffer.end_row();
    }
    buffer.flush();
    return buffer.ok;
}
