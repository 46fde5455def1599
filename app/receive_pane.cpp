#include "app/receive_pane.h"
#include <commctrl.h>
#include "framework/clipboard.h"
#include "framework/dpi.h"
#include "app/capture_options_dialog.h"
#include "app/terminal_options_dialog.h"
#include "app/program_objects.h"
#include "framework/file_dialog.h"
#include "app/view_dialogs.h"
#include "resources/resource_ids.h"
#include "serial/line_settings.h"
#include "text/ansi_text.h"
#include "text/byte_count.h"

namespace {

void set_state(HWND list, int index, UINT state, UINT mask)
{
    LVITEMA item = {};
    item.state = state;
    item.stateMask = mask;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int next_item(HWND list, int after, UINT flags)
{
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after),
                                         MAKELPARAM(flags, 0)));
}

}  // namespace

// One column the list's width, no header, text asked for as UTF-16; a line
// is selected and shown selected across the whole row, as in a plain list,
// and drawn through a buffer so streaming lines don't flicker.
void ReceivePane::attach(HWND dialog, HMENU menu)
{
    dialog_ = dialog;
    menu_ = menu;
    HWND list = GetDlgItem(dialog, IDC_RECEIVED_LIST);
    list_ = list;
    lines_.clear();
    // The Hex view's lines begin with the offset of their first byte.
    view_.set_hex_offsets(true);
    view_.reset_offset();
    filter_.set_text(lines_, "", 0);
    filtering_ = false;
    SendMessageA(list, CCM_SETUNICODEFORMAT, TRUE, 0);
    DWORD styles = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
    LVCOLUMNA column = {};
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
}

// The column fills the list but for a vertical scroll bar's room at the
// list's own scale (which the client area may or may not include yet), or
// is as wide as the widest line, which the list then scrolls sideways to.
void ReceivePane::fit_column()
{
    RECT place = {};
    if (GetWindowRect(list_, &place)) {
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&place), 2);
        terminal_.place(place);
    }
    RECT client = {};
    GetClientRect(list_, &client);
    int dpi = static_cast<int>(window_dpi(list_));
    int width = client.right - system_metric_for_dpi(SM_CXVSCROLL, static_cast<UINT>(dpi));
    if (width < MulDiv(widest_, dpi, 96))
        width = MulDiv(widest_, dpi, 96);
    if (width != static_cast<int>(SendMessageA(list_, LVM_GETCOLUMNWIDTH, 0, 0)))
        SendMessageA(list_, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(width > 0 ? width : 0, 0));
}

// The newest `count` lines shown are measured in the list's font, with the
// list's margins; the column grows to the widest.
void ReceivePane::measure_newest(int count)
{
    HDC dc = GetDC(list_);
    if (!dc)
        return;
    HGDIOBJ old_font =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list_, WM_GETFONT, 0, 0)));
    int dpi = static_cast<int>(window_dpi(list_));
    int margins = MulDiv(12, dpi, 96);
    int widest = MulDiv(widest_, dpi, 96);
    int shown = shown_count();
    for (int i = shown - count; i < shown; ++i) {
        wchar_t text[receive_line_text_size];
        int length = line_text(i, text, receive_line_text_size);
        SIZE size = {};
        if (length > 0 && GetTextExtentPoint32W(dc, text, length, &size) && size.cx + margins > widest)
            widest = size.cx + margins;
    }
    SelectObject(dc, old_font);
    ReleaseDC(list_, dc);
    if (widest > MulDiv(widest_, dpi, 96)) {
        widest_ = MulDiv(widest, 96, dpi);
        fit_column();
    }
}

