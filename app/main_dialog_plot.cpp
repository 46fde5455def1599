// The plot window from the View menu: shown where it was last, fed every
// received byte by the receive path, and up again at start when it was up
// at exit.
#include "app/main_dialog.h"
#include "app/program_objects.h"
#include "framework/dpi.h"
#include "resources/resource_ids.h"

void MainDialog::toggle_plot()
{
    if (plot_window.hwnd)
        hide_plot();
    else
        show_plot();
    settings_changed = 1;
}

void MainDialog::show_plot()
{
    PlotSettings& plot = options.plot;
    const RECT* place = plot.has_window && caption_on_a_work_area(hwnd, plot.window, window_dpi(hwnd))
                            ? &plot.window
                            : nullptr;
    plot.shown = plot_window.show(hwnd, plot, place, settings_changed);
    show_plot_state();
}

void MainDialog::hide_plot()
{
    plot_window.destroy();
    options.plot.shown = 0;
    show_plot_state();
}

void MainDialog::show_plot_state()
{
    CheckMenuItem(menu, IDM_PLOT, plot_window.hwnd ? MF_CHECKED : MF_UNCHECKED);
    SetTimer(hwnd, receive_timer_id,
             plot_window.hwnd ? plot_timer_period_ms : receive_timer_period_ms, nullptr);
}
