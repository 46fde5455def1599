#include "app/status_bar.h"
#include <commctrl.h>
#include <cstring>
#include "framework/dpi.h"

namespace {

// The width part `part`'s text takes in the bar's font, or -1 when it is
// longer than any text the program shows there.
int text_width(HWND bar, HDC dc, int part)
{
    wchar_t text[MAX_PATH + 80];
    int length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0));
    if (length >= static_cast<int>(sizeof text / sizeof text[0]))
        return -1;
    SIZE size = {};
    if (length > 0) {
        SendMessageW(bar, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
        GetTextExtentPoint32W(dc, text, length, &size);
    }
    return size.cx;
}

}  // namespace

void StatusBar::create(HWND parent, int id)
{
    bar_ = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", parent, id);
}

void StatusBar::set_text(int part, const wchar_t* text)
{
    if (!bar_)
        return;
    if (part == status_state)
        noting_ = false;
    wchar_t shown[MAX_PATH + 80];
    int length = LOWORD(SendMessageW(bar_, SB_GETTEXTLENGTHW, part, 0));
    if (length < static_cast<int>(sizeof shown / sizeof shown[0])) {
        SendMessageW(bar_, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(shown));
        if (lstrcmpW(shown, text) == 0)
            return;
    }
    SendMessageW(bar_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text));
    fit_parts();
}

void StatusBar::set_text(int part, const char* text)
{
    wchar_t wide[MAX_PATH + 80];
    int got = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH + 80);
    if (got <= 0)
        wide[0] = L'\0';
    wide[MAX_PATH + 79] = L'\0';
    set_text(part, wide);
}

void StatusBar::show_note(const wchar_t* text)
{
    if (!bar_)
        return;
    if (!noting_) {
        int length = LOWORD(SendMessageW(bar_, SB_GETTEXTLENGTHW, status_state, 0));
        state_[0] = L'\0';
        if (length < static_cast<int>(sizeof state_ / sizeof state_[0]))
            SendMessageW(bar_, SB_GETTEXTW, status_state, reinterpret_cast<LPARAM>(state_));
    }
    set_text(status_state, text);
    noting_ = true;
}

void StatusBar::end_note()
{
    if (noting_)
        set_text(status_state, state_);
}

void StatusBar::set_progress_room(bool on)
{
    if (progress_room_ == on)
        return;
    progress_room_ = on;
    fit_parts();
}

void StatusBar::fit(UINT dpi)
{
    if (!bar_)
        return;
    dpi_ = dpi ? dpi : 96;
    SendMessageA(bar_, WM_SIZE, 0, 0);
    fit_parts();
}

RECT StatusBar::part_rect(int part) const
{
    RECT rect = {};
    SendMessageA(bar_, SB_GETRECT, part, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

// The line, capture and signal parts keep their whole texts; the state part
// takes the room that is left, and when there is too little for all, the
// send part (the last, which runs to the edge) is cut first.
void StatusBar::fit_parts()
{
    RECT client = {};
    GetClientRect(bar_, &client);
    HDC dc = GetDC(bar_);
    HGDIOBJ old_font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(bar_, WM_GETFONT, 0, 0)));
    int widths[status_part_count];
    for (int part = 0; part < status_part_count; ++part) {
        int width = text_width(bar_, dc, part);
        if (width < 0)
            width = client.right / 3;
        width += scale_to_dpi(width ? 14 : 6, dpi_);  // the part's borders and margins
        if (part == status_send && progress_room_)
            width += width / 2;  // the progress bar takes a third of the part
        widths[part] = width;
    }
    SelectObject(dc, old_font);
    ReleaseDC(bar_, dc);
    int kept = widths[status_line] + widths[status_capture] + widths[status_signals];
    int state = client.right - kept - widths[status_send];
    if (state < widths[status_state])
        state = client.right - kept < widths[status_state] ? client.right - kept : widths[status_state];
    if (state < 0)
        state = 0;
    int rights[status_part_count];
    rights[status_state] = state;
    for (int part = status_line; part < status_send; ++part)
        rights[part] = rights[part - 1] + widths[part];
    rights[status_send] = -1;
    if (memcmp(rights, rights_, sizeof rights) == 0)
        return;
    memcpy(rights_, rights, sizeof rights);
    SendMessageA(bar_, SB_SETPARTS, status_part_count, reinterpret_cast<LPARAM>(rights));
}
