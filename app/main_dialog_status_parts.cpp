// The status bar's parts take the width their texts need, and the first (the
// port's state) the rest: the line settings are never cut short because
// other parts, empty most of the time, hold room they don't use.
#include "app/main_dialog.h"
#include <commctrl.h>
#include "framework/dpi.h"

namespace {

constexpr int status_part_count = 5;  // state, line, capture, signals, sending
constexpr int send_part = 4;
int applied_rights[status_part_count];

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

void MainDialog::fit_status_parts()
{
    if (!status_bar)
        return;
    RECT client = {};
    GetClientRect(status_bar, &client);
    UINT dpi = layout_dpi ? layout_dpi : 96;
    HDC dc = GetDC(status_bar);
    HGDIOBJ old_font = SelectObject(
        dc, reinterpret_cast<HGDIOBJ>(SendMessageA(status_bar, WM_GETFONT, 0, 0)));
    int rights[status_part_count];
    int right = client.right;
    for (int part = status_part_count - 1; part > 0; --part) {
        rights[part] = part == status_part_count - 1 ? -1 : right;
        int width = text_width(status_bar, dc, part);
        if (width < 0)
            width = client.right / 3;
        width += scale_to_dpi(width ? 14 : 6, dpi);  // the part's borders and margins
        if (part == send_part && sending_file)
            width += width / 2;  // the progress bar takes a third of the part
        right -= width;
    }
    rights[0] = right > client.right / 4 ? right : client.right / 4;
    SelectObject(dc, old_font);
    ReleaseDC(status_bar, dc);
    bool same = true;
    for (int part = 0; part < status_part_count; ++part)
        same = same && rights[part] == applied_rights[part];
    if (same)
        return;
    CopyMemory(applied_rights, rights, sizeof rights);
    SendMessageA(status_bar, SB_SETPARTS, status_part_count, reinterpret_cast<LPARAM>(rights));
}
