#pragma once
#include "text/plot_samples.h"

// Writes `count` bytes somewhere; 0 when they could not be written.
typedef int (*PlotCsvWrite)(void* context, const char* bytes, int count);

// Writes the kept samples as CSV, lines ended by CR LF: the header "ms",
// "sample" and each series' label in the order the series first appeared,
// then a row for each sample: when it arrived in milliseconds since the
// first sample after the last clear, its number (1 for that first) and
// each series' value exactly as received, an empty cell for a gap. Returns
// 1 when everything was written, 0 when a write failed (nothing more is
// then written).
int write_plot_csv(const PlotSamples& samples, PlotCsvWrite write, void* context);
