#pragma once
#include <windows.h>
#include <commctrl.h>
#include "settings/settings_file.h"

// The kinds of stored line text, the byte the line store keeps with each: the
// as-received view's bytes are shown in the system's code page, the other
// views' text is UTF-8, and so are the commands sent and the window's own
// lines.
constexpr char code_page_text = 0;
constexpr char utf8_text = 1;
constexpr char sent_text = 2;
constexpr char marker_text = 3;

// How the received list draws a line it can't draw alone: the colours,
// bold, underline and reverse the device chose (the colour markers of the
// Lines view), a sent command's colour, and the colour of the first
// highlight rule whose text the line contains. Every colour is made
// readable on what lies behind it: the list's own background (also a
// high-contrast theme's), a highlight's tint or a selected row. Lines with
// none of these are left to the list.
class LinePainter {
public:
    explicit LinePainter(const ViewSettings& settings) : settings_(settings) {}
    ~LinePainter();
    LinePainter(const LinePainter&) = delete;
    LinePainter& operator=(const LinePainter&) = delete;

    // Whether any line may need more than the list's own drawing.
    bool active() const;
    // NM_CUSTOMDRAW's item stage for a line of `kind` whose stored text is
    // `text`; the result for the list.
    LRESULT draw_item(NMLVCUSTOMDRAW* draw, const char* text, int length, char kind);

private:
    void draw_line(NMLVCUSTOMDRAW* draw, const char* text, int length, char kind, bool marked,
                   COLORREF ink, COLORREF background);
    // The list's font underlined, made when first needed.
    HFONT underlined(HFONT list_font);
    void forget_font();

    const ViewSettings& settings_;
    HFONT made_from_ = nullptr;  // the list's font the underlined one was made from
    HFONT underlined_ = nullptr;
};
