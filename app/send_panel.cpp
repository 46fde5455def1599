#include "app/send_panel.h"
#include <commctrl.h>
#include <cstdlib>
#include "app/program_objects.h"
#include "app/send_dialogs.h"
#include "framework/file_dialog.h"
#include "framework/radio_group.h"
#include "resources/resource_ids.h"
#include "text/byte_count.h"
#include "text/upper_ascii.h"

namespace {

// Why the line holds back, by SendHold.
const wchar_t* const held_reasons[] = {L"", L"CTS is low", L"XOFF received", L"DSR is low"};

// Copies entry `index` of the combo box's list into `command` (200 bytes),
// cut to 199 characters. 0 when there is no such entry or memory ran out.
int history_entry(HWND combo, int index, char* command)
{
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length < 0)
        return 0;
    if (length < command_buffer_size)
        return SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(command)) !=
               CB_ERR;
    // CB_GETLBTEXT knows no buffer size: a longer entry is fetched whole into
    // a buffer of its own, then cut. It is fetched as wide text: some combo
    // boxes (Wine's of the version 6 common controls) overrun a buffer of
    // their own when a long entry is asked for as 8-bit text.
    LRESULT wide_length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (wide_length == CB_ERR || wide_length < 0)
        return 0;
    wchar_t* wide =
        static_cast<wchar_t*>(malloc((static_cast<size_t>(wide_length) + 1) * sizeof(wchar_t)));
    if (!wide)
        return 0;
    int got = 0;
    if (SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide)) != CB_ERR) {
        int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        char* whole = bytes > 0 ? static_cast<char*>(malloc(static_cast<size_t>(bytes))) : nullptr;
        if (whole && WideCharToMultiByte(CP_ACP, 0, wide, -1, whole, bytes, nullptr, nullptr) > 0) {
            lstrcpynA(command, whole, command_buffer_size);
            got = 1;
        }
        free(whole);
    }
    free(wide);
    return got;
}

}  // namespace

int put_line_end(LineEnd end, char* at)
{
    switch (end) {
    case LineEnd::cr:   at[0] = '\r'; return 1;
    case LineEnd::lf:   at[0] = '\n'; return 1;
    case LineEnd::crlf: at[0] = '\r'; at[1] = '\n'; return 2;
    case LineEnd::none: return 0;
    }
    return 0;
}

LineEnd line_end_of(const Settings& settings)
{
    if (settings.view.line_end == 1)
        return LineEnd::crlf;
    if (settings.view.line_end == 2)
        return LineEnd::none;
    return settings.send_char == 0 ? LineEnd::cr : LineEnd::lf;
}

void SendPanel::attach(HWND dialog, HMENU menu)
{
    dialog_ = dialog;
    menu_ = menu;
    command_combo.create(dialog, IDC_COMMAND, "", CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT);
    combo_ = command_combo.hwnd;
    SendMessageA(combo_, CB_LIMITTEXT, command_max_length, 0);
    COMBOBOXINFO info = {};
    info.cbSize = sizeof info;
    edit_ = GetComboBoxInfo(combo_, &info) ? info.hwndItem : nullptr;
    if (edit_) {
        SetWindowLongPtrA(edit_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        edit_proc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(uppercase_filter)));
    }
}

// With "Use uppercase" on, the field turns each typed letter into its
// capital, unless it takes hex pairs.
LRESULT CALLBACK SendPanel::uppercase_filter(HWND edit, UINT msg, WPARAM wparam, LPARAM lparam)
{
    auto* panel = reinterpret_cast<SendPanel*>(GetWindowLongPtrA(edit, GWLP_USERDATA));
    if (!panel || !panel->edit_proc_)
        return DefWindowProcA(edit, msg, wparam, lparam);
    if (msg == WM_CHAR && panel->settings_.upper == 1 && panel->settings_.view.hex != 1 &&
        wparam >= 'a' && wparam <= 'z')
        wparam -= 'a' - 'A';
    return CallWindowProcA(panel->edit_proc_, edit, msg, wparam, lparam);
}

