#include "app/line_find.h"
#include "app/shortcut_keys.h"

namespace {

// Where a window `box` goes so as not to cover `row`: just above it when
// the work area has room there, else just below it; the same place when it
// covers nothing.
RECT place_off_row(const RECT& box, const RECT& row, const RECT& work)
{
    RECT overlap;
    if (!IntersectRect(&overlap, &box, &row))
        return box;
    int height = box.bottom - box.top;
    int top = row.top - height >= work.top ? row.top - height : row.bottom;
    return RECT{box.left, top, box.right, top + height};
}

}  // namespace

void LineFind::attach(HWND window)
{
    window_ = window;
    dialog_ = nullptr;
    searching_ = false;
    message_ = RegisterWindowMessageW(FINDMSGSTRINGW);
}

void LineFind::open_dialog()
{
    if (dialog_) {
        SetActiveWindow(dialog_);
        return;
    }
    request_ = FINDREPLACEW{};
    request_.lStructSize = sizeof request_;
    request_.hwndOwner = window_;
    request_.Flags = FR_HIDEWHOLEWORD | (down_ ? FR_DOWN : 0) | (match_case_ ? FR_MATCHCASE : 0);
    request_.lpstrFindWhat = text_;
    request_.wFindWhatLen = sizeof text_ / sizeof text_[0];
    dialog_ = FindTextW(&request_);
    route_dialog_keys(dialog_);
}

void LineFind::on_find_message(LPARAM lparam)
{
    auto* request = reinterpret_cast<const FINDREPLACEW*>(lparam);
    if (!request)
        return;
    if (request->Flags & FR_DIALOGTERM) {
        dialog_ = nullptr;
        status_.end_note();
        route_dialog_keys(nullptr);
        return;
    }
    if (!(request->Flags & FR_FINDNEXT))
        return;
    match_case_ = (request->Flags & FR_MATCHCASE) != 0;
    start((request->Flags & FR_DOWN) != 0);
}

void LineFind::find_again(bool down)
{
    if (text_[0])
        start(down);
    else
        open_dialog();
}

// From the line after the selected one going down, before it going up.
void LineFind::start(bool down)
{
    down_ = down;
    int length = WideCharToMultiByte(CP_UTF8, 0, text_, -1, needle_, sizeof needle_, nullptr, nullptr);
    needle_length_ = length > 0 ? length - 1 : 0;
    if (!needle_length_)
        return;
    int selected = pane_.selected_line();
    finder_.begin(pane_.lines(), selected < 0 ? -1 : selected + (down ? 1 : -1), down);
    first_hidden_ = 0;
    searching_ = true;
    search_step();
}

// Steps of a few thousand lines for up to 30 ms; the rest on the timer.
// A line the filter hides is passed over until the search comes round to
// the first such line again.
void LineFind::search_step()
{
    KillTimer(window_, find_timer_id);
    if (!searching_)
        return;
    const LineStore& lines = pane_.lines();
    DWORD start = GetTickCount();
    int found;
    RECT row;
    do {
        found = finder_.step(lines, needle_, needle_length_, match_case_, 2000);
        if (found < 0)
            continue;
        if (pane_.select_line(found, row)) {
            status_.end_note();
            move_dialog_off(row);
            continue;
        }
        uint64_t number = lines.dropped() + static_cast<uint64_t>(found) + 1;
        if (number == first_hidden_) {
            found = line_not_found;
            break;
        }
        if (!first_hidden_)
            first_hidden_ = number;
        finder_.begin(lines, found + (down_ ? 1 : -1), down_);
        found = line_search_going_on;
    } while (found == line_search_going_on && GetTickCount() - start < 30);
    if (found == line_search_going_on) {
        SetTimer(window_, find_timer_id, USER_TIMER_MINIMUM, nullptr);
        return;
    }
    searching_ = false;
    if (found == line_not_found) {
        MessageBeep(MB_OK);
        wchar_t said[sizeof text_ / sizeof text_[0] + 20];
        wsprintfW(said, L"Cannot find \"%s\"", text_);
        status_.show_note(said);
    }
}

// The Find dialog moves off the line found, as the system's editor does.
void LineFind::move_dialog_off(const RECT& row)
{
    RECT box;
    if (!dialog_ || !GetWindowRect(dialog_, &box))
        return;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromRect(&row, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    RECT placed = place_off_row(box, row, monitor.rcWork);
    if (placed.top != box.top)
        SetWindowPos(dialog_, nullptr, placed.left, placed.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
