// Sending the command line and moving received bytes into the list.
#include "app/main_dialog.h"
#include "app/program_objects.h"
#include "text/upper_ascii.h"
#include "resources/resource_ids.h"

namespace {

// The most bytes one received line holds.
constexpr int receive_chunk_max = 255;
// The most bytes one tick moves: the size of the driver's input queue, so a
// tick empties a full queue but a device that never stops can't hold the
// window in one tick.
constexpr int receive_tick_budget = 10000;

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

// Each chunk of up to 255 bytes becomes one line exactly as received; the
// tick goes on until nothing waits, so a fast device loses nothing.
void MainDialog::poll_receive(WPARAM timer_id)
{
    if (timer_id != receive_timer_id)
        return;
    if (!first_tick_done) {
        first_tick_done = 1;
        open_port();
    }
    char chunk[receive_chunk_max + 1];
    LRESULT newest = LB_ERR;
    for (int moved = 0; moved < receive_tick_budget;) {
        if (serial_channel.bytes_waiting() <= 0)
            break;
        int got = serial_channel.read(chunk, receive_chunk_max);
        if (got <= 0)
            break;
        chunk[got] = '\0';
        LRESULT index = SendDlgItemMessageA(hwnd, IDC_RECEIVED_LIST, LB_ADDSTRING, 0,
                                            reinterpret_cast<LPARAM>(chunk));
        if (index >= 0)
            newest = index;
        moved += got;
    }
    if (newest >= 0)
        SendDlgItemMessageA(hwnd, IDC_RECEIVED_LIST, LB_SETCURSEL, newest, 0);
}
