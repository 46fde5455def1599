#include "app/line_painter.h"
#include <cstring>
#include "framework/dpi.h"
#include "text/ansi_text.h"
#include "text/line_search.h"
#include "text/receive_view.h"

namespace {

// The highlight colours, light enough for dark text, in the order of
// highlight_colour_names.
const COLORREF highlight_colours[highlight_colour_count] = {
    RGB(255, 200, 200), RGB(255, 222, 173), RGB(255, 255, 160), RGB(196, 255, 196),
    RGB(190, 250, 255), RGB(200, 215, 255), RGB(232, 204, 255), RGB(220, 220, 220)};
const COLORREF sent_colour = RGB(0, 64, 208);
const COLORREF marker_colour = RGB(128, 128, 128);

COLORREF run_colour(uint32_t colour, COLORREF fallback)
{
    return colour == colour_default ? fallback : static_cast<COLORREF>(colour);
}

}  // namespace

bool LinePainter::active() const
{
    if (!settings_.colours_off || settings_.show_sent)
        return true;
    for (const HighlightRule& rule : settings_.highlights)
        if (rule.text[0])
            return true;
    return false;
}

// Plain lines of their own colour take the list's drawing with that colour;
// coloured ones are drawn here.
LRESULT LinePainter::draw_item(NMLVCUSTOMDRAW* draw, const char* text, int length, char kind) const
{
    COLORREF background = CLR_NONE;
    for (const HighlightRule& rule : settings_.highlights)
        if (rule.text[0] && contains(text, length, rule.text, lstrlenA(rule.text), false)) {
            background = highlight_colours[rule.colour & (highlight_colour_count - 1)];
            break;
        }
    if (kind == utf8_text && !settings_.colours_off && memchr(text, 0x1B, static_cast<size_t>(length))) {
        draw_runs(draw, text, length, background);
        return CDRF_SKIPDEFAULT;
    }
    bool coloured = false;
    if (kind == sent_text || kind == marker_text) {
        draw->clrText = kind == sent_text ? sent_colour : marker_colour;
        coloured = true;
    }
    if (background != CLR_NONE) {
        draw->clrTextBk = background;
        coloured = true;
    }
    return coloured ? CDRF_NEWFONT : CDRF_DODEFAULT;
}

// The whole row on the line's background (the selection's when selected),
// then the text run by run, each in its colours. The text starts where the
// list puts its own.
void LinePainter::draw_runs(NMLVCUSTOMDRAW* draw, const char* text, int length,
                            COLORREF background) const
{
    HWND list = draw->nmcd.hdr.hwndFrom;
    HDC dc = draw->nmcd.hdc;
    int index = static_cast<int>(draw->nmcd.dwItemSpec);
    bool selected = SendMessageW(list, LVM_GETITEMSTATE, index, LVIS_SELECTED) != 0;
    RECT row = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row));
    COLORREF fill = selected ? GetSysColor(COLOR_HIGHLIGHT)
                             : background != CLR_NONE ? background : GetSysColor(COLOR_WINDOW);
    COLORREF ink = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    SetBkColor(dc, fill);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);

    char visible[receive_line_text_size];
    if (length > static_cast<int>(sizeof visible))
        length = sizeof visible;
    strip_colour_codes(text, length, visible);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    int x = row.left + MulDiv(6, static_cast<int>(window_dpi(list)), 96);
    int y = row.top + (row.bottom - row.top - metrics.tmHeight) / 2;
    ColourRuns runs(text, length);
    for (ColourRun run; runs.next(run) && x < row.right;) {
        wchar_t wide[receive_line_text_size];
        int count = MultiByteToWideChar(CP_UTF8, 0, visible + run.start, run.length, wide,
                                        receive_line_text_size);
        if (count <= 0)
            continue;
        SIZE size = {};
        GetTextExtentPoint32W(dc, wide, count, &size);
        RECT piece = {x, row.top, x + size.cx < row.right ? x + size.cx : row.right, row.bottom};
        SetTextColor(dc, run_colour(run.foreground, ink));
        SetBkColor(dc, run_colour(run.background, fill));
        ExtTextOutW(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &piece, wide, static_cast<UINT>(count), nullptr);
        x += size.cx;
    }
}
