#pragma once
#include <windows.h>
#include "settings/plot_settings.h"
#include "text/plot_columns.h"
#include "text/plot_reader.h"

// The plot window: an owned top-level window that draws the numbers of the
// received lines, a line a series in its own colour, with a legend of each
// label and its newest value, a Y axis fitted to what is shown or fixed, and
// the sample number along X. Its menu saves the samples as CSV, pauses the
// picture and sets the Y range. Closing it (the close box, Escape) asks its
// owner to hide it with the owner's IDM_PLOT command. Its window procedure
// finds the object in the window's GWLP_USERDATA slot and turns each message
// it handles into one call; a plain procedure rather than the virtual
// dispatch of WindowBase, whose table would cost the program file room.
// There is one, a static object: its own members start zeroed, and show()
// sets those a showing needs, so they have no initializers, which would
// cost the program code that stores each at start.
class PlotWindow {
public:
    PlotWindow() = default;
    PlotWindow(const PlotWindow&) = delete;
    PlotWindow& operator=(const PlotWindow&) = delete;

    // Shows an empty plot keeping `settings.points` samples a series, at
    // `place` (screen pixels) or where Windows puts it; 1 when it is up.
    // Later moves and sizes go into `settings` and set `changed`.
    int show(HWND owner, PlotSettings& settings, const RECT* place, int32_t& changed);
    // Reads received bytes; nothing while the window is down.
    void feed(const char* bytes, int count);
    // Draws a new frame when samples came since the last, unless paused.
    void refresh();
    // Forgets every sample; the next line plotted is number 1.
    void clear();
    // Writes the kept samples to a CSV file; 1 when it was written whole.
    int save_csv(const wchar_t* path);
    void toggle_pause();
    // Takes the Y range typed in the dialog; 0 when a field is invalid.
    int take_y_range(HWND dialog);

    // Destroys the window, which forgets the samples.
    void destroy();
    // The messages the window handles; 0 leaves one to Windows.
    int window_message(UINT msg, WPARAM wparam, LPARAM lparam);
    void on_close();
    void on_destroy();
    void on_command(WPARAM wparam);
    void on_key_down(WPARAM key);
    void on_mouse_move(LPARAM lparam);
    void on_paint();
    void on_size(WPARAM kind);
    void on_min_max_info(MINMAXINFO* info);
    void on_dpi_changed(WPARAM wparam, const RECT* suggested);

    HWND hwnd;

    PlotSamples samples;
    PlotColumns columns;
    PlotReader reader;
    int paused;
    int fixed_y;  // the Y range is bottom..top rather than fitted
    double bottom;
    double top;
    char range_texts[2][32];  // as typed: bottom, top
    int hover_x;              // the mouse's x over the window, or -1
    int frames;               // frames drawn since shown

private:
    void choose_csv_file();
    void choose_y_range();
    void place_changed();
    void set_scale(UINT new_dpi);
    void columns_for_width();
    void redraw();
    // Draws the whole picture into `dc` (plot_frame.cpp).
    void draw_frame(HDC dc, int width, int height);
    int draw_legend(HDC dc, int width, int line);
    void draw_series(HDC dc, const RECT& area, double low, double high);
    static LONG y_of(double value, const RECT& area, double low, double high);

    PlotSettings* settings_;
    int32_t* changed_;
    RECT last_place_;
    int tracking_;    // moves are the user's
    int stale_;       // the frame must be drawn again
    int fresh_;       // samples came since the last frame
    int area_width_;  // the width the columns were made for
    HBITMAP frame_;
    HFONT font_;
    HMENU menu_;      // the window's menu
    DWORD csv_error_; // why the last CSV file failed
    UINT dpi_;
    int pad_;         // the margins at dpi_
};
