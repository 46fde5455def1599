// Drawing the plot: each frame is drawn into a bitmap kept between paints,
// which then goes to the screen in one piece. A frame costs as much as the
// window is wide: each series is one Polyline through the lowest and
// highest value of every column.
#include <cstdlib>
#include "plot/plot_window.h"
#include "framework/dpi.h"
#include "text/plot_number.h"

namespace {

// Sixteen colours told apart easily on white.
const COLORREF series_colours[plot_series_max] = {
    RGB(31, 119, 180), RGB(255, 127, 14), RGB(44, 160, 44),  RGB(214, 39, 40),
    RGB(148, 103, 189), RGB(140, 86, 75), RGB(227, 119, 194), RGB(127, 127, 127),
    RGB(188, 189, 34),  RGB(23, 190, 207), RGB(0, 0, 128),    RGB(128, 0, 0),
    RGB(0, 128, 128),   RGB(255, 0, 255),  RGB(0, 0, 0),      RGB(200, 160, 0),
};

// Draws `text` (`length` characters) at x, y in `colour`; returns its width.
int put_text(HDC dc, int x, int y, const char* text, int length, COLORREF colour)
{
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text, length);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, length, &size);
    return size.cx;
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
    SetBkColor(dc, RGB(255, 255, 255));
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    int line = metrics.tmHeight;
    int pad = scale_to_dpi(6, dpi_);
    RECT area = {pad, draw_legend(dc, width, line) + pad, pad + area_width_,
                 height - line - 2 * pad};
    // The Y range: fixed, or the values shown with a little room.
    double low = bottom, high = top;
    if (!fixed_y) {
        low = 3.4e38;
        high = -3.4e38;
        for (int i = 0; i < columns.count(); ++i)
            for (int s = 0; s < samples.series_count; ++s) {
                const PlotSpan& span = columns.span(i, s);
                if (span.low <= span.high) {
                    low = span.low < low ? span.low : low;
                    high = span.high > high ? span.high : high;
                }
            }
        if (low > high)
            low = 0, high = 1;
        double room = high > low ? (high - low) / 25 : low ? (low < 0 ? -low : low) / 10 : 1;
        low -= room;
        high += room;
    }
    FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    if (area.right > area.left && area.bottom > area.top)
        draw_series(dc, area, low, high);
    // The axes' numbers: Y inside the plot's left edge, X below it.
    char text[24];
    SetBkMode(dc, OPAQUE);
    COLORREF grey = RGB(96, 96, 96);
    put_text(dc, area.left + pad, area.top + 1, text, format_axis_number(high, text), grey);
    put_text(dc, area.left + pad, area.bottom - line - 1, text, format_axis_number(low, text), grey);
    if (columns.count()) {
        put_text(dc, area.left, area.bottom + pad / 2, text, format_count(columns.first() + 1, text),
                 grey);
        SetTextAlign(dc, TA_RIGHT);
        put_text(dc, area.right, area.bottom + pad / 2, text, format_count(columns.end(), text),
                 grey);
        SetTextAlign(dc, TA_LEFT);
    }
    SelectObject(dc, old_font);
}

// The legend across the top: each label and its newest value, or with the
// mouse over the plot the sample there and each value in it. Returns where
// it ends.
int PlotWindow::draw_legend(HDC dc, int width, int line)
{
    int pad = scale_to_dpi(6, dpi_);
    int x = pad, y = pad;
    SetBkMode(dc, TRANSPARENT);
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
        lstrcpyA(text, "sample ");
        int length = 7 + format_count(hovered + 1, text + 7);
        x += put_text(dc, x, y, text, length, RGB(0, 0, 0)) + 2 * pad;
    }
    for (int s = 0; s < samples.series_count; ++s) {
        int length = lstrlenA(samples.labels[s]);
        lstrcpyA(text, samples.labels[s]);
        text[length++] = ' ';
        if (!hovering)
            length += lstrlenA(lstrcpyA(text + length, samples.newest[s]));
        else if (hovered >= samples.first())
            length += PlotSamples::point_text(samples.point(s, hovered), text + length);
        SIZE size = {};
        GetTextExtentPoint32A(dc, text, length, &size);
        if (x > pad && x + size.cx > width - pad) {
            x = pad;
            y += line;
        }
        x += put_text(dc, x, y, text, length, series_colours[s]) + 2 * pad;
    }
    return y + line;
}

// One Polyline a series through the lowest and highest value of each
// column, broken where a column has no value of it.
void PlotWindow::draw_series(HDC dc, const RECT& area, double low, double high)
{
    int count = columns.count();
    POINT* points = static_cast<POINT*>(malloc(static_cast<size_t>(count) * 2 * sizeof(POINT) + 1));
    if (!points)
        return;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, area.left + 1, area.top + 1, area.right - 1, area.bottom - 1);
    double scale = (area.bottom - area.top - 3) / (high - low);
    auto y_of = [&](float value) {
        double y = area.bottom - 2 - (value - low) * scale;
        return static_cast<LONG>(y < -30000 ? -30000 : y > 30000 ? 30000 : y);
    };
    int span_x = area.right - area.left - 3;
    for (int s = 0; s < samples.series_count; ++s) {
        HPEN pen = CreatePen(PS_SOLID, scale_to_dpi(1, dpi_), series_colours[s]);
        HGDIOBJ old = SelectObject(dc, pen);
        int used = 0;
        for (int i = 0; i <= count; ++i) {
            const PlotSpan* span = i < count ? &columns.span(i, s) : nullptr;
            if (span && span->low <= span->high) {
                LONG x = area.left + 1 + (count > 1 ? MulDiv(i, span_x, count - 1) : 0);
                points[used++] = POINT{x, y_of(span->high)};
                points[used++] = POINT{x, y_of(span->low)};
                continue;
            }
            // A lone point gets a pixel of its own to show.
            if (used == 2 && points[0].y == points[1].y)
                ++points[1].x;
            if (used)
                Polyline(dc, points, used);
            used = 0;
        }
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    if (hover_x >= area.left && hover_x < area.right) {
        HGDIOBJ old = SelectObject(dc, GetStockObject(DC_PEN));
        SetDCPenColor(dc, RGB(160, 160, 160));
        MoveToEx(dc, hover_x, area.top, nullptr);
        LineTo(dc, hover_x, area.bottom);
        SelectObject(dc, old);
    }
    RestoreDC(dc, saved);
    free(points);
}
