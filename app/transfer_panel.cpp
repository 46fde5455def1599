#include "app/transfer_panel.h"
#include <commctrl.h>
#include <cstring>
#include "app/program_objects.h"
#include "framework/file_dialog.h"
#include "resources/resource_ids.h"
#include "serial/send_queue.h"
#include "text/byte_count.h"

namespace {

const wchar_t* const protocol_names[] = {L"XMODEM", L"YMODEM"};

// After a cancel or a failure, the line counts as quiet again after this.
constexpr DWORD quiet_after_failure_ms = 1000;
// Before a close, what the writer still holds for the transfer (the rest of
// a block and the cancel) gets this long beyond its time on the line.
constexpr DWORD cancel_grace_ms = 300;

// The engine's UTF-8 text as UTF-16 for the status bar; "" when it can't be.
void to_wide(const char* text, wchar_t* out, int room)
{
    if (MultiByteToWideChar(CP_UTF8, 0, text, -1, out, room) <= 0)
        out[0] = 0;
}

// A file's last change in seconds since 1970 (UTC), 0 when not known.
uint32_t unix_time_of(HANDLE file)
{
    FILETIME written;
    if (!GetFileTime(file, nullptr, nullptr, &written))
        return 0;
    ULARGE_INTEGER ticks;
    ticks.LowPart = written.dwLowDateTime;
    ticks.HighPart = written.dwHighDateTime;
    const uint64_t epoch = 116444736000000000ull;  // 1970-01-01 in 100 ns ticks
    return ticks.QuadPart > epoch ? static_cast<uint32_t>((ticks.QuadPart - epoch) / 10000000u)
                                  : 0;
}

}  // namespace

TransferPanel::~TransferPanel()
{
    delete sender_;
    delete receiver_;
    close_file();
}

void TransferPanel::attach(HWND dialog, HMENU menu)
{
    dialog_ = dialog;
    menu_ = menu;
}

// One transfer at a time, never beside a file sent raw, and only on an open
// port.
bool TransferPanel::can_start(bool sending)
{
    if (running() || sender_panel_.sending_file())
        return false;
    if (serial_channel.is_open)
        return true;
    status_.set_text(status_send, sending ? "Not sent: the port is not open"
                                          : "Not received: the port is not open");
    return false;
}

// Sending asks for the file to send. Receiving by XMODEM asks for the file
// to write; by YMODEM for a file in the folder the files go to (they keep
// the names the sender gives them).
void TransferPanel::start(TransferProtocol protocol, bool sending)
{
    wchar_t path[MAX_PATH];
    int name_at = 0;
    if (!can_start(sending) || !(name_at = choose_file(dialog_, path, !sending)) ||
        !can_start(sending))
        return;
    swallowing_ = false;
    left_length_ = left_at_ = 0;
    lstrcpyW(path_, path);
    lstrcpyW(name_, path + name_at);
    protocol_ = protocol;
    sending_ = sending;
    if (sending) {
        file_ = CreateFileW(path_, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        LARGE_INTEGER size;
        // The engines count in 32 bits: a file of 4 GB or more is refused.
        if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size) || size.HighPart != 0) {
            close_file();
            wsprintfW(note_, L"Could not read %s", name_);
            status_.set_text(status_send, note_);
            return;
        }
        file_size_ = static_cast<uint64_t>(size.QuadPart);
        file_given_ = false;
        SenderOptions options;
        options.protocol = protocol;
        options.one_k = settings_.xmodem_1k != 0;
        options.line_rate = serial_channel.applied_line.BaudRate;
        engine_ = sender_ = new FileSender(options, this);
    } else {
        if (protocol == TransferProtocol::ymodem)
            path_[name_at] = name_[0] = 0;
        ReceiverOptions options;
        options.protocol = protocol;
        options.trim_padding = settings_.xmodem_remove_padding != 0;
        engine_ = receiver_ = new FileReceiver(options, this);
    }
    bytes_moved_ = 0;
    pending_length_ = 0;
    started_ = GetTickCount();
    port_ = serial_channel.port_number;
    show_marker("began");
    status_.set_progress_room(true);
    SetTimer(dialog_, transfer_timer_id, transfer_timer_period_ms, nullptr);
    InterlockedExchange(&serial_channel.tell_received, 1);
    update_menu();
    if (sender_)
        sender_->start(started_);
    else
        receiver_->start(started_);
    tick();
}

