#include "serial/port_writer.h"
#include "serial/cancelled_request.h"
#include "serial/line_errors.h"

namespace {

// The driver's own write time-out beyond the bytes' line time; a command
// that has not gone out whole by then is given up.
const DWORD write_grace_ms = 5000;
// How often a waiting write looks at what holds the line back.
const DWORD hold_poll_ms = 50;

// Our own cancel and a time-out are no loss; any other failure is, as
// abort-on-error is off.
bool means_device_gone(DWORD error)
{
    return error != ERROR_OPERATION_ABORTED && error != ERROR_COUNTER_TIMEOUT &&
           error != ERROR_IO_PENDING;
}

bool is_line_end(char byte)
{
    return byte == '\r' || byte == '\n';
}

}  // namespace

// Each a single call the rest of the writer shares, rather than the
// Windows call repeated at every use.
__attribute__((noinline)) void PortWriter::enter()
{
    EnterCriticalSection(&lock);
}

__attribute__((noinline)) void PortWriter::leave()
{
    LeaveCriticalSection(&lock);
}

PortWriter::PortWriter()
{
    InitializeCriticalSection(&lock);
}

PortWriter::~PortWriter()
{
    if (stop())
        DeleteCriticalSection(&lock);
}

int PortWriter::start(HANDLE port_handle, OVERLAPPED* write_overlapped, const DCB& line,
                      volatile LONG* lost_flag, PortNotifier* port_notifier)
{
    if (left_running && !stop())
        return 0;
    if (thread)
        return 1;
    port = port_handle;
    overlapped = write_overlapped;
    lost = lost_flag;
    notifier = port_notifier;
    follow_line(line);
    // The state goes on from the last session: the window has seen its
    // counts.
    quitting = 0;
    write_left = 0;
    wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    abort_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (wake && abort_event)
        thread = CreateThread(nullptr, 0, thread_main, this, 0, nullptr);
    if (thread)
        return 1;
    stop();
    return 0;
}

void PortWriter::follow_line(const DCB& line)
{
    DWORD rate = line.BaudRate ? line.BaudRate : 9600;
    DWORD bits = 1u + line.ByteSize + (line.Parity != NOPARITY ? 1u : 0u) +
                 (line.StopBits == ONESTOPBIT ? 1u : 2u);
    baud = rate;
    frame_bits = bits;
    // The driver never gives up on a write before its bytes' time on the line.
    COMMTIMEOUTS timeouts;
    if (GetCommTimeouts(port, &timeouts)) {
        timeouts.WriteTotalTimeoutMultiplier = (bits * 1000u + rate - 1u) / rate;
        SetCommTimeouts(port, &timeouts);
    }
}

int PortWriter::stop()
{
    if (thread) {
        // A thread left running was told to end already: it is only looked at.
        if (!left_running)
            end_transfer(1);
        if (WaitForSingleObject(thread, left_running ? 0 : thread_end_wait_ms) != WAIT_OBJECT_0) {
            // Stuck in the driver: its handle and events stay with it.
            left_running = 1;
            return 0;
        }
        left_running = 0;
    }
    HANDLE* handles[] = {&thread, &wake, &abort_event};
    for (HANDLE* handle : handles)
        if (*handle) {
            CloseHandle(*handle);
            *handle = nullptr;
        }
    state.held = hold_none;
    return 1;
}

void PortWriter::abort()
{
    end_transfer(0);
}

// Empties the queue and ends the transfer under way; with `quit` the
// thread ends too.
void PortWriter::end_transfer(int32_t quit)
{
    enter();
    if (thread) {
        quitting |= quit;
        drop_queue();
        SetEvent(abort_event);
        SetEvent(wake);
    }
    leave();
}

// Called with the lock held. A file still waiting counts as stopped.
void PortWriter::drop_queue()
{
    state.replies_done += static_cast<uint32_t>(jobs.clear());
    repeat_busy = 0;
    if (state.file_state == file_going && !sending_file)
        state.file_state = file_stopped;
}

int PortWriter::queue(const void* data, int length, int repeat, int reply)
{
    if (!data || length <= 0 || length > send_job_bytes)
        return 0;
    return push(nullptr, data, length, repeat, reply) ? length : 0;
}

