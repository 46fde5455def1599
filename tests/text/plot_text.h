// The plot's kept samples as the CSV text they save to, for the plot's tests
// and its fuzz target.
#pragma once
#include <string>
#include "text/plot_csv.h"

inline int append_csv(void* context, const char* bytes, int count)
{
    static_cast<std::string*>(context)->append(bytes, static_cast<size_t>(count));
    return 1;
}

inline std::string csv_text(const PlotSamples& samples)
{
    std::string text;
    write_plot_csv(samples, append_csv, &text);
    return text;
}
