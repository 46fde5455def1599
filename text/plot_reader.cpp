#include "text/plot_reader.h"
#include "text/plot_number.h"

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_separator(char c) { return c == ',' || c == ';' || is_blank(c); }

struct Field {
    const char* label;  // null when unlabelled
    int label_length;
    const char* text;
    int text_length;
};

const char* skip_separators(const char* p, const char* end)
{
    while (p < end && is_separator(*p))
        ++p;
    return p;
}

// The length of the number at `p` when it fills the field, else 0.
int whole_number(const char* p, const char* end)
{
    int length = scan_decimal_number(p, end);
    return length && (p + length == end || is_separator(p[length])) ? length : 0;
}

// Reads the field at `p`; returns where it ends, or null when it is neither
// a number nor a labelled number.
const char* read_field(const char* p, const char* end, Field& field)
{
    field.label = nullptr;
    int length = whole_number(p, end);
    if (!length) {
        const char* q = p;
        while (q < end && !is_separator(*q) && *q != ':' && *q != '=' && *q != '"')
            ++q;
        field.label = p;
        field.label_length = static_cast<int>(q - p);
        while (q < end && is_blank(*q))
            ++q;
        if (!field.label_length || field.label_length > plot_label_max || q == end ||
            (*q != ':' && *q != '='))
            return nullptr;
        for (++q; q < end && is_blank(*q); ++q) {
        }
        p = q;
        length = whole_number(p, end);
    }
    if (!length || length > plot_text_max)
        return nullptr;
    field.text = p;
    field.text_length = length;
    return p + length;
}

}  // namespace

int read_plot_line(const char* line, int length, PlotSamples& samples, uint32_t time_ms)
{
    const char* end = line + length;
    Field field;
    // After four thousand million samples the numbering starts again at 1.
    if (samples.end() == 0xffffffffu)
        samples.clear();
    for (const char* p = skip_separators(line, end); p < end; p = skip_separators(p, end))
        if (!(p = read_field(p, end, field)))
            return 0;
    // The line is whole: each value finds its series, the last of a series
    // in the line winning.
    Field values[plot_series_max];
    int series_used[plot_series_max];
    int used = 0;
    int place = 0;
    for (const char* p = skip_separators(line, end); p < end; p = skip_separators(p, end)) {
        p = read_field(p, end, field);
        char number[20];
        if (!field.label) {
            field.label = number;
            field.label_length = format_count(static_cast<uint32_t>(place) + 1, number);
        }
        ++place;
        int series = samples.series_for(field.label, field.label_length);
        if (series < 0)
            continue;
        int i = 0;
        while (i < used && series_used[i] != series)
            ++i;
        values[i] = field;
        series_used[i] = series;
        used += i == used;
    }
    if (!used)
        return 0;
    samples.begin_sample(time_ms);
    for (int i = 0; i < used; ++i)
        samples.set_value(series_used[i], values[i].text, values[i].text_length,
                          decimal_number_value(values[i].text, values[i].text_length));
    return 1;
}

void PlotReader::feed(const char* bytes, int count, PlotSamples& samples, uint32_t time_ms)
{
    for (int i = 0; i < count; ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            // CR LF ends one line: the empty one after the CR is skipped.
            if (!too_long_)
                read_plot_line(line_, length_, samples, time_ms);
            reset();
        } else if (length_ < plot_line_max) {
            line_[length_++] = c;
        } else {
            too_long_ = true;
        }
    }
}
