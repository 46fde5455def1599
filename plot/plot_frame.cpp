// Drawing the plot: each frame is drawn into a bitmap kept between paints,
// which then goes to the screen in one piece. A frame costs as much as the
// window is wide: each series is a Polyline through the lowest and highest
// value of every column, cut where it leaves the plot area.
#include <cstdlib>
#include "plot/plot_window.h"
#include "framework/dpi.h"
#include "text/plot_clip.h"
#include "text/plot_number.h"

namespace {

// Sixteen colours told apart easily on white; then the frame's grey.
const COLORREF colours[plot_series_max + 1] = {
    RGB(31, 119, 180), RGB(255, 127, 14), RGB(44, 160, 44),  RGB(214, 39, 40),
    RGB(148, 103, 189), RGB(140, 86, 75), RGB(227, 119, 194), RGB(127, 127, 127),
    RGB(188, 189, 34),  RGB(23, 190, 207), RGB(0, 0, 128),    RGB(128, 0, 0),
    RGB(0, 128, 128),   RGB(255, 0, 255),  RGB(0, 0, 0),      RGB(200, 160, 0),
    RGB(170, 170, 170),
};
constexpr int grey = plot_series_max;
constexpr int black = 14;

// Copies the terminated `text` to `out` with its terminator; returns its
// length.
int copy_text(char* out, const char* text)
{
    int length = 0;
    while ((out[length] = text[length]) != '\0')
        ++length;
    return length;
}

// The size of `text` (`length` characters) in the DC's font.
SIZE text_size(HDC dc, const char* text, int length)
{
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, length, &size);
    return size;
}

// Draws `text` (`length` characters) in colour `colour` at x, y.
void put_text(HDC dc, int x, int y, const char* text, int length, int colour)
{
    SetTextColor(dc, colours[colour]);
    TextOutA(dc, x, y, text, length);
}

// Cuts `text` (`length` characters, with room for 3 more) to `room`
// pixels in the DC's font, ending it with "..." when it is cut; returns its
// new length.
int fit_text(HDC dc, char* text, int length, int room)
{
    if (text_size(dc, text, length).cx <= room)
        return length;
    int fit = 0;
    SIZE size = {};
    int dots = text_size(dc, "...", 3).cx;
    if (room > dots)
        GetTextExtentExPointA(dc, text, length, room - dots, &fit, nullptr, &size);
    copy_text(text + fit, "...");
    return fit + 3;
}

// A piece of a series' line, as PlotClip hands it on, drawn with Polyline.
struct LinePieces {
    HDC dc;
    POINT* points;

    static void draw(void* context, const PlotPixel* pixels, int count)
    {
        auto* pieces = static_cast<LinePieces*>(context);
        for (int i = 0; i < count; ++i)
            pieces->points[i] = POINT{pixels[i].x, pixels[i].y};
        Polyline(pieces->dc, pieces->points, count);
    }
};

}  // namespace

void PlotWindow::on_paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client;
    GetClientRect(hwnd, &client);
    HDC memory = CreateCompatibleDC(dc);
    if (memory && !frame_) {
        frame_ = CreateCompatibleBitmap(dc, client.right, client.bottom);
        stale_ = 1;
    }
    if (memory && frame_) {
        HGDIOBJ old = SelectObject(memory, frame_);
        if (stale_) {
            draw_frame(memory, client.right, client.bottom);
            stale_ = 0;
            ++frames;
        }
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
    }
    if (memory)
        DeleteDC(memory);
    EndPaint(hwnd, &paint);
}

void PlotWindow::draw_frame(HDC dc, int width, int height)
{
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HGDIOBJ old_font = SelectObject(dc, font_);
    int pad = pad_;
    // The height of a line of text (Wine measures an empty text as 0 high).
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    int line = metrics.tmHeight > 0 ? metrics.tmHeight : 1;
    // The plot area keeps room for its two Y labels, and the X labels below
    // it; the legend takes the rows above that are left, at least one.
    int area_bottom = height - line - pad;
    int legend_rows = (area_bottom - 2 * pad - 2 * line - 2 * pad) / line;
    RECT area = {pad, draw_legend(dc, width, line, legend_rows < 1 ? 1 : legend_rows) + pad,
                 pad + area_width_, area_bottom};
    double range[2];
    char texts[2][sizeof range_texts[0] + 3];
    int lengths[2];
    y_range(range, texts, lengths);
    double low = range[0], high = range[1];
    if (area.right > area.left && area.bottom > area.top + 2 * line)
        draw_series(dc, area, low, high);
    // "Paused" in the top right corner, beside the top Y label.
    const char paused_text[] = "Paused";
    const int paused_length = sizeof paused_text - 1;
    int paused_width = paused ? text_size(dc, paused_text, paused_length).cx + pad : 0;
    if (paused) {
        int x = area.right - paused_width;
        put_text(dc, x < area.left ? area.left : x, area.top + pad / 2, paused_text, paused_length,
                 black);
    }
    // The axes' numbers: Y inside the plot's left edge, X below it, each
    // within the plot area's width and the window.
    for (int i = 0; i < 2; ++i) {
        // Kept off the legend when the area is too short for both.
        int y = static_cast<int>(y_of(range[i], area, low, high)) - line / 2;
        y = y > area.bottom - line ? area.bottom - line : y;
        y = y < area.top ? area.top : y;
        int room = area.right - area.left - 2 * pad - (i == 1 ? paused_width : 0);
        lengths[i] = fit_text(dc, texts[i], lengths[i], room);
        put_text(dc, area.left + pad, y, texts[i], lengths[i], grey);
    }
    if (columns.count()) {
        char first[12], last[12];
        int first_length = format_count(columns.first() + 1, first);
        int last_length = format_count(columns.end(), last);
        int first_width = text_size(dc, first, first_length).cx;
        int last_x = area.right - text_size(dc, last, last_length).cx;
        // Where the two would meet, the newest alone.
        if (area.left + first_width + pad <= last_x)
            put_text(dc, area.left, area.bottom, first, first_length, grey);
        put_text(dc, last_x < 0 ? 0 : last_x, area.bottom, last, last_length, grey);
    }
    SelectObject(dc, old_font);
}

