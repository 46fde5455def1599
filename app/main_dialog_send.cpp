// The Send menu: a file, the repeat, the pacing and the macros, all through
// the writer's queue; and the send part of the status bar, which shows what
// the writer is doing on each tick.
#include "app/main_dialog.h"
#include <commctrl.h>
#include "framework/file_dialog.h"
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "settings/send_settings.h"
#include "text/byte_count.h"
#include "text/escapes.h"

namespace {

constexpr int send_part = 4;
// The file's name as shown, and the last result, which stays on show.
wchar_t send_file_name[MAX_PATH];
wchar_t send_note[MAX_PATH + 64];

// Why the line holds back, by SendHold.
const char held_reasons[][14] = {"", "CTS is low", "XOFF received", "DSR is low"};

}  // namespace

// A file goes behind whatever is queued; one at a time.
void MainDialog::choose_send_file()
{
    wchar_t path[MAX_PATH];
    int name_at;
    if (!sending_file && (name_at = choose_file(hwnd, path, false)) && open_port()) {
        lstrcpyW(send_file_name, path + name_at);  // a part of `path`
        HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        LARGE_INTEGER size;
        if (file != INVALID_HANDLE_VALUE && !GetFileSizeEx(file, &size)) {
            CloseHandle(file);
            file = INVALID_HANDLE_VALUE;
        }
        if (file != INVALID_HANDLE_VALUE && serial_channel.writer.queue_file(file)) {
            send_file_size = static_cast<uint64_t>(size.QuadPart);
            sending_file = 1;
            update_send_menu();
            show_send_status();
        } else {
            // A file another program holds locked, or one that went away.
            wsprintfW(send_note, L"Could not read %s", send_file_name);
            SendMessageW(status_bar, SB_SETTEXTW, send_part, reinterpret_cast<LPARAM>(send_note));
        }
    }
    refocus_command();
}

void MainDialog::stop_sending()
{
    serial_channel.writer.abort();
}

// Like Send, the repeat opens a closed port first; it goes on while the port
// opens and ends when it fails to open.
void MainDialog::toggle_repeat()
{
    if (!repeat_on && !open_port() && !opener.busy())
        return;
    repeat_on = !repeat_on;
    if (!repeat_on)
        KillTimer(hwnd, repeat_timer_id);
    apply_send_options();  // starts the timer when on
    CheckMenuItem(menu, IDM_REPEAT, repeat_on ? MF_CHECKED : MF_UNCHECKED);
}

void MainDialog::end_repeat()
{
    if (repeat_on)
        toggle_repeat();
}

// Sends the field's text as Send would, without entering it in the history.
// The writer skips it while the last repeat is still queued or going out.
void MainDialog::repeat_due(WPARAM timer_id)
{
    if (timer_id != repeat_timer_id)
        return;
    if (!serial_channel.is_open) {
        if (!opener.busy())
            end_repeat();
        return;
    }
    char line[command_max_length + 2];
    int length = read_command_field(line);
    serial_channel.writer.queue(line, command_bytes(line, length), 1);
}

// The key's text with its escapes expanded, then the line end; 0 when the
// key has no text.
int MainDialog::send_macro(int index)
{
    const char* text = send_settings.macros[index];
    if (!text[0])
        return 0;
    char bytes[sizeof send_settings.macros[0] + 2];
    int count = expand_escapes(text, bytes, lstrlenA(text));
    count += append_line_end(bytes + count);
    if (open_port())
        serial_channel.write(bytes, count);
    return 1;
}

void MainDialog::apply_send_options()
{
    serial_channel.writer.char_delay_ms = send_settings.char_delay;
    serial_channel.writer.line_delay_ms = send_settings.line_delay;
    if (repeat_on)
        SetTimer(hwnd, repeat_timer_id, static_cast<UINT>(send_settings.repeat_ms), nullptr);
}

// The port closed or was lost: the writer has ended what it was sending.
void MainDialog::end_sending()
{
    end_repeat();
    show_send_status();
}

void MainDialog::update_send_menu()
{
    static_assert(IDM_STOP_SENDING == IDM_SEND_FILE + 1, "the two items follow each other");
    // Send file while idle, Stop sending while a file goes out.
    for (UINT stop = 0; stop < 2; ++stop)
        EnableMenuItem(menu, IDM_SEND_FILE + stop,
                       (sending_file != 0) != (stop != 0) ? MF_GRAYED : MF_ENABLED);
}

// What holds the line back comes first, then a file's progress, then the
// last result, which stays until the next one.
void MainDialog::show_send_status()
{
    SendProgress now;
    serial_channel.writer.progress(now);
    bool file = sending_file != 0;
    char sent[27], total[27];
    format_byte_count(sent, file ? now.file_sent : static_cast<uint64_t>(now.cut_sent));
    format_byte_count(total, file ? send_file_size : static_cast<uint64_t>(now.cut_length));
    bool changed = false;
    if (file && now.file_state != file_going) {
        changed = true;
        sending_file = 0;
        cuts_seen = now.cut_count;  // the file's end is the news
        update_send_menu();
        wsprintfW(send_note,
                  now.file_state == file_sent_whole ? L"Sent %s: %S bytes"
                                                    : L"Sending stopped: %s, %S of %S bytes",
                  send_file_name, sent, total);
    } else if (!file && now.cut_count != cuts_seen) {
        cuts_seen = now.cut_count;
        changed = true;
        wsprintfW(send_note, L"Sent %S of %S bytes", sent, total);
    }
    int percent = percent_of(now.file_sent, send_file_size);
    wchar_t live_text[MAX_PATH + 64];
    const wchar_t* text = live_text;
    if (now.held)
        wsprintfW(live_text, L"Sending held: %S", held_reasons[now.held]);
    else if (sending_file)  // right-aligned, clear of the bar at the part's left
        wsprintfW(live_text, L"\t\t%s %d %% (%S of %S bytes)", send_file_name, percent, sent,
                  total);
    else
        text = send_note;

    HWND bar = GetDlgItem(status_bar, IDC_SEND_PROGRESS);
    if (!bar && sending_file)
        bar = CreateWindowExA(0, PROGRESS_CLASSA, nullptr, WS_CHILD, 0, 0, 0, 0, status_bar,
                              reinterpret_cast<HMENU>(IDC_SEND_PROGRESS), nullptr, nullptr);
    if (bar) {
        RECT part = {};
        SendMessageA(status_bar, SB_GETRECT, send_part, reinterpret_cast<LPARAM>(&part));
        SetWindowPos(bar, nullptr, part.left + 2, part.top + 2, (part.right - part.left) / 3,
                     part.bottom - part.top - 4,
                     SWP_NOZORDER | SWP_NOACTIVATE | (sending_file ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        SendMessageA(bar, PBM_SETPOS, percent, 0);
    }
    // Set only while it may change, so the part does not flicker on each tick.
    static bool was_live = false;
    bool live = now.held || sending_file;
    if (changed || live || was_live)
        SendMessageW(status_bar, SB_SETTEXTW, send_part, reinterpret_cast<LPARAM>(text));
    was_live = live;
}