// "-- COM7 XMODEM send began 11:05:02 --" in the list.
void TransferPanel::show_marker(const char* what)
{
    char marker[40];
    wsprintfA(marker, "%S %s %s", protocol_names[static_cast<int>(protocol_)],
              sending_ ? "send" : "receive", what);
    receive_.show_marker(marker, port_);
}

bool TransferPanel::cancel()
{
    if (!engine_)
        return false;
    if (sender_)
        sender_->cancel();
    else
        receiver_->cancel();
    pass_output();
    return true;
}

// The writer gets the cancel after what it already holds of the transfer
// (the rest of a block), and that much time to put it on the line.
void TransferPanel::end_before_close()
{
    if (!engine_ || !serial_channel.is_open)
        return;
    cancel();
    DWORD rate = serial_channel.applied_line.BaudRate ? serial_channel.applied_line.BaudRate : 9600;
    DWORD most_ms = (2 * 1029 + 16) * 10 * 1000 / rate + cancel_grace_ms;
    for (DWORD began = GetTickCount();
         (pending_length_ || engine_->has_output() || !serial_channel.writer.idle()) &&
         GetTickCount() - began < most_ms;) {
        pass_output();
        Sleep(5);
    }
    finish();
}

void TransferPanel::bytes_arrived()
{
    DWORD now = GetTickCount();
    if (engine_)
        take_input(now);
    else if (swallowing_)
        swallow(now);
}

// Answers go out before the next bytes are read: a sender ignores answers
// while part of its block still waits to be taken. What follows the
// transfer's last byte in the same read is kept for the list.
void TransferPanel::take_input(DWORD now)
{
    pass_output();
    uint8_t chunk[sizeof left_];
    for (int moved = 0, gathered = serial_channel.bytes_waiting();
         moved < gathered && !engine_->finished();) {
        int got = serial_channel.read(chunk, sizeof chunk);
        if (got <= 0)
            break;
        int taken = sender_ ? sender_->feed(chunk, got, now) : receiver_->feed(chunk, got, now);
        pass_output();
        moved += got;
        if (taken < got) {
            left_length_ = got - taken;
            left_at_ = 0;
            memcpy(left_, chunk + taken, static_cast<size_t>(left_length_));
        }
    }
    if (engine_->finished() && !engine_->has_output() && pending_length_ == 0)
        finish();
}

// Everything that came is dropped; a second without a byte ends this.
void TransferPanel::swallow(DWORD now)
{
    uint8_t chunk[1024];
    while (serial_channel.read(chunk, sizeof chunk) > 0)
        last_byte_ = now;
    if (now - last_byte_ < quiet_after_failure_ms && serial_channel.is_open)
        return;
    swallowing_ = false;
    InterlockedExchange(&serial_channel.tell_received, 0);
    KillTimer(dialog_, transfer_timer_id);
}

void TransferPanel::tick()
{
    DWORD now = GetTickCount();
    if (!engine_) {
        if (swallowing_)
            swallow(now);
        else
            KillTimer(dialog_, transfer_timer_id);
        return;
    }
    if (!serial_channel.is_open) {
        finish();
        return;
    }
    take_input(now);
    if (!engine_)
        return;
    if (sender_)
        sender_->tick(now);
    else
        receiver_->tick(now);
    pass_output();
    if (engine_->finished() && !engine_->has_output() && pending_length_ == 0)
        finish();
    else
        show_progress();
}

int TransferPanel::take_left_over(char* out, int room)
{
    int count = left_over() < room ? left_over() : room;
    if (count <= 0)
        return 0;
    memcpy(out, left_ + left_at_, static_cast<size_t>(count));
    left_at_ += count;
    return count;
}

void TransferPanel::toggle_option(int id)
{
    int32_t& option = id == IDM_XMODEM_1K ? settings_.xmodem_1k : settings_.xmodem_remove_padding;
    option = option ? 0 : 1;
    changes_.mark_settings_changed();
    show_settings();
}