// A line's UTF-16 text is never longer than its bytes, so cutting the bytes
// cuts the text (a UTF-8 sequence cut in two shows as one replacement
// character at the end). The colour markers are taken out: whoever reads
// the list gets the text alone.
int ReceivePane::line_text(int shown, wchar_t* out, int room) const
{
    if (room <= 0)
        return 0;
    int index = store_index(shown);
    char bytes[receive_line_text_size];
    int length = index < 0 ? 0 : lines_.copy(index, bytes, sizeof bytes);
    char kind = length > 0 ? lines_.kind(index) : code_page_text;
    if (kind != code_page_text)
        length = strip_colour_codes(bytes, length, bytes);
    if (length > room - 1)
        length = room - 1;
    int got = length > 0 ? MultiByteToWideChar(kind == code_page_text ? CP_ACP : CP_UTF8,
                                               0, bytes, length, out, room - 1)
                         : 0;
    out[got] = L'\0';
    return got;
}

// The list asks for a line's text when it draws it or is asked for it (also
// from another process or a screen reader); Ctrl+C copies. A typed letter
// makes the list look for a line starting with it: the answer "none" leaves
// the selection, and the following of the newest line, as they were.
LRESULT ReceivePane::on_notify(const NMHDR* header)
{
    if (header->code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header))->item;
        if ((item.mask & LVIF_TEXT) && item.pszText)
            line_text(item.iItem, item.pszText, item.cchTextMax);
    } else if (header->code == NM_CUSTOMDRAW) {
        auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
            return painter_.active() ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
        int index = store_index(static_cast<int>(draw->nmcd.dwItemSpec));
        if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || index < 0 || index >= lines_.count())
            return CDRF_DODEFAULT;
        char text[receive_line_text_size];
        int length = lines_.copy(index, text, sizeof text);
        return painter_.draw_item(draw, text, length, lines_.kind(index));
    } else if (header->code == LVN_ODFINDITEMW || header->code == LVN_ODFINDITEMA) {
        return -1;
    } else if (header->code == LVN_KEYDOWN &&
               reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey == 'C' &&
               GetKeyState(VK_CONTROL) < 0) {
        copy_selected_lines();
    }
    return 0;
}

void ReceivePane::begin_batch()
{
    int count = shown_count();
    // An older line selected, and the newest not, holds the view still.
    lines_selected_ = static_cast<int>(SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0));
    follow_newest_ = count <= 0 || lines_selected_ <= 0 ||
                     SendMessageA(list_, LVM_GETITEMSTATE, count - 1, LVIS_SELECTED) != 0;
    listed_lines_ = count;
    lines_added_ = lines_dropped_ = 0;
}

// Each chunk goes to the capture first, so that it gets every byte.
void ReceivePane::take(const char* bytes, int count)
{
    capture_.write(bytes, count);
    view_.show(reinterpret_cast<const unsigned char*>(bytes), count, *this);
    terminal_.take(bytes, count);
}

void ReceivePane::add_received_line(const char* text)
{
    char kind = view_.mode() == ReceiveMode::as_received ? code_page_text : utf8_text;
    capture_.line_added(text, kind == utf8_text);
    store_line(text, kind, false);
}

void ReceivePane::replace_newest_line(const char* text)
{
    char kind = view_.mode() == ReceiveMode::as_received ? code_page_text : utf8_text;
    capture_.line_replaced(text, kind == utf8_text);
    store_line(text, kind, true);
}

// Sent lines and markers are the list's own: the capture never has them.
void ReceivePane::add_own_line(const char* text, LineKind kind)
{
    store_line(text, kind == LineKind::sent ? sent_text : marker_text, false);
}

// When memory runs short the oldest tenth goes before the limit is reached.
// A line counts as added when the list shows it (a filter may hide it).
void ReceivePane::store_line(const char* text, char kind, bool replace)
{
    int length = lstrlenA(text);
    int shown = shown_count();
    bool stored = replace ? lines_.replace_newest(text, length, kind) : lines_.add(text, length, kind);
    if (!stored && !replace) {
        drop_lines(lines_.count() / 10 + 1);
        shown = shown_count();
        stored = lines_.add(text, length, kind);
    }
    if (!stored)
        return;
    if (filtering_) {
        if (replace)
            filter_.newest_replaced(lines_);
        else
            filter_.line_added(lines_);
        int count = filter_.count();
        if (count == shown && (count == 0 || filter_.store_index(count - 1) != lines_.count() - 1))
            return;
    }
    ++lines_added_;
}

