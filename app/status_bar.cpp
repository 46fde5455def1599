#include "app/status_bar.h"
#include <commctrl.h>
#include <cstring>
#include "framework/dpi.h"
#include "text/status_fit.h"

namespace {

// Leading tabs only align the text.
int measure_text(const wchar_t* text, int length, void* context)
{
    for (; length > 0 && *text == L'\t'; --length)
        ++text;
    SIZE size = {};
    GetTextExtentPoint32W(static_cast<HDC>(context), text, length, &size);
    return size.cx;
}

}  // namespace

void StatusBar::create(HWND parent, int id)
{
    bar_ = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", parent, id);
    memset(rights_, 0, sizeof rights_);
    for (int part = 0; part < status_part_count; ++part)
        texts_[part][0] = fits_[part].shown[0] = L'\0';
}

void StatusBar::set_text(int part, const wchar_t* text)
{
    if (!bar_ || part < 0 || part >= status_part_count)
        return;
    if (part == status_state)
        noting_ = false;
    if (lstrcmpW(texts_[part], text) == 0 && shows(part, fits_[part].shown))
        return;
    lstrcpynW(texts_[part], text, status_fit_text_max);
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
    if (!noting_)
        lstrcpynW(state_, texts_[status_state], status_fit_text_max);
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

// What a part yields when the bar is too narrow, and in which turn: the
// state never, nor a send under way (it has the progress bar).
void StatusBar::fit_parts()
{
    static const int turns[status_part_count] = {0, 4, 1, 3, 2};
    RECT client = {};
    GetClientRect(bar_, &client);
    StatusPartFit* parts = fits_;
    for (int part = 0; part < status_part_count; ++part) {
        parts[part].text = texts_[part];
        parts[part].margin = scale_to_dpi(texts_[part][0] ? 14 : 6, dpi_);
        parts[part].progress = part == status_send && progress_room_;
        parts[part].yields = parts[part].progress ? 0 : turns[part];
    }
    HDC dc = GetDC(bar_);
    HGDIOBJ old_font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(bar_, WM_GETFONT, 0, 0)));
    fit_status_parts(parts, status_part_count, client.right, measure_text, dc);
    SelectObject(dc, old_font);
    ReleaseDC(bar_, dc);
    int rights[status_part_count];
    int right = 0;
    for (int part = 0; part < status_part_count; ++part)
        rights[part] = right += parts[part].width;
    rights[status_send] = -1;
    if (memcmp(rights, rights_, sizeof rights) != 0) {
        memcpy(rights_, rights, sizeof rights);
        SendMessageA(bar_, SB_SETPARTS, status_part_count, reinterpret_cast<LPARAM>(rights));
    }
    for (int part = 0; part < status_part_count; ++part)
        if (!shows(part, parts[part].shown))
            SendMessageW(bar_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(parts[part].shown));
}

bool StatusBar::shows(int part, const wchar_t* text) const
{
    wchar_t shown[status_fit_text_max + 1];
    int length = LOWORD(SendMessageW(bar_, SB_GETTEXTLENGTHW, part, 0));
    if (length > status_fit_text_max)
        return false;
    SendMessageW(bar_, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(shown));
    return lstrcmpW(shown, text) == 0;
}
