#pragma once
#include <windows.h>
#include <cstdint>
#include "text/plot_samples.h"

class IniReader;
class IniWriter;

// The plot window's keys under [Misc Settings], each written only when it is
// not its default: "Plot=1" when the window was up at exit, "PlotWindow=
// l,t,r,b" its place once moved or resized, "PlotPoints=N" the samples kept
// of each series (100 to 1,000,000; default 10,000).
struct PlotSettings {
    int32_t shown = 0;
    int32_t has_window = 0;
    RECT window = {};  // screen pixels
    int32_t points = plot_points_default;
};

// Invalid values leave the settings as they were.
void load_plot_settings(IniReader& reader, PlotSettings& plot);
void write_plot_settings(IniWriter& writer, const PlotSettings& plot);