// The oldest `lines` go; lines_dropped_ counts those the list showed.
void ReceivePane::drop_lines(int lines)
{
    int shown = filtering_ ? filter_.shown_index(lines < lines_.count() ? lines : lines_.count())
                           : (lines < lines_.count() ? lines : lines_.count());
    lines_.drop_oldest(lines);
    if (filtering_)
        filter_.lines_dropped(lines_);
    lines_dropped_ += shown;
}

void ReceivePane::show_sent(const char* bytes, int count)
{
    if (!settings_.show_sent)
        return;
    begin_batch();
    view_.show_sent(reinterpret_cast<const unsigned char*>(bytes), count, *this);
    end_batch();
}

// Past the limit a tenth of the lines go at once, oldest first. The end of
// the batch selects the newest line again when the list follows. The list
// is told only of what changed: the list view of some systems visits every
// line to change the state of all, and redraws all when drawing resumes.
void ReceivePane::end_batch()
{
    if (lines_added_ && follow_newest_ && lines_selected_ > 0)
        set_state(list_, lines_selected_ == 1 ? listed_lines_ - 1 : -1, 0, LVIS_SELECTED);
    if (lines_.count() > max_lines_)
        drop_lines(lines_.count() - (max_lines_ - max_lines_ / 10));
    int count = shown_count();
    if (lines_dropped_ && !follow_newest_)
        keep_held_lines(lines_dropped_);
    else if (lines_added_ || lines_dropped_)
        SendMessageA(list_, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    if (lines_added_ && follow_newest_ && count > 0) {
        set_state(list_, count - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        SendMessageA(list_, LVM_ENSUREVISIBLE, count - 1, FALSE);
    }
    // A flood of lines in one tick: the newest thousand are measured.
    if (lines_added_)
        measure_newest(lines_added_ < count ? (lines_added_ < 1000 ? lines_added_ : 1000) : count);
    if (lines_added_ || lines_dropped_)
        InvalidateRect(list_, nullptr, FALSE);
    lines_added_ = lines_dropped_ = 0;
    if (filtering_)
        show_filter_status();
}

// The selection stays on the same lines when `dropped` lines went from the
// front: each selected line moves up by that many (lines visited in order,
// so a moved one is never visited again), and the focused line and the
// Shift+click anchor move with them.
void ReceivePane::keep_held_lines(int dropped)
{
    for (int i = next_item(list_, -1, LVNI_SELECTED); i >= 0; i = next_item(list_, i, LVNI_SELECTED)) {
        set_state(list_, i, 0, LVIS_SELECTED);
        if (i >= dropped)
            set_state(list_, i - dropped, LVIS_SELECTED, LVIS_SELECTED);
    }
    int focused = next_item(list_, -1, LVNI_FOCUSED) - dropped;
    int anchor = static_cast<int>(SendMessageA(list_, LVM_GETSELECTIONMARK, 0, 0)) - dropped;
    SendMessageA(list_, LVM_SETITEMCOUNT, shown_count(), LVSICF_NOSCROLL);
    if (anchor >= 0)
        SendMessageA(list_, LVM_SETSELECTIONMARK, 0, anchor);
    if (focused >= 0) {
        set_state(list_, focused, LVIS_FOCUSED, LVIS_FOCUSED);
        SendMessageA(list_, LVM_ENSUREVISIBLE, focused, FALSE);
    }
}

void ReceivePane::show_marker(const char* what, int port)
{
    if (view_.mode() != ReceiveMode::lines)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[64];
    wsprintfA(text, "-- COM%d %s %02u:%02u:%02u --", port, what, now.wHour, now.wMinute, now.wSecond);
    begin_batch();
    view_.show_marker(text, *this);
    end_batch();
}

void ReceivePane::show_script_mark(const char* text)
{
    char mark[receive_line_max_bytes + 1];
    wsprintfA(mark, "-- script: %.230s --", text);
    begin_batch();
    if (view_.mode() == ReceiveMode::lines)
        view_.show_marker(mark, *this);
    end_batch();
    capture_.write_note(mark);
}

void ReceivePane::clear()
{
    lines_.clear();
    filter_.lines_dropped(lines_);
    SendMessageA(list_, LVM_SETITEMCOUNT, 0, 0);
    widest_ = 0;
    fit_column();
    view_.end_line();
    view_.reset_offset();
    if (filtering_)
        show_filter_status();
}

// The selected lines as text, CR LF between them, as the list shows them.
// Windows offers the clipboard's text in the 8-bit form too.
void ReceivePane::copy_selected_lines()
{
    // A line's UTF-16 text is never longer than its stored bytes.
    SIZE_T size = 1;
    for (int i = next_item(list_, -1, LVNI_SELECTED); i >= 0; i = next_item(list_, i, LVNI_SELECTED))
        size += static_cast<SIZE_T>(lines_.length(store_index(i))) + 2;
    if (size == 1)
        return;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size * sizeof(wchar_t));
    if (!block)
        return;
    wchar_t* text = static_cast<wchar_t*>(GlobalLock(block));
    wchar_t* at = text;
    for (int i = next_item(list_, -1, LVNI_SELECTED); i >= 0; i = next_item(list_, i, LVNI_SELECTED)) {
        if (at != text) {
            *at++ = L'\r';
            *at++ = L'\n';
        }
        at += line_text(i, at, static_cast<int>(size - (at - text)));
    }
    *at = L'\0';
    GlobalUnlock(block);
    put_text_on_clipboard(GetParent(list_), block);
}

// The Terminal view shows the terminal's window in the list's place; the
// list goes on taking the bytes in the view it had (as received after a
// start in the Terminal view), and shows them when the user turns back.
void ReceivePane::show_view()
{
    if (settings_.view >= 0 && settings_.view < terminal_view)
        view_.set_mode(static_cast<ReceiveMode>(settings_.view));
    bool terminal = settings_.view == terminal_view;
    ShowWindow(list_, terminal ? SW_HIDE : SW_SHOW);
    terminal_.show(terminal);
}

void ReceivePane::show_settings()
{
    view_.set_mode(ReceiveMode::as_received);
    terminal_.apply_settings();
    show_view();
    view_.set_time_stamps(settings_.time == 1);
    view_.set_colours(!settings_.colours_off);
    apply_filter();
    update_menu();
}

int ReceivePane::view_command(int id)
{
    switch (id) {
    case IDM_VIEW_AS_RECEIVED:
    case IDM_VIEW_LINES:
    case IDM_VIEW_HEX:
        settings_.view = id - IDM_VIEW_AS_RECEIVED;
        show_view();
        changes_.mark_settings_changed();
        break;
    case IDM_VIEW_TERMINAL:
        settings_.view = terminal_view;
        show_view();
        changes_.mark_settings_changed();
        break;
    case IDM_TERMINAL_OPTIONS:
        if (run_terminal_options_dialog(dialog_, settings_.terminal)) {
            terminal_.apply_settings();
            changes_.mark_settings_changed();
        }
        break;
    case IDM_TIME_STAMPS:
        settings_.time = settings_.time == 1 ? 0 : 1;
        view_.set_time_stamps(settings_.time == 1);
        changes_.mark_settings_changed();
        break;
    case IDM_COLOURS:
        settings_.colours_off = settings_.colours_off ? 0 : 1;
        view_.set_colours(!settings_.colours_off);
        InvalidateRect(list_, nullptr, FALSE);
        changes_.mark_settings_changed();
        break;
    case IDM_SHOW_SENT:
        settings_.show_sent = settings_.show_sent ? 0 : 1;
        changes_.mark_settings_changed();
        break;
    case IDM_FILTER:         run_filter_dialog(); break;
    case IDM_HIGHLIGHT:      run_highlight_dialog(); break;
    case IDM_CAPTURE:        choose_capture_file(); break;
    case IDM_STOP_CAPTURE:   capture_.stop(); break;
    case IDM_CAPTURE_OPTIONS: run_capture_options(); break;
    case IDM_COPY:           if (terminal_shown()) terminal_.copy(); else copy_selected_lines(); break;
    case IDM_CLEAR_RECEIVED: clear(); break;
    default:                 return 0;
    }
    update_menu();
    return 1;
}

void ReceivePane::update_menu()
{
    for (int view = 0; view <= terminal_view; ++view)
        CheckMenuItem(menu_, view == terminal_view ? IDM_VIEW_TERMINAL : IDM_VIEW_AS_RECEIVED + view,
                      settings_.view == view ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(menu_, IDM_TIME_STAMPS, settings_.time == 1 ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(menu_, IDM_COLOURS, settings_.colours_off ? MF_UNCHECKED : MF_CHECKED);
    CheckMenuItem(menu_, IDM_SHOW_SENT, settings_.show_sent ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(menu_, IDM_FILTER, filtering_ ? MF_CHECKED : MF_UNCHECKED);
    EnableMenuItem(menu_, IDM_STOP_CAPTURE, capture_.active() ? MF_ENABLED : MF_GRAYED);
}

// %p names the port the settings choose, the one that opens.
int ReceivePane::start_capture(const wchar_t* pattern)
{
    int started = capture_.start(pattern, port_number_for(port_setup_dialog.settings));
    update_menu();
    return started;
}

// The capture kept to start with the program starts again each time: it
// never replaces a file, the one it wrote earlier least of all.
void ReceivePane::start_first_capture(const wchar_t* named)
{
    if (named[0])
        start_capture(named);
    else if (settings_.capture.automatic && settings_.capture.pattern[0])
        restart_capture();
}

void ReceivePane::port_opened()
{
    if (settings_.capture.automatic && settings_.capture.pattern[0] && !capture_.active())
        restart_capture();
}

void ReceivePane::restart_capture()
{
    capture_.restart(settings_.capture.pattern, port_number_for(port_setup_dialog.settings));
    update_menu();
}

// The name suggested is the port and the time now; the name chosen may hold
// the pattern's % codes itself.
void ReceivePane::choose_capture_file()
{
    wchar_t suggested[MAX_PATH];
    capture_.expand(L"%p_%Y-%m-%d_%H%M%S.log", port_number_for(port_setup_dialog.settings),
                    suggested);
    wchar_t path[MAX_PATH];
    if (choose_new_file(dialog_, path, suggested, settings_.capture.append == 0,
                        L"Log files (*.log)\0*.log\0Text files (*.txt)\0*.txt\0"
                        L"All files\0*.*\0",
                        L"log"))
        capture_.start(path, port_number_for(port_setup_dialog.settings));
}

// The capture running or last started is the one offered to start with the
// program, else the one kept.
void ReceivePane::run_capture_options()
{
    const wchar_t* pattern =
        capture_.pattern()[0] ? capture_.pattern() : settings_.capture.pattern;
    wchar_t shown[MAX_PATH];
    lstrcpynW(shown, pattern, MAX_PATH);
    if (run_capture_options_dialog(dialog_, settings_.capture, shown))
        changes_.mark_settings_changed();
}

// A new filter text empties the list and fills it again in steps, on the
// filter's timer, so that a million lines never hold the window; lines
// that arrive meanwhile are looked at by the step that reaches them.
void ReceivePane::apply_filter()
{
    set_state(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    filtering_ = settings_.filter[0] &&
                 filter_.set_text(lines_, settings_.filter, lstrlenA(settings_.filter));
    if (!filtering_) {
        KillTimer(dialog_, filter_timer_id);
        filter_.set_text(lines_, "", 0);
        SendMessageA(list_, LVM_SETITEMCOUNT, lines_.count(), 0);
        select_newest();
        capture_.set_lead(L"");
        return;
    }
    SendMessageA(list_, LVM_SETITEMCOUNT, 0, 0);
    filter_step();
}

// Steps of a few thousand lines for up to 30 ms; the rest on the timer.
void ReceivePane::filter_step()
{
    if (!filtering_) {
        KillTimer(dialog_, filter_timer_id);
        return;
    }
    DWORD start = GetTickCount();
    bool done;
    while (!(done = filter_.rebuild(lines_, 2000)) && GetTickCount() - start < 30) {
    }
    if (done)
        KillTimer(dialog_, filter_timer_id);
    else
        SetTimer(dialog_, filter_timer_id, USER_TIMER_MINIMUM, nullptr);
    bool follow = SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0) == 0;
    SendMessageA(list_, LVM_SETITEMCOUNT, filter_.count(), LVSICF_NOSCROLL);
    if (done && follow)
        select_newest();
    InvalidateRect(list_, nullptr, FALSE);
    show_filter_status();
}

void ReceivePane::select_newest()
{
    int count = shown_count();
    if (count <= 0)
        return;
    set_state(list_, count - 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(list_, LVM_ENSUREVISIBLE, count - 1, FALSE);
}

// "Showing 12 of 100,000 lines", before the capture's text in its part.
void ReceivePane::show_filter_status()
{
    if (!filtering_) {
        capture_.set_lead(L"");
        return;
    }
    char shown[27], all[27];
    format_byte_count(shown, static_cast<uint64_t>(filter_.count()));
    format_byte_count(all, static_cast<uint64_t>(lines_.count()));
    wchar_t text[80];
    wsprintfW(text, L"Showing %S of %S lines", shown, all);
    capture_.set_lead(text);
}

// The selected line the list can tell at once: the line last clicked or
// found, or the newest; only otherwise is the list asked to go through
// its lines (which some list views do one by one).
int ReceivePane::selected_shown() const
{
    if (SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0) <= 0)
        return -1;
    int mark = static_cast<int>(SendMessageA(list_, LVM_GETSELECTIONMARK, 0, 0));
    if (mark >= 0 && SendMessageA(list_, LVM_GETITEMSTATE, mark, LVIS_SELECTED))
        return mark;
    int newest = shown_count() - 1;
    if (newest >= 0 && SendMessageA(list_, LVM_GETITEMSTATE, newest, LVIS_SELECTED))
        return newest;
    return next_item(list_, -1, LVNI_SELECTED);
}

int ReceivePane::selected_line() const
{
    int shown = selected_shown();
    return shown < 0 ? -1 : store_index(shown);
}

bool ReceivePane::select_line(int index, RECT& row)
{
    int shown = filtering_ ? filter_.shown_index(index) : index;
    if (shown < 0 || shown >= shown_count() || store_index(shown) != index)
        return false;
    int before = selected_shown();
    if (SendMessageA(list_, LVM_GETSELECTEDCOUNT, 0, 0) == 1 && before >= 0)
        set_state(list_, before, 0, LVIS_SELECTED);
    else
        set_state(list_, -1, 0, LVIS_SELECTED);
    set_state(list_, shown, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageA(list_, LVM_SETSELECTIONMARK, 0, shown);
    // In the middle, as far as the lines before and after it allow.
    row = RECT{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list_, LVM_GETITEMRECT, shown, reinterpret_cast<LPARAM>(&row));
    int top = static_cast<int>(SendMessageA(list_, LVM_GETTOPINDEX, 0, 0));
    int page = static_cast<int>(SendMessageA(list_, LVM_GETCOUNTPERPAGE, 0, 0));
    int rows = shown - page / 2 - top;
    if (rows)
        SendMessageA(list_, LVM_SCROLL, 0, rows * (row.bottom - row.top));
    SendMessageA(list_, LVM_ENSUREVISIBLE, shown, FALSE);
    row = RECT{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list_, LVM_GETITEMRECT, shown, reinterpret_cast<LPARAM>(&row));
    MapWindowPoints(list_, nullptr, reinterpret_cast<POINT*>(&row), 2);
    return true;
}

void ReceivePane::run_filter_dialog()
{
    if (!run_filter_dialog_for(dialog_, settings_.filter))
        return;
    changes_.mark_settings_changed();
    apply_filter();
}

void ReceivePane::run_highlight_dialog()
{
    if (!run_highlight_dialog_for(dialog_, settings_.highlights))
        return;
    changes_.mark_settings_changed();
    InvalidateRect(list_, nullptr, FALSE);
}