void TransferPanel::show_settings()
{
    CheckMenuItem(menu_, IDM_XMODEM_1K, settings_.xmodem_1k ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(menu_, IDM_XMODEM_REMOVE_PADDING,
                  settings_.xmodem_remove_padding ? MF_CHECKED : MF_UNCHECKED);
}

// Hands the engine's bytes to the writer in pieces of one queued job; what
// finds the queue full waits for the next tick.
void TransferPanel::pass_output()
{
    for (;;) {
        if (pending_length_ == 0)
            pending_length_ = engine_->output(pending_, send_job_bytes);
        if (pending_length_ == 0 || !serial_channel.writer.queue(pending_, pending_length_, 0))
            return;
        pending_length_ = 0;
    }
}

// A transfer that ended cleanly gives the line back at once; one that did
// not first waits for the far end to fall quiet (the timer goes on).
void TransferPanel::finish()
{
    swallowing_ = !engine_->succeeded() && serial_channel.is_open;
    last_byte_ = GetTickCount();
    if (swallowing_) {
        left_length_ = left_at_ = 0;
    } else {
        KillTimer(dialog_, transfer_timer_id);
        InterlockedExchange(&serial_channel.tell_received, 0);
    }
    const wchar_t* protocol = protocol_names[static_cast<int>(protocol_)];
    char bytes[27];
    format_byte_count(bytes, bytes_moved_);
    unsigned seconds = (GetTickCount() - started_ + 500) / 1000;
    if (!serial_channel.is_open && !engine_->finished()) {
        wsprintfW(note_, L"%s%s%sby %s ended: the port closed",
                  sending_ ? L"Sending " : L"Receiving ", name_, name_[0] ? L" " : L"", protocol);
    } else if (engine_->succeeded()) {
        wchar_t what[MAX_PATH];
        if (!sending_ && engine_->files_done() != 1)
            wsprintfW(what, L"%d files", engine_->files_done());
        else
            lstrcpyW(what, name_);
        wsprintfW(note_, L"%s %s by %s: %S bytes in %u s", sending_ ? L"Sent" : L"Received", what,
                  protocol, bytes, seconds);
    } else {
        wchar_t reason[transfer_name_room + 48];
        to_wide(engine_->reason(), reason, transfer_name_room + 48);
        wsprintfW(note_, L"%s%s%sby %s failed: %s", sending_ ? L"Sending " : L"Receiving ",
                  name_, name_[0] ? L" " : L"", protocol, reason);
    }
    close_file();
    delete sender_;
    delete receiver_;
    sender_ = nullptr;
    receiver_ = nullptr;
    engine_ = nullptr;
    pending_length_ = 0;
    show_bar(-1);
    status_.set_progress_room(false);
    status_.set_text(status_send, note_);
    show_marker("ended");
    update_menu();
}

void TransferPanel::close_file()
{
    if (file_ != INVALID_HANDLE_VALUE)
        CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
}

// "firmware.bin XMODEM 45 % (117,760 of 262,144 bytes)" beside the bar, or
// without a size (an XMODEM receive) "got.bin XMODEM 45,056 bytes, 11,264
// bytes/s" and no bar; right-aligned, clear of the bar.
void TransferPanel::show_progress()
{
    const wchar_t* protocol = protocol_names[static_cast<int>(protocol_)];
    uint64_t done = engine_->bytes_done();
    uint64_t total = engine_->bytes_total();
    char done_text[27], total_text[27];
    format_byte_count(done_text, done);
    format_byte_count(total_text, total);
    int percent = total ? percent_of(done, total) : -1;
    wchar_t text[MAX_PATH + 96];
    if (bytes_moved_ == 0 && !engine_->files_done()) {
        wsprintfW(text, L"\t\t%s%s%s: waiting for the %s", name_, name_[0] ? L" " : L"", protocol,
                  sending_ ? L"receiver" : L"sender");
    } else if (total) {
        wsprintfW(text, L"\t\t%s %s %d %% (%S of %S bytes)", name_, protocol, percent, done_text,
                  total_text);
    } else {
        // No size to measure against: the bytes so far and the rate.
        DWORD ms = GetTickCount() - started_;
        char rate_text[27];
        format_byte_count(rate_text, ms ? done * 1000 / ms : 0);
        wsprintfW(text, L"\t\t%s %s %S bytes, %S bytes/s", name_, protocol, done_text, rate_text);
    }
    status_.set_text(status_send, text);
    show_bar(percent);
}

// The progress bar at the send part's left; hidden for a negative percent.
void TransferPanel::show_bar(int percent)
{
    HWND bar = GetDlgItem(status_.hwnd(), IDC_SEND_PROGRESS);
    if (!bar && percent >= 0)
        bar = CreateWindowExA(0, PROGRESS_CLASSA, nullptr, WS_CHILD, 0, 0, 0, 0, status_.hwnd(),
                              reinterpret_cast<HMENU>(IDC_SEND_PROGRESS), nullptr, nullptr);
    if (!bar)
        return;
    RECT part = status_.part_rect(status_send);
    SetWindowPos(bar, nullptr, part.left + 2, part.top + 2, (part.right - part.left) / 3,
                 part.bottom - part.top - 4,
                 SWP_NOZORDER | SWP_NOACTIVATE | (percent >= 0 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    if (percent >= 0)
        SendMessageA(bar, PBM_SETPOS, percent, 0);
}

// While a transfer runs only Stop sending is offered of what sends.
void TransferPanel::update_menu()
{
    UINT state = running() ? MF_GRAYED : MF_ENABLED;
    const int items[] = {IDM_SEND_FILE, IDM_SEND_XMODEM, IDM_SEND_YMODEM, IDM_RECEIVE_XMODEM,
                         IDM_RECEIVE_YMODEM};
    for (int id : items)
        EnableMenuItem(menu_, id, state);
    EnableMenuItem(menu_, IDM_STOP_SENDING, running() ? MF_ENABLED : MF_GRAYED);
}

bool TransferPanel::next_file(TransferFile* file)
{
    if (file_given_)
        return false;
    file_given_ = true;
    memset(file, 0, sizeof *file);
    if (WideCharToMultiByte(CP_UTF8, 0, name_, -1, file->name, transfer_name_room, nullptr,
                            nullptr) <= 0)
        lstrcpyA(file->name, "unnamed");
    file->size = static_cast<uint32_t>(file_size_);
    file->size_known = true;
    file->mtime = unix_time_of(file_);
    return true;
}

int TransferPanel::read(uint32_t offset, uint8_t* out, int count)
{
    LARGE_INTEGER at;
    at.QuadPart = offset;
    if (!SetFilePointerEx(file_, at, nullptr, FILE_BEGIN))
        return 0;
    int got = 0;
    DWORD part = 0;
    while (got < count &&
           ReadFile(file_, out + got, static_cast<DWORD>(count - got), &part, nullptr) && part)
        got += static_cast<int>(part);
    bytes_moved_ += static_cast<uint64_t>(got);
    return got;
}

// XMODEM writes the chosen file; a YMODEM file goes into the chosen folder
// under the name the sender gave (the engine made it safe), over a file of
// that name.
bool TransferPanel::begin_file(const TransferFile& file)
{
    wchar_t target[MAX_PATH];
    if (protocol_ == TransferProtocol::xmodem) {
        lstrcpyW(target, path_);
    } else {
        to_wide(file.name, name_, MAX_PATH);
        if (!name_[0] || lstrlenW(path_) + lstrlenW(name_) >= MAX_PATH)
            return false;
        lstrcpyW(target, path_);
        lstrcatW(target, name_);
    }
    close_file();
    file_ = CreateFileW(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    return file_ != INVALID_HANDLE_VALUE;
}

bool TransferPanel::write(const uint8_t* bytes, int count)
{
    DWORD written = 0;
    if (!WriteFile(file_, bytes, static_cast<DWORD>(count), &written, nullptr) ||
        written != static_cast<DWORD>(count))
        return false;
    bytes_moved_ += written;
    return true;
}

// A file cut short stays as far as it came, for the user to look at.
void TransferPanel::end_file(bool)
{
    close_file();
}