void SendPanel::show_settings()
{
    CheckDlgButton(dialog_, IDC_USE_UPPERCASE, settings_.upper ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog_, IDC_ESCAPES, settings_.view.escapes ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog_, IDC_HEX, settings_.view.hex ? BST_CHECKED : BST_UNCHECKED);
    show_line_end_buttons();
    // A SendChar other than 0 or 1 checks no button (sends then use LF).
    check_radio_index(dialog_, IDC_SEND_CR, IDC_SEND_NONE,
                      settings_.view.line_end ? settings_.view.line_end + 1 : settings_.send_char);
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < settings_.history.count(); ++i)
        SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(settings_.history.at(i)));
    apply_timing();
}

void SendPanel::take_history()
{
    settings_.history.clear();
    // A window that is gone answers every message with 0, which would read
    // as ten empty entries.
    if (!IsWindow(combo_))
        return;
    int count = static_cast<int>(SendMessageA(combo_, CB_GETCOUNT, 0, 0));
    char command[command_buffer_size];
    for (int index = 0; index < count && index < saved_command_count; ++index)
        if (history_entry(combo_, index, command))
            settings_.history.add(command);
}

// Empties the history and the field; the stored history stays as it is
// unless something else changes before exit.
void SendPanel::clear_history()
{
    SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
}

void SendPanel::line_end_clicked(LineEnd end)
{
    int index = static_cast<int>(end);
    if (index <= 1) {
        settings_.view.line_end = 0;
        settings_.send_char = index;
    } else {
        settings_.view.line_end = index - 1;
    }
    check_radio_index(dialog_, IDC_SEND_CR, IDC_SEND_NONE, index);
    host_.mark_settings_changed();
    refocus();
}

void SendPanel::uppercase_clicked()
{
    settings_.upper = IsDlgButtonChecked(dialog_, IDC_USE_UPPERCASE) == BST_CHECKED ? 1 : 0;
    host_.mark_settings_changed();
    refocus();
}

void SendPanel::escapes_clicked()
{
    settings_.view.escapes = IsDlgButtonChecked(dialog_, IDC_ESCAPES) == BST_CHECKED ? 1 : 0;
    host_.mark_settings_changed();
    refocus();
}

void SendPanel::hex_clicked()
{
    settings_.view.hex = IsDlgButtonChecked(dialog_, IDC_HEX) == BST_CHECKED ? 1 : 0;
    show_line_end_buttons();
    host_.mark_settings_changed();
    refocus();
}

// Hex pairs get no line end, so its buttons are greyed meanwhile.
void SendPanel::show_line_end_buttons()
{
    for (int id = IDC_SEND_CR; id <= IDC_SEND_NONE; ++id)
        EnableWindow(GetDlgItem(dialog_, id), settings_.view.hex != 1);
}

// The field's text (command_max_length + 1 bytes at `line`), in capitals
// when that option is on and the field does not take hex; returns its
// length. A longer text (only set from outside, never typed) is cut at the
// limit.
int SendPanel::read_field(char* line)
{
    line[0] = '\0';
    GetWindowTextA(combo_, line, command_max_length + 1);
    if (settings_.upper == 1 && settings_.view.hex != 1)
        upper_ascii(line);
    return lstrlenA(line);
}

// Turns the text at `line` into the bytes that go out (command_max_length +
// 2 at `bytes`): hex pairs as they are, or the text as typed or with its
// escapes and checksums, then the line end. Returns the count, or -1 with
// `error` saying why.
int SendPanel::command_bytes(const char* line, int length, char* bytes, FrameError& error)
{
    FrameMode mode = settings_.view.hex == 1       ? frame_hex
                     : settings_.view.escapes == 1 ? frame_escapes
                                                   : frame_plain;
    int count = build_frame(line, length, mode, reinterpret_cast<unsigned char*>(bytes),
                            command_max_length, &error);
    if (count < 0 || mode == frame_hex)
        return count;
    return count + put_line_end(line_end_of(settings_), bytes + count);
}

// A text that cannot be sent stays in the field, selected, and the send
// part says why.
void SendPanel::refuse_field(const FrameError& error)
{
    MessageBeep(MB_ICONEXCLAMATION);
    status_.set_text(status_send, error.text);
    SetFocus(combo_);
    SendMessageA(edit_, EM_SETSEL, 0, -1);
}

