// The list of received lines: a list view that asks for each line's text as
// it draws it, over the program's own store of lines. Lines are added in
// batches, the oldest dropped past MaxLines at no cost, and the view kept on
// the newest line only while the user wants it there.
#include "app/main_dialog.h"
#include <commctrl.h>
#include "app/program_objects.h"
#include "resources/resource_ids.h"

LineStore received_lines;

namespace {

// The two kinds of stored text: the as-received view's bytes are shown in
// the system's code page, the other views' text is UTF-8.
constexpr char code_page_text = 0;
constexpr char utf8_text = 1;

HWND received_list(HWND dialog)
{
    return GetDlgItem(dialog, IDC_RECEIVED_LIST);
}

void set_state(HWND list, int index, UINT state, UINT mask)
{
    LVITEMA item = {};
    item.state = state;
    item.stateMask = mask;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int next_selected(HWND list, int after)
{
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after),
                                         MAKELPARAM(LVNI_SELECTED, 0)));
}

// The selection stays on the same lines when `dropped` lines went from the
// front: each selected line moves up by that many (lines visited in order,
// so a moved one is never visited again), and the focused one stays in view.
void keep_held_lines(HWND list, int dropped)
{
    for (int i = next_selected(list, -1); i >= 0; i = next_selected(list, i)) {
        set_state(list, i, 0, LVIS_SELECTED);
        if (i >= dropped)
            set_state(list, i - dropped, LVIS_SELECTED, LVIS_SELECTED);
    }
    int focused = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                MAKELPARAM(LVNI_FOCUSED, 0))) - dropped;
    SendMessageA(list, LVM_SETITEMCOUNT, received_lines.count(), LVSICF_NOSCROLL);
    if (focused >= 0) {
        set_state(list, focused, LVIS_FOCUSED, LVIS_FOCUSED);
        SendMessageA(list, LVM_ENSUREVISIBLE, focused, FALSE);
    }
}

}  // namespace

// One column the list's width, no header, text asked for as UTF-16; a line
// is selected and shown selected across the whole row, as in a plain list.
void MainDialog::attach_received_list()
{
    HWND list = received_list(hwnd);
    received_lines.clear();
    SendMessageA(list, CCM_SETUNICODEFORMAT, TRUE, 0);
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    LVCOLUMNA column = {};
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

// The column fills the list but for a vertical scroll bar's room (which the
// client area may or may not include yet), so that lines are cut at the
// edge as in a plain list rather than scrolled sideways.
void MainDialog::fit_received_column()
{
    HWND list = received_list(hwnd);
    RECT client = {};
    GetClientRect(list, &client);
    int width = client.right - GetSystemMetrics(SM_CXVSCROLL);
    SendMessageA(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(width > 0 ? width : 0, 0));
}

// Line `index` as the list shows it, cut to `room` - 1 characters and ended
// with a NUL; returns its length. A line's UTF-16 text is never longer than
// its bytes, so cutting the bytes cuts the text (a UTF-8 sequence cut in two
// shows as one replacement character at the end).
int received_line_text(int index, wchar_t* out, int room)
{
    if (room <= 0)
        return 0;
    char bytes[receive_line_text_size];
    int length = received_lines.copy(index, bytes, room - 1 < static_cast<int>(sizeof bytes)
                                                       ? room - 1 : static_cast<int>(sizeof bytes));
    int got = length > 0 ? MultiByteToWideChar(received_lines.kind(index) == utf8_text ? CP_UTF8
                                                                                    : CP_ACP,
                                               0, bytes, length, out, room - 1)
                         : 0;
    out[got] = L'\0';
    return got;
}

// The list asks for a line's text when it draws it or is asked for it (also
// from another process or a screen reader); Ctrl+C copies.
LRESULT MainDialog::on_notify(WPARAM, LPARAM lparam)
{
    // Only the list sends these two.
    auto* header = reinterpret_cast<NMHDR*>(lparam);
    if (header->code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lparam)->item;
        if ((item.mask & LVIF_TEXT) && item.pszText)
            received_line_text(item.iItem, item.pszText, item.cchTextMax);
    } else if (header->code == LVN_KEYDOWN &&
               reinterpret_cast<NMLVKEYDOWN*>(lparam)->wVKey == 'C' && GetKeyState(VK_CONTROL) < 0) {
        copy_selected_lines();
    }
    return 0;
}

void MainDialog::begin_received_lines()
{
    HWND list = received_list(hwnd);
    int count = received_lines.count();
    // An older line selected, and the newest not, holds the view still.
    lines_selected = static_cast<int>(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0));
    follow_newest = count <= 0 || lines_selected <= 0 ||
                    SendMessageA(list, LVM_GETITEMSTATE, count - 1, LVIS_SELECTED) != 0;
    listed_lines = count;
    lines_added = lines_dropped = 0;
}

// When memory runs short the oldest tenth goes before MaxLines is reached.
void MainDialog::add_received_line(const char* text)
{
    char kind = view.mode() == ReceiveMode::as_received ? code_page_text : utf8_text;
    int length = lstrlenA(text);
    if (!received_lines.add(text, length, kind)) {
        int drop = received_lines.count() / 10 + 1;
        received_lines.drop_oldest(drop);
        lines_dropped += drop;
        if (!received_lines.add(text, length, kind))
            return;
    }
    ++lines_added;
}

void MainDialog::replace_newest_line(const char* text)
{
    char kind = view.mode() == ReceiveMode::as_received ? code_page_text : utf8_text;
    if (received_lines.replace_newest(text, lstrlenA(text), kind))
        ++lines_added;
}

// Past MaxLines a tenth of the lines go at once, oldest first. The end of
// the batch selects the newest line again when the list follows. The list
// is told only of what changed: the list view of some systems visits every
// line to change the state of all, and redraws all when drawing resumes.
void MainDialog::end_received_lines()
{
    HWND list = received_list(hwnd);
    int count = received_lines.count();
    if (lines_added && follow_newest && lines_selected > 0)
        set_state(list, lines_selected == 1 ? listed_lines - 1 : -1, 0, LVIS_SELECTED);
    if (count > MaxLines) {
        int drop = count - (MaxLines - MaxLines / 10);
        received_lines.drop_oldest(drop);
        lines_dropped += drop;
        count -= drop;
    }
    if (lines_dropped && !follow_newest)
        keep_held_lines(list, lines_dropped);
    else if (lines_added || lines_dropped)
        SendMessageA(list, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    if (lines_added && follow_newest && count > 0) {
        set_state(list, count - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessageA(list, LVM_ENSUREVISIBLE, count - 1, FALSE);
    }
    if (lines_added || lines_dropped)
        InvalidateRect(list, nullptr, TRUE);
    lines_added = lines_dropped = 0;
}

void MainDialog::clear_received()
{
    received_lines.clear();
    SendMessageA(received_list(hwnd), LVM_SETITEMCOUNT, 0, 0);
    view.end_line();
    plot_window.clear();
}