int PortWriter::queue_file(HANDLE file)
{
    if (push(file, "", 0, 0, 0))
        return 1;
    CloseHandle(file);
    return 0;
}

// Fills the queue's next slot in place: a command's bytes, or a file.
int PortWriter::push(HANDLE file, const void* data, int length, int repeat, int reply)
{
    enter();
    SendJob* job = thread && !quitting && !(repeat && repeat_busy) ? jobs.add() : nullptr;
    if (job) {
        job->file = file;
        job->repeat = repeat;
        job->reply = reply;
        job->length = length;
        CopyMemory(job->bytes, data, static_cast<SIZE_T>(length));
        repeat_busy |= repeat;
        if (file) {
            state.file_state = file_going;
            state.file_sent = 0;
        }
        SetEvent(wake);
    }
    leave();
    return job != nullptr;
}

void PortWriter::progress(SendProgress& out)
{
    enter();
    out = state;
    leave();
}

bool PortWriter::idle()
{
    enter();
    bool nothing = !working && jobs.empty();
    leave();
    return nothing;
}

DWORD WINAPI PortWriter::thread_main(LPVOID writer)
{
    static_cast<PortWriter*>(writer)->run();
    return 0;
}

// The writer thread: one job at a time until stop.
void PortWriter::run()
{
    for (;;) {
        enter();
        // An abort asked for before this job was taken emptied the queue
        // already; it must not end this job too.
        bool got = !quitting && jobs.pop(job);
        if (got) {
            ResetEvent(abort_event);
            sending_file = job.file != nullptr;
        }
        working = got;
        bool quit = quitting != 0;
        leave();
        if (quit)
            return;
        if (!got) {
            WaitForSingleObject(wake, INFINITE);
            continue;
        }
        halted = 0;
        last_byte = 0;
        if (job.file) {
            send_file(job.file);
        } else {
            DWORD sent = send_bytes(job.bytes, static_cast<DWORD>(job.length), false);
            enter();
            if (job.repeat)
                repeat_busy = 0;
            if (job.reply)
                ++state.replies_done;
            if (sent < static_cast<DWORD>(job.length)) {
                ++state.cut_count;
                state.cut_sent = static_cast<int32_t>(sent);
                state.cut_length = job.length;
            }
            leave();
            if (sent < static_cast<DWORD>(job.length) || job.reply)
                tell(port_event_sending);
        }
        // Nothing more goes through a port whose driver keeps a write.
        if (write_left)
            return;
        // The pause after a line end also keeps the next job back.
        if (is_line_end(last_byte))
            pause(line_delay_ms);
    }
}

// Sends the file in pieces, never holding more than one piece of it.
void PortWriter::send_file(HANDLE file)
{
    uint64_t sent = 0;
    DWORD start = GetTickCount();
    bool whole = false;
    while (!halted) {
        DWORD got = 0;
        if (!ReadFile(file, piece, sizeof piece, &got, nullptr))
            break;
        if (got == 0) {
            whole = true;
            break;
        }
        keep_to_line_rate(sent, start);
        sent += send_bytes(piece, got, true);
    }
    CloseHandle(file);
    enter();
    sending_file = 0;
    state.file_state = whole && !halted ? file_sent_whole : file_stopped;
    leave();
    tell(port_event_sending);
}

// Unpaced, the driver is handed no more than the line has carried since the
// start plus one piece: a port that takes bytes faster than its rate (a
// pseudo-terminal) still sends the file in its line time, and a real port
// always has the next piece waiting.
void PortWriter::keep_to_line_rate(uint64_t sent, DWORD start)
{
    if (char_delay_ms || line_delay_ms || sent <= sizeof piece)
        return;
    int bit_ms = static_cast<int>(frame_bits * 1000u);
    // What the line has carried since the start; MulDiv's -1 for a result
    // past 32 bits (days into a transfer) waits no more.
    int carried = MulDiv(static_cast<int>(GetTickCount() - start), static_cast<int>(baud), bit_ms);
    uint64_t ahead = sent - sizeof piece;
    if (carried >= 0 && ahead > static_cast<uint64_t>(carried))
        pause(MulDiv(static_cast<int>(ahead - static_cast<uint64_t>(carried)), bit_ms,
                     static_cast<int>(baud)));
}

