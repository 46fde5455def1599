// Sending the command line and moving received bytes into the list.
#include "app/main_dialog.h"
#include "app/program_objects.h"
#include "text/upper_ascii.h"
#include "resources/resource_ids.h"

namespace {

// The most bytes one received line holds.
constexpr int receive_chunk_max = 255;
// The most bytes one tick moves: more than twice what arrives between ticks at
// 1843200 baud, so the window catches up after a pause, yet a device that
// never stops can't hold the window in one tick.
constexpr int receive_tick_budget = 128 * 1024;

// Puts `text` at the top of the history. An entry equal but for letter case
// is replaced, and the field then shows the text as it was sent.
void enter_history(const char* text)
{
    HWND combo = command_combo.hwnd;
    LRESULT found = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text));
    if (found != CB_ERR)
        SendMessageA(combo, CB_DELETESTRING, found, 0);
    SendMessageA(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (found != CB_ERR)
        SetWindowTextA(combo, text);
}

}  // namespace

void MainDialog::send_command()
{
    // The whole line the field takes, then room for the terminator and NUL.
    // A longer text (only set from outside, never typed) is cut at the limit.
    char line[command_max_length + 2] = {};
    GetWindowTextA(command_combo.hwnd, line, command_max_length + 1);
    int length = lstrlenA(line);
    if (Upper == 1)
        upper_ascii(line);
    if (length > 0) {
        enter_history(line);
        settings_changed = 1;
    }
    if (open_port()) {
        line[length] = SendChar == 0 ? '\r' : '\n';
        serial_channel.write(line, length + 1);
    }
    refocus_command();
}

void MainDialog::refocus_command()
{
    SetFocus(command_combo.hwnd);
    SendMessageA(command_edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
}

// Each chunk of up to 255 bytes becomes one line exactly as received; all
// that waits (up to the tick's budget) goes into the list in one redraw.
void MainDialog::poll_receive(WPARAM timer_id)
{
    if (timer_id != receive_timer_id)
        return;
    if (!first_tick_done) {
        first_tick_done = 1;
        open_port();
    }
    if (serial_channel.bytes_waiting() <= 0)
        return;
    char chunk[receive_chunk_max + 1];
    begin_received_lines();
    for (int moved = 0; moved < receive_tick_budget;) {
        int got = serial_channel.read(chunk, receive_chunk_max);
        if (got <= 0)
            break;
        chunk[got] = '\0';
        add_received_line(chunk);
        moved += got;
    }
    end_received_lines();
}

HWND MainDialog::received_list() const
{
    return GetDlgItem(hwnd, IDC_RECEIVED_LIST);
}

void MainDialog::begin_received_lines()
{
    if (lines_held_off++ == 0)
        SendMessageA(received_list(), WM_SETREDRAW, FALSE, 0);
}

void MainDialog::add_received_line(const char* text)
{
    SendMessageA(received_list(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void MainDialog::replace_newest_line(const char* text)
{
    HWND list = received_list();
    LRESULT newest = SendMessageA(list, LB_GETCOUNT, 0, 0) - 1;
    if (newest < 0)
        return add_received_line(text);
    SendMessageA(list, LB_DELETESTRING, newest, 0);
    SendMessageA(list, LB_INSERTSTRING, newest, reinterpret_cast<LPARAM>(text));
}

// Past MaxLines a tenth of the lines go at once, oldest first, so the list
// is trimmed seldom rather than on every tick; then the newest line is
// selected, which scrolls to it, and the list is drawn once.
void MainDialog::end_received_lines()
{
    if (--lines_held_off > 0)
        return;
    lines_held_off = 0;
    HWND list = received_list();
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count > MaxLines) {
        LRESULT keep = MaxLines - MaxLines / 10;
        for (; count > keep; --count)
            SendMessageA(list, LB_DELETESTRING, 0, 0);
    }
    SendMessageA(list, LB_SETCURSEL, count - 1, 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}
