#include "app/line_painter.h"
#include <cstring>
#include "text/ansi_text.h"
#include "text/line_search.h"
#include "text/readable_colour.h"
#include "text/receive_view.h"

namespace {

// The highlight colours, light enough for dark text, in the order of
// highlight_colour_names.
const COLORREF highlight_colours[highlight_colour_count] = {
    RGB(255, 200, 200), RGB(255, 222, 173), RGB(255, 255, 160), RGB(196, 255, 196),
    RGB(190, 250, 255), RGB(200, 215, 255), RGB(232, 204, 255), RGB(220, 220, 220)};
const COLORREF sent_colour = RGB(0, 64, 208);
const COLORREF marker_colour = RGB(128, 128, 128);

// Where the list puts a line's text, right of the start of its label: the
// list view's own margin, the same in pixels at every scale.
const int list_text_inset = 5;

// The list's own background and text colours.
COLORREF list_colour(HWND list, UINT message, int system_colour)
{
    COLORREF colour = static_cast<COLORREF>(SendMessageW(list, message, 0, 0));
    return colour == CLR_NONE || colour == CLR_DEFAULT ? GetSysColor(system_colour) : colour;
}

}  // namespace

LinePainter::~LinePainter()
{
    forget_font();
}

void LinePainter::forget_font()
{
    if (underlined_)
        DeleteObject(underlined_);
    underlined_ = nullptr;
    made_from_ = nullptr;
}

HFONT LinePainter::underlined(HFONT list_font)
{
    if (list_font != made_from_) {
        forget_font();
        made_from_ = list_font;
        LOGFONTW shape = {};
        if (list_font && GetObjectW(list_font, sizeof shape, &shape)) {
            shape.lfUnderline = TRUE;
            underlined_ = CreateFontIndirectW(&shape);
        }
    }
    return underlined_ ? underlined_ : list_font;
}

bool LinePainter::active() const
{
    if (!settings_.colours_off || settings_.show_sent)
        return true;
    for (const HighlightRule& rule : settings_.highlights)
        if (rule.text[0])
            return true;
    return false;
}

// Plain lines are the list's to draw; any line with a colour of its own is
// drawn here.
LRESULT LinePainter::draw_item(NMLVCUSTOMDRAW* draw, const char* text, int length, char kind)
{
    COLORREF background = CLR_NONE;
    for (const HighlightRule& rule : settings_.highlights)
        if (rule.text[0] && contains(text, length, rule.text, lstrlenA(rule.text), false)) {
            background = highlight_colours[rule.colour & (highlight_colour_count - 1)];
            break;
        }
    COLORREF ink = kind == sent_text ? sent_colour : kind == marker_text ? marker_colour : CLR_NONE;
    bool marked = kind == utf8_text && !settings_.colours_off &&
                  memchr(text, 0x1B, static_cast<size_t>(length > 0 ? length : 0));
    if (!marked && ink == CLR_NONE && background == CLR_NONE)
        return CDRF_DODEFAULT;
    draw_line(draw, text, length, kind, marked, ink, background);
    return CDRF_SKIPDEFAULT;
}

// The whole row on the line's background (the selection's when selected),
// then the text run by run, each in its colours and font, where the list
// puts its own text. Without `marked` the text is one run in the line's
// colours.
void LinePainter::draw_line(NMLVCUSTOMDRAW* draw, const char* text, int length, char kind,
                            bool marked, COLORREF ink, COLORREF background)
{
    HWND list = draw->nmcd.hdr.hwndFrom;
    HDC dc = draw->nmcd.hdc;
    int index = static_cast<int>(draw->nmcd.dwItemSpec);
    bool selected = SendMessageW(list, LVM_GETITEMSTATE, index, LVIS_SELECTED) != 0;
    RECT row = {LVIR_BOUNDS, 0, 0, 0}, label = {LVIR_LABEL, 0, 0, 0};
    SendMessageW(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row));
    SendMessageW(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&label));
    COLORREF fill = selected                 ? GetSysColor(COLOR_HIGHLIGHT)
                    : background != CLR_NONE ? background
                                             : list_colour(list, LVM_GETBKCOLOR, COLOR_WINDOW);
    COLORREF row_ink = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                : list_colour(list, LVM_GETTEXTCOLOR, COLOR_WINDOWTEXT);
    SetBkColor(dc, fill);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);

    // The text as the list gives it: the markers taken out (the as-received
    // view's bytes are shown as they are).
    char visible[receive_line_text_size];
    if (length > static_cast<int>(sizeof visible))
        length = sizeof visible;
    int shown = length;
    if (kind == code_page_text)
        memcpy(visible, text, static_cast<size_t>(length));
    else
        shown = strip_colour_codes(text, length, visible);
    HFONT list_font = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    int x = label.left + list_text_inset;
    int y = row.top + (row.bottom - row.top - metrics.tmHeight) / 2;
    UINT code_page = kind == code_page_text ? CP_ACP : CP_UTF8;
    ColourRuns runs(text, length);
    ColourRun run = {0, shown, colour_default, colour_default, false, false, false};
    for (bool more = marked ? runs.next(run) : true; more && x < row.right;
         more = marked && runs.next(run)) {
        wchar_t wide[receive_line_text_size];
        int count = MultiByteToWideChar(code_page, 0, visible + run.start, run.length, wide,
                                        receive_line_text_size);
        if (count <= 0)
            continue;
        RunColours colours = run_colours(run, ink != CLR_NONE ? ink : row_ink, fill, selected);
        HGDIOBJ before = SelectObject(dc, run.underline ? underlined(list_font) : list_font);
        SIZE size = {};
        GetTextExtentPoint32W(dc, wide, count, &size);
        RECT piece = {x, row.top, x + size.cx < row.right ? x + size.cx : row.right, row.bottom};
        SetTextColor(dc, colours.text);
        SetBkColor(dc, colours.back);
        ExtTextOutW(dc, x, y, ETO_CLIPPED | ETO_OPAQUE, &piece, wide, static_cast<UINT>(count), nullptr);
        // Bold is the same text again a pixel to the right, as terminals
        // draw it: the list's face may have no bold form, and the text keeps
        // its width.
        if (run.bold) {
            int mode = SetBkMode(dc, TRANSPARENT);
            ExtTextOutW(dc, x + 1, y, ETO_CLIPPED, &piece, wide, static_cast<UINT>(count), nullptr);
            SetBkMode(dc, mode);
        }
        SelectObject(dc, before);
        x += size.cx;
    }
}
