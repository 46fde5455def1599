// Drawing the plot: each frame is drawn into a bitmap kept between paints,
// which then goes to the screen in one piece. A frame costs as much as the
// window is wide: each series is one Polyline through the lowest and
// highest value of every column.
#include <cstdlib>
#include "plot/plot_window.h"
#include "framework/dpi.h"
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
    int line = text_size(dc, "", 0).cy;
    RECT area = {pad, draw_legend(dc, width, line) + pad, pad + area_width_,
                 height - line - pad};
    // The Y range: fixed, or from the lowest to the highest value shown,
    // each labelled with the text of a value that has it.
    double low = bottom, high = top;
    char texts[2][sizeof range_texts[0]];
    int lengths[2] = {copy_text(texts[0], range_texts[0]), copy_text(texts[1], range_texts[1])};
    if (!fixed_y) {
        // Where the lowest and the highest value are: series, sample.
        int series[2] = {-1, -1};
        uint32_t at[2] = {};
        low = 3.4e38;
        high = -3.4e38;
        for (int i = 0; i < columns.count(); ++i)
            for (int s = 0; s < samples.series_count; ++s) {
                const PlotSpan& span = columns.span(i, s);
                if (span.low > span.high)
                    continue;
                if (span.low < low) {
                    low = span.low;
                    series[0] = s;
                    at[0] = span.low_at;
                }
                if (span.high > high) {
                    high = span.high;
                    series[1] = s;
                    at[1] = span.high_at;
                }
            }
        for (int i = 0; i < 2; ++i)
            lengths[i] = series[i] >= 0 ? samples.text_of(series[i], at[i], texts[i]) : 0;
    }
    if (area.right > area.left && area.bottom > area.top + 2 * line)
        draw_series(dc, area, low, high);
    // The axes' numbers: Y inside the plot's left edge, X below it.
    double values[2] = {low, high};
    for (int i = 0; i < 2; ++i) {
        int y = y_of(values[i], area, low, high) - line / 2;
        y = y < area.top ? area.top : y > area.bottom - line ? area.bottom - line : y;
        put_text(dc, area.left + pad, y, texts[i], lengths[i], grey);
    }
    if (columns.count()) {
        char text[12];
        put_text(dc, area.left, area.bottom, text, format_count(columns.first() + 1, text), grey);
        int length = format_count(columns.end(), text);
        put_text(dc, area.right - text_size(dc, text, length).cx, area.bottom, text, length, grey);
    }
    SelectObject(dc, old_font);
}

// The y of `value` in `area` for the range low..high, inside the frame; a
// range of one value is drawn in the middle.
LONG PlotWindow::y_of(double value, const RECT& area, double low, double high)
{
    double y = high > low ? area.bottom - 2 - (value - low) * (area.bottom - area.top - 4) / (high - low)
                          : (area.top + area.bottom) / 2;
    return static_cast<LONG>(y < area.top + 1 ? area.top + 1 : y > area.bottom - 2 ? area.bottom - 2 : y);
}

// The legend across the top: each label and its newest value, or with the
// mouse over the plot the sample there and each value in it. Returns where
// it ends.
int PlotWindow::draw_legend(HDC dc, int width, int line)
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
        SIZE size = text_size(dc, text, length);
        if (x > pad && x + size.cx > width - pad) {
            x = pad;
            y += line;
        }
        put_text(dc, x, y, text, length, s < 0 ? plot_series_max - 2 : s);
        x += size.cx + 2 * pad;
    }
    return y + line;
}

// The frame, then one Polyline a series through the lowest and highest
// value of each column, broken where a column has no value of it.
void PlotWindow::draw_series(HDC dc, const RECT& area, double low, double high)
{
    int count = columns.count();
    POINT* points = static_cast<POINT*>(malloc((static_cast<size_t>(count) * 2 + 5) * sizeof(POINT)));
    if (!points)
        return;
    int span_x = area.right - area.left - 3;
    for (int s = -1; s < samples.series_count; ++s) {
        HPEN pen = CreatePen(PS_SOLID, scale_to_dpi(1, dpi_), colours[s < 0 ? grey : s]);
        HGDIOBJ old = SelectObject(dc, pen);
        int used = 0;
        if (s < 0) {
            const POINT corners[5] = {{area.left, area.top}, {area.right, area.top},
                                      {area.right, area.bottom}, {area.left, area.bottom},
                                      {area.left, area.top}};
            Polyline(dc, corners, 5);
        } else {
            for (int i = 0; i <= count; ++i) {
                const PlotSpan* span = i < count ? &columns.span(i, s) : nullptr;
                if (span && span->low <= span->high) {
                    LONG x = area.left + 1 + (count > 1 ? MulDiv(i, span_x, count - 1) : 0);
                    points[used++] = POINT{x, y_of(span->high, area, low, high)};
                    points[used++] = POINT{x, y_of(span->low, area, low, high)};
                    continue;
                }
                // A lone point gets a pixel of its own to show.
                if (used == 2 && points[0].y == points[1].y)
                    ++points[1].x;
                if (used)
                    Polyline(dc, points, used);
                used = 0;
            }
        }
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    free(points);
}
