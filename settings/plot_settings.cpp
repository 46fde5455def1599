#include "settings/plot_settings.h"
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"
#include "settings/settings_file.h"

void load_plot_settings(IniReader& reader, PlotSettings& plot)
{
    char value[64];
    if (reader.find_key("Plot", value, sizeof value) && value[0] == '1' && !value[1])
        plot.shown = 1;
    int32_t dpi = 0;  // the plot's place is kept without its scale
    if (reader.find_key("PlotWindow", value, sizeof value) && parse_window(value, plot.window, dpi))
        plot.has_window = 1;
    int32_t points = 0;
    if (reader.get_int("PlotPoints", &points, 0) && points >= plot_points_min &&
        points <= plot_points_max)
        plot.points = points;
}

void write_plot_settings(IniWriter& writer, const PlotSettings& plot)
{
    if (plot.shown)
        writer.write_text("Plot", "1");
    if (plot.has_window)
        write_window(writer, "PlotWindow", plot.window);
    if (plot.points != plot_points_default)
        writer.write_int("PlotPoints", plot.points);
}