// Sends `length` bytes, paced when a delay is set; returns how many went
// out. A file's bytes (`whole`) are waited for however long the line is
// held; a command is given up once a write has waited past its bound.
DWORD PortWriter::send_bytes(const char* data, DWORD length, bool whole)
{
    DWORD sent = 0;
    bool paced = char_delay_ms || line_delay_ms;
    if (paced)
        pacer.begin();
    while (sent < length && !halted) {
        DWORD count = paced ? 1 : length - sent;
        if (paced && (last_byte == '\n' || (last_byte == '\r' && data[sent] != '\n')) &&
            !pacer.wait(line_delay_ms, abort_event))
            halted = 1;
        if (halted)
            break;
        DWORD limit = whole ? INFINITE : write_grace_ms + count * frame_bits * 1000u / baud;
        DWORD went = transfer(data + sent, count, limit);
        sent += went;
        if (whole)
            count_sent(went);
        if (went < count && !whole)
            break;
        if (went)
            last_byte = data[sent - 1];
        if (paced && went && !pacer.wait(char_delay_ms, abort_event))
            halted = 1;
    }
    if (paced)
        pacer.end();
    return sent;
}

// One overlapped write, waited for in short steps that show what holds the
// line back. Stop, close or the bound drop what the driver still holds;
// the write is always collected before its buffer is used again.
DWORD PortWriter::transfer(const char* data, DWORD length, DWORD limit_ms)
{
    // WriteFile itself resets the event as the transfer begins.
    DWORD done = 0;
    if (WriteFile(port, data, length, &done, overlapped))
        return done;
    if (GetLastError() == ERROR_IO_PENDING) {
        HANDLE events[2] = {overlapped->hEvent, abort_event};
        DWORD start = GetTickCount();
        for (;;) {
            DWORD woke = WaitForMultipleObjects(2, events, FALSE, hold_poll_ms);
            if (woke == WAIT_OBJECT_0)
                break;
            if (woke == WAIT_TIMEOUT && GetTickCount() - start < limit_ms) {
                show_hold();
                continue;
            }
            if (woke != WAIT_TIMEOUT)
                halted = 1;
            PurgeComm(port, PURGE_TXABORT | PURGE_TXCLEAR);
            CancelIo(port);
            break;
        }
        BOOL collected = collect_request(port, *overlapped, done);
        if (!collected && GetLastError() == ERROR_IO_INCOMPLETE) {
            // A driver that keeps a cancelled write has lost its device.
            write_left = 1;
            halted = 1;
            InterlockedExchange(lost, 1);
            tell(port_event_lost);
            return 0;
        }
        if (state.held != hold_none) {
            state.held = hold_none;
            tell(port_event_sending);
        }
        if (collected)
            return done;
    } else {
        done = 0;
        halted = 1;
    }
    // A failed write ends this job. It means the device is gone only when
    // the port no longer answers either (the window then closes the port,
    // which empties the queue): closing for a driver's passing refusal
    // would pulse DTR and reset boards.
    if (means_device_gone(GetLastError())) {
        halted = 1;
        COMSTAT status;
        if (!read_status(status)) {
            InterlockedExchange(lost, 1);
            tell(port_event_lost);
        }
    }
    return done;
}

void PortWriter::pause(int32_t ms)
{
    if (ms > 0 && WaitForSingleObject(abort_event, static_cast<DWORD>(ms)) == WAIT_OBJECT_0)
        halted = 1;
}

// Asks the driver how the line is; the errors it reports, which that
// clears, are counted here. False when the port did not answer.
bool PortWriter::read_status(COMSTAT& status)
{
    DWORD errors = 0;
    if (!ClearCommError(port, &errors, &status))
        return false;
    if (line_errors && count_line_errors(errors, line_errors))
        tell(port_event_line);
    return true;
}

void PortWriter::show_hold()
{
    COMSTAT status;
    if (!read_status(status))
        return;
    int32_t held = status.fCtsHold ? hold_cts
                   : status.fXoffHold ? hold_xoff
                   : status.fDsrHold  ? hold_dsr
                                      : hold_none;
    if (held != state.held) {
        state.held = held;
        tell(port_event_sending);
    }
}

void PortWriter::count_sent(DWORD count)
{
    enter();
    state.file_sent += count;
    leave();
}
