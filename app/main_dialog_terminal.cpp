// Sending the command line and moving received bytes into the list.
#include "app/main_dialog.h"
#include "app/program_objects.h"
#include "text/escapes.h"
#include "text/upper_ascii.h"
#include "resources/resource_ids.h"

namespace {

// The most bytes one received line holds.
constexpr int receive_chunk_max = 255;

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

// The bytes that end each command, by line-end choice: SendChar's CR or LF,
// CR LF, or nothing.
int MainDialog::append_line_end(char* at)
{
    if (options.line_end == 1) {
        at[0] = '\r';
        at[1] = '\n';
        return 2;
    }
    if (options.line_end == 2)
        return 0;
    at[0] = SendChar == 0 ? '\r' : '\n';
    return 1;
}

// The field's text (command_max_length + 2 bytes at `line`), in capitals
// when that option is on; returns its length. A longer text (only set from
// outside, never typed) is cut at the limit.
int MainDialog::read_command_field(char* line)
{
    line[0] = '\0';
    GetWindowTextA(command_combo.hwnd, line, command_max_length + 1);
    if (Upper == 1)
        upper_ascii(line);
    return lstrlenA(line);
}

// Turns the text at `line` into the bytes that go out: escapes expanded in
// place when that option is on (they only ever shorten the text), then the
// line end. Returns the count.
int MainDialog::command_bytes(char* line, int length)
{
    int count = length;
    if (options.escapes == 1)
        count = expand_escapes(line, line, length);
    return count + append_line_end(line + count);
}

void MainDialog::send_command()
{
    char line[command_max_length + 2];
    int length = read_command_field(line);
    if (length > 0) {
        enter_history(line);
        settings_changed = 1;
    }
    // The history above keeps the text as typed.
    int count = command_bytes(line, length);
    if (open_port())
        serial_channel.write(line, count);
    else
        send_once_open(line, count);
    refocus_command();
}

void MainDialog::refocus_command()
{
    SetFocus(command_combo.hwnd);
    SendMessageA(command_edit, EM_SETSEL, static_cast<WPARAM>(-1), -1);
}

// Moves everything the reader had gathered when the tick began into the
// capture and the list, chunk by chunk, in the chosen view, so that a
// backlog never grows; what comes meanwhile waits for the next tick, so a
// device that never stops can't hold the window in one tick.
void MainDialog::poll_receive(WPARAM timer_id)
{
    if (timer_id != receive_timer_id)
        return;
    if (!first_tick_done) {
        first_tick_done = 1;
        open_port();
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    view.begin_tick(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    char chunk[receive_chunk_max];
    begin_received_lines();
    for (int moved = 0, gathered = serial_channel.bytes_waiting(); moved < gathered;) {
        int got = serial_channel.read(chunk, receive_chunk_max);
        if (got <= 0)
            break;
        show_received(chunk, got);
        moved += got;
    }
    end_received_lines();
    plot_window.refresh();
    show_capture_status();
}

void MainDialog::show_received(const char* bytes, int count)
{
    capture_received(bytes, count);
    view.show(reinterpret_cast<const unsigned char*>(bytes), count, *this);
    plot_window.feed(bytes, count);
}