void SendPanel::send_command()
{
    char typed[command_max_length + 1];
    int length = read_field(typed);
    char bytes[command_max_length + 2];
    FrameError error;
    int count = command_bytes(typed, length, bytes, error);
    if (count < 0) {
        refuse_field(error);
        return;
    }
    // Nothing to send (an empty field without a line end) still opens the port.
    if (count == 0) {
        host_.port_wanted();
        refocus();
        return;
    }
    if (host_.send_bytes(bytes, count) == SendOutcome::refused) {
        show_not_sent(L"the send queue is full");
        refocus();
        return;
    }
    sent_.show_sent(bytes, count);
    // The history keeps the text as typed. An entry equal but for letter
    // case is replaced, and the field then shows the text as it was sent.
    if (length > 0) {
        LRESULT found = SendMessageA(combo_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(typed));
        if (found != CB_ERR)
            SendMessageA(combo_, CB_DELETESTRING, found, 0);
        SendMessageA(combo_, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(typed));
        if (found != CB_ERR)
            SetWindowTextA(combo_, typed);
        host_.mark_settings_changed();
    }
    refocus();
}

void SendPanel::refocus()
{
    SetFocus(combo_);
    SendMessageA(edit_, EM_SETSEL, static_cast<WPARAM>(-1), -1);
}

int SendPanel::clear_field()
{
    if (GetWindowTextLengthA(combo_) == 0 || SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0))
        return 0;
    SetWindowTextA(combo_, "");
    return 1;
}

void SendPanel::show_not_sent(const wchar_t* reason)
{
    wsprintfW(note_, L"Not sent: %s", reason);
    status_.set_text(status_send, note_);
}

// The key's text with its escapes and checksums, then the line end; a text
// that cannot be built is said in the send part and not sent.
int SendPanel::send_macro(int index)
{
    const char* text = settings_.send.macros[index];
    if (!text[0])
        return 0;
    char bytes[sizeof settings_.send.macros[0] + 2];
    FrameError error;
    int count = build_frame(text, lstrlenA(text), frame_escapes,
                            reinterpret_cast<unsigned char*>(bytes), sizeof bytes - 2, &error);
    if (count < 0) {
        MessageBeep(MB_ICONEXCLAMATION);
        status_.set_text(status_send, error.text);
        return 1;
    }
    count += put_line_end(line_end_of(settings_), bytes + count);
    if (host_.send_bytes(bytes, count) == SendOutcome::refused)
        show_not_sent(L"the send queue is full");
    else
        sent_.show_sent(bytes, count);
    return 1;
}

// Like Send, the repeat opens a closed port first; it goes on while the port
// opens and ends when it fails to open.
void SendPanel::toggle_repeat()
{
    if (!repeat_on_ && !host_.port_wanted())
        return;
    repeat_on_ = !repeat_on_;
    if (!repeat_on_)
        KillTimer(dialog_, repeat_timer_id);
    apply_timing();  // starts the timer when on
    CheckMenuItem(menu_, IDM_REPEAT, repeat_on_ ? MF_CHECKED : MF_UNCHECKED);
}

void SendPanel::end_repeat()
{
    if (repeat_on_)
        toggle_repeat();
}

// Sends the field's text as Send would, without entering it in the history;
// a text that cannot be built is skipped. The writer skips it while the
// last repeat is still queued or going out.
void SendPanel::repeat_due()
{
    if (!serial_channel.is_open)
        return;
    char typed[command_max_length + 1];
    int length = read_field(typed);
    char bytes[command_max_length + 2];
    FrameError error;
    int count = command_bytes(typed, length, bytes, error);
    if (count >= 0 && serial_channel.writer.queue(bytes, count, 1))
        sent_.show_sent(bytes, count);
}

void SendPanel::apply_timing()
{
    serial_channel.writer.char_delay_ms = settings_.send.char_delay;
    serial_channel.writer.line_delay_ms = settings_.send.line_delay;
    if (repeat_on_)
        SetTimer(dialog_, repeat_timer_id, static_cast<UINT>(settings_.send.repeat_ms), nullptr);
}