// The Y range, bottom then top, and the texts that label it: the range as
// typed when it is fixed, else from the lowest to the highest value shown,
// each labelled with the text of a value that has it (no texts when
// nothing is shown).
void PlotWindow::y_range(double range[2], char texts[][sizeof range_texts[0] + 3], int lengths[2]) const
{
    range[0] = bottom;
    range[1] = top;
    for (int i = 0; i < 2; ++i)
        lengths[i] = copy_text(texts[i], range_texts[i]);
    if (fixed_y)
        return;
    // Where the lowest and the highest value are: series, sample.
    int series[2] = {-1, -1};
    uint32_t at[2] = {};
    range[0] = 3.4e38;
    range[1] = -3.4e38;
    for (int i = 0; i < columns.count(); ++i)
        for (int s = 0; s < samples.series_count; ++s) {
            const PlotSpan& span = columns.span(i, s);
            if (span.low > span.high)
                continue;
            if (span.low < range[0]) {
                range[0] = span.low;
                series[0] = s;
                at[0] = span.low_at;
            }
            if (span.high > range[1]) {
                range[1] = span.high;
                series[1] = s;
                at[1] = span.high_at;
            }
        }
    for (int i = 0; i < 2; ++i) {
        lengths[i] = series[i] >= 0 ? samples.text_of(series[i], at[i], texts[i]) : 0;
        texts[i][lengths[i]] = '\0';
    }
}

// The y of `value` in `area` for the range low..high, which lies inside
// the frame; a range of one value is drawn in the middle. Values beyond the
// range lie beyond the area.
double PlotWindow::y_of(double value, const RECT& area, double low, double high)
{
    return high > low ? area.bottom - 2 - (value - low) * (area.bottom - area.top - 4) / (high - low)
                      : (area.top + area.bottom) / 2;
}

// The legend across the top, in at most `rows` rows: each label and its
// newest value, or with the mouse over the plot the sample there and each
// value in it. A text wider than the window is cut with "...", and texts
// past the last row are left out. Returns where it ends.
int PlotWindow::draw_legend(HDC dc, int width, int line, int rows)
{
    int pad = pad_;
    int x = pad, y = pad;
    char text[plot_label_max + plot_text_max + 12];
    uint32_t hovered = 0;
    int hovering = hover_x >= 0 && columns.count() > 0;
    if (hovering) {
        int i = 0;
        if (columns.count() > 1 && area_width_ > 1) {
            i = ((hover_x - pad) * (columns.count() - 1) + area_width_ / 2) / (area_width_ - 1);
            i = i < 0 ? 0 : i < columns.count() ? i : columns.count() - 1;
        }
        hovered = columns.last_sample(i);
    }
    // The hovered sample's number first, in a colour of its own.
    for (int s = hovering ? -1 : 0; s < samples.series_count; ++s) {
        int length;
        if (s < 0) {
            length = copy_text(text, "sample ");
            length += format_count(hovered + 1, text + length);
        } else {
            length = copy_text(text, samples.labels[s]);
            text[length++] = ' ';
            if (!hovering)
                length += copy_text(text + length, samples.newest[s]);
            else
                length += samples.text_of(s, hovered, text + length);
        }
        length = fit_text(dc, text, length, width - 2 * pad);
        SIZE size = text_size(dc, text, length);
        if (x > pad && x + size.cx > width - pad) {
            if (y + line >= pad + rows * line)
                break;
            x = pad;
            y += line;
        }
        put_text(dc, x, y, text, length, s < 0 ? plot_series_max - 2 : s);
        x += size.cx + 2 * pad;
    }
    return y + line;
}

// The frame, then each series' line through the lowest and highest value
// of each column, broken where a column has no value of it, and cut where
// it leaves the area (a fixed range narrower than the values).
void PlotWindow::draw_series(HDC dc, const RECT& area, double low, double high)
{
    int count = columns.count();
    size_t room = static_cast<size_t>(count) * 2 + 5;
    auto* pixels = static_cast<PlotPixel*>(malloc(room * sizeof(PlotPixel)));
    auto* points = static_cast<POINT*>(malloc(room * sizeof(POINT)));
    LinePieces pieces = {dc, points};
    int span_x = area.right - area.left - 3;
    for (int s = -1; pixels && points && s < samples.series_count; ++s) {
        HPEN pen = CreatePen(PS_SOLID, scale_to_dpi(1, dpi_), colours[s < 0 ? grey : s]);
        HGDIOBJ old = SelectObject(dc, pen);
        if (s < 0) {
            const POINT corners[5] = {{area.left, area.top}, {area.right, area.top},
                                      {area.right, area.bottom}, {area.left, area.bottom},
                                      {area.left, area.top}};
            Polyline(dc, corners, 5);
        } else {
            PlotClip clip(area.top + 1, area.bottom - 2, pixels, LinePieces::draw, &pieces);
            for (int i = 0; i < count; ++i) {
                const PlotSpan& span = columns.span(i, s);
                if (span.low > span.high) {
                    clip.end();
                    continue;
                }
                LONG x = area.left + 1 + (count > 1 ? MulDiv(i, span_x, count - 1) : 0);
                clip.to(x, y_of(span.high, area, low, high));
                clip.to(x, y_of(span.low, area, low, high));
            }
            clip.end();
        }
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    free(points);
    free(pixels);
}
