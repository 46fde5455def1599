#pragma once
#include <windows.h>
#include "framework/window_base.h"
#include "settings/plot_settings.h"
#include "text/plot_columns.h"
#include "text/plot_reader.h"

// The plot window: an owned top-level window that draws the numbers of the
// received lines, a line a series in its own colour, with a legend of each
// label and its newest value, a Y axis fitted to what is shown or fixed, and
// the sample number along X. Its menu saves the samples as CSV, pauses the
// picture and sets the Y range. Closing it (the close box, Escape) asks its
// owner to hide it with the owner's IDM_PLOT command.
class PlotWindow : public WindowBase {
public:
    PlotWindow();

    // Shows an empty plot keeping `settings.points` samples a series, at
    // `place` (screen pixels) or else beside `owner`; 1 when it is up.
    // Later moves and sizes go into `settings` and set `changed`.
    int show(HWND owner, PlotSettings& settings, const RECT* place, int32_t& changed);
    // Reads received bytes, which arrived now; nothing while the window is
    // down.
    void feed(const char* bytes, int count);
    // Reads bytes that arrived at `time_ms` on GetTickCount's clock.
    void feed(const char* bytes, int count, uint32_t time_ms);
    // Draws a new frame when samples came since the last, unless paused.
    void refresh();
    // Forgets every sample; the next line plotted is number 1.
    void clear();
    // Writes the kept samples to a CSV file; 1 when it was written whole.
    int save_csv(const wchar_t* path);
    void toggle_pause();
    // destroy(), WindowBase's, destroys the window, which forgets the samples.

    // The messages the window handles, from the framework's table.
    int register_class() override;
    int on_default_message(UINT msg, WPARAM wparam, LPARAM lparam) override;
    int on_create() override;
    void on_close() override;
    void on_destroy() override;
    void on_command(WPARAM wparam, LPARAM lparam) override;
    void on_context_menu(WPARAM wparam, LPARAM lparam) override;
    void on_key_down(WPARAM wparam, LPARAM lparam) override;
    void on_sys_key_down(WPARAM wparam, LPARAM lparam) override;
    void on_sys_key_up(WPARAM wparam, LPARAM lparam) override;
    void on_lbutton_down(WPARAM wparam, LPARAM lparam) override;
    void on_mouse_move(WPARAM wparam, LPARAM lparam) override;
    void on_paint() override;
    void on_size(WPARAM wparam, LPARAM lparam) override;

    PlotSamples samples;
    PlotColumns columns;
    PlotReader reader;
    int paused = 0;
    int fixed_y = 0;  // the Y range is bottom..top rather than fitted
    double bottom = 0;
    double top = 1;
    char range_texts[2][32] = {};  // as typed: bottom, top
    int hover_x = -1;              // the mouse's x over the window, or -1
    int frames = 0;                // frames drawn since shown

private:
    void choose_csv_file();
    void choose_y_range();
    void place_changed();
    void set_scale(UINT new_dpi);
    void on_min_max_info(MINMAXINFO* info);
    void on_dpi_changed(WPARAM wparam, const RECT* suggested);
    void columns_for_width();
    void redraw();
    // Draws the whole picture into `dc` (plot_frame.cpp).
    void draw_frame(HDC dc, int width, int height);
    int draw_legend(HDC dc, int width, int line, int rows);
    void draw_series(HDC dc, const RECT& area, double low, double high);
    void y_range(double range[2], char texts[][sizeof range_texts[0] + 3], int lengths[2]) const;
    static double y_of(double value, const RECT& area, double low, double high);

    PlotSettings* settings_ = nullptr;
    int32_t* changed_ = nullptr;
    RECT last_place_ = {};
    int tracking_ = 0;     // moves are the user's
    int stale_ = 1;        // the frame must be drawn again
    int fresh_ = 0;        // samples came since the last frame
    int area_width_ = 0;   // the width the columns were made for
    HBITMAP frame_ = nullptr;
    HFONT font_ = nullptr;
    HMENU menu_ = nullptr;  // the window's menu
    DWORD csv_error_ = 0;   // why the last CSV file failed
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    int pad_ = 6;           // the margins at dpi_
};