// A file goes behind whatever is queued, one at a time, once the port is
// open.
void SendPanel::choose_file_to_send()
{
    wchar_t path[MAX_PATH];
    int name_at = 0;
    if (sending_file_ || !(name_at = choose_file(dialog_, path, false))) {
        refocus();
        return;
    }
    lstrcpyW(file_name_, path + name_at);
    if (!serial_channel.is_open) {
        show_not_sent(L"the port is not open");
        host_.port_wanted();
        refocus();
        return;
    }
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    LARGE_INTEGER size;
    if (file != INVALID_HANDLE_VALUE && !GetFileSizeEx(file, &size)) {
        CloseHandle(file);
        file = INVALID_HANDLE_VALUE;
    }
    if (file != INVALID_HANDLE_VALUE && serial_channel.writer.queue_file(file)) {
        file_size_ = static_cast<uint64_t>(size.QuadPart);
        sending_file_ = true;
        status_.set_progress_room(true);
        update_menu();
        show_status();
    } else {
        // A file another program holds locked, or one that went away.
        wsprintfW(note_, L"Could not read %s", file_name_);
        status_.set_text(status_send, note_);
    }
    refocus();
}

void SendPanel::stop_sending()
{
    serial_channel.writer.abort();
}

// The file's end says itself at the next look; the repeat's is said here.
bool SendPanel::stop_running()
{
    if (sending_file_) {
        stop_sending();
        return true;
    }
    if (!repeat_on_)
        return false;
    end_repeat();
    lstrcpyW(note_, L"Repeat stopped");
    status_.set_text(status_send, note_);
    return true;
}

void SendPanel::port_ended()
{
    end_repeat();
    show_status();
}

void SendPanel::update_menu()
{
    EnableMenuItem(menu_, IDM_SEND_FILE, sending_file_ ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(menu_, IDM_STOP_SENDING, sending_file_ ? MF_ENABLED : MF_GRAYED);
}

// What holds the line back comes first, then a file's progress, then the
// last result, which stays until the next one.
void SendPanel::show_status()
{
    SendProgress now;
    serial_channel.writer.progress(now);
    char sent[27], total[27];
    format_byte_count(sent, sending_file_ ? now.file_sent : static_cast<uint64_t>(now.cut_sent));
    format_byte_count(total, sending_file_ ? file_size_ : static_cast<uint64_t>(now.cut_length));
    bool changed = false;
    if (sending_file_ && now.file_state != file_going) {
        changed = true;
        sending_file_ = false;
        cuts_seen_ = now.cut_count;  // the file's end is the news
        update_menu();
        status_.set_progress_room(false);
        if (now.file_state == file_sent_whole)
            wsprintfW(note_, L"Sent %s: %S bytes", file_name_, sent);
        else
            wsprintfW(note_, L"Sending stopped: %s, %S of %S bytes", file_name_, sent, total);
    } else if (!sending_file_ && now.cut_count != cuts_seen_) {
        cuts_seen_ = now.cut_count;
        changed = true;
        wsprintfW(note_, L"Sent %S of %S bytes", sent, total);
    }
    int percent = percent_of(now.file_sent, file_size_);
    wchar_t live_text[MAX_PATH + 64];
    const wchar_t* text = live_text;
    if (now.held)
        wsprintfW(live_text, L"Sending held: %s", held_reasons[now.held]);
    else if (sending_file_)  // right-aligned, clear of the bar at the part's left
        wsprintfW(live_text, L"\t\t%s %d %% (%S of %S bytes)", file_name_, percent, sent, total);
    else
        text = note_;

    HWND bar = GetDlgItem(status_.hwnd(), IDC_SEND_PROGRESS);
    if (!bar && sending_file_)
        bar = CreateWindowExA(0, PROGRESS_CLASSA, nullptr, WS_CHILD, 0, 0, 0, 0, status_.hwnd(),
                              reinterpret_cast<HMENU>(IDC_SEND_PROGRESS), nullptr, nullptr);
    bool live = now.held || sending_file_;
    if (changed || live || was_live_)
        status_.set_text(status_send, text);
    was_live_ = live;
    if (bar) {
        RECT part = status_.part_rect(status_send);
        SetWindowPos(bar, nullptr, part.left + 2, part.top + 2, (part.right - part.left) / 3,
                     part.bottom - part.top - 4,
                     SWP_NOZORDER | SWP_NOACTIVATE | (sending_file_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        SendMessageA(bar, PBM_SETPOS, percent, 0);
    }
}

void SendPanel::run_options_dialog()
{
    if (run_send_options_dialog(dialog_, settings_.send)) {
        host_.mark_settings_changed();
        apply_timing();
    }
    refocus();
}

void SendPanel::run_macros_dialog()
{
    if (run_macros_dialog_for(dialog_, settings_.send))
        host_.mark_settings_changed();
    refocus();
}
