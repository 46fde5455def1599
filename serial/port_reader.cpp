// The reader thread: it keeps the driver's queue near empty, gathering what
// arrives in the ring, watches the line's signals and errors, and tells the
// window when the device is gone. It touches no window.
#include "serial/serial_channel.h"
#include "serial/cancelled_request.h"
#include "serial/line_errors.h"

namespace {

// The pause after each read while bytes come. The pseudo-terminals and USB
// drivers seen buffer some 16 KB, which lasts about 90 ms at 1843200 baud;
// reading every 10 ms keeps them near empty, costs little, and lets bytes
// gather so a fast stream is taken in a few large reads.
const DWORD busy_pause_ms = 10;
// Once nothing has come for a second the reader looks ten times a second;
// the driver's queue holds what comes meanwhile.
const DWORD quiet_after_ms = 1000;
const DWORD quiet_pause_ms = 100;
// Drivers copy each read's buffer into their own memory: no read asks for more.
const DWORD largest_read = 65536;
// Reads that fail while the port still answers are tried again, waiting
// twice as long each time up to this.
const DWORD longest_retry_ms = 1000;

}  // namespace

// The reader cancels and collects its own read on the way out, so once it has
// ended no transfer can write into the ring or use read_overlapped, unless
// the driver kept a request it was told to cancel (requests_left says so).
// 0 when the reader did not end in time: it is left running, with all it
// uses.
int SerialChannel::stop_reader()
{
    if (!reader)
        return 1;
    SetEvent(stop_event);
    // A reader left running keeps its handle, so that it is seen to end.
    if (WaitForSingleObject(reader, thread_end_wait_ms) != WAIT_OBJECT_0)
        return 0;
    CloseHandle(reader);
    reader = nullptr;
    return 1;
}

DWORD WINAPI SerialChannel::reader_main(LPVOID channel)
{
    static_cast<SerialChannel*>(channel)->read_port();
    return 0;
}

// One overlapped read of at most `size` bytes: 0 when it completed, else its
// error. A read still pending when close asks the reader to stop is
// cancelled and collected; the bytes it had taken are kept in `got`.
DWORD SerialChannel::read_into(uint8_t* buffer, DWORD size, DWORD& got)
{
    got = 0;
    ResetEvent(read_overlapped.hEvent);
    if (ReadFile(handle, buffer, size, &got, &read_overlapped))
        return 0;
    DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING)
        return error;
    // A driver that holds the read until bytes come (Wine's does) still
    // lets the reader look at the line ten times a second.
    HANDLE events[] = {read_overlapped.hEvent, stop_event};
    DWORD woke;
    while ((woke = WaitForMultipleObjects(2, events, FALSE, quiet_pause_ms)) == WAIT_TIMEOUT)
        watch_line();
    if (woke != WAIT_OBJECT_0)
        CancelIo(handle);
    if (collect_request(handle, read_overlapped, got))
        return 0;
    error = GetLastError();
    if (error == ERROR_IO_INCOMPLETE)
        InterlockedOr(&requests_kept, kept_read);
    return error;
}

// Reads the line's errors and input signals for the window, and how many
// bytes wait in the driver; 0 when the port did not answer (ClearCommError
// failed, or GetCommModemStatus failed where it worked before: some drivers
// never report modem lines).
int SerialChannel::watch_line(DWORD* queued)
{
    DWORD errors = 0;
    COMSTAT status;
    if (!ClearCommError(handle, &errors, &status))
        return 0;
    if (queued)
        *queued = status.cbInQue;
    if (count_line_errors(errors, line_errors)) {
        ++line_changes;
        notifier.post(port_event_line);
    }
    DWORD signals = 0;
    if (!GetCommModemStatus(handle, &signals))
        return !modem_status_works;
    modem_status_works = 1;
    LONG on = static_cast<LONG>(signals & (MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON));
    if (InterlockedExchange(&modem_status, on) != on) {
        ++line_changes;
        notifier.post(port_event_line);
    }
    return 1;
}

// Rests `ms` or until close asks the reader to stop (then 1). Where the
// driver reports changes of the line (WaitCommEvent), a byte arriving ends
// the rest at once and a new signal or error is seen at once; a driver that
// reports changes that did not happen (Wine's) is simply waited out.
int SerialChannel::rest(DWORD ms, HANDLE line_event)
{
    DWORD start = GetTickCount();
    HANDLE events[] = {stop_event, line_event};
    DWORD left = ms;
    while (line_event) {
        line_wait = OVERLAPPED{};
        line_wait.hEvent = line_event;
        ResetEvent(line_event);
        if (!WaitCommEvent(handle, &line_mask, &line_wait) && GetLastError() != ERROR_IO_PENDING)
            break;
        DWORD woke = WaitForMultipleObjects(2, events, FALSE, left);
        if (woke != WAIT_OBJECT_0 + 1)
            CancelIo(handle);
        DWORD ignored = 0;
        if (!collect_request(handle, line_wait, ignored) && GetLastError() == ERROR_IO_INCOMPLETE) {
            // A driver that keeps a cancelled wait has lost its device.
            InterlockedOr(&requests_kept, kept_line_wait);
            if (woke != WAIT_OBJECT_0)
                mark_lost();
            return 1;
        }
        if (woke != WAIT_OBJECT_0 + 1)
            return woke == WAIT_OBJECT_0;
        LONG changes = line_changes;
        DWORD queued = 0;
        watch_line(&queued);
        DWORD spent = GetTickCount() - start;
        if (queued || spent >= ms)
            return 0;
        if (line_changes == changes)
            break;
        left = ms - spent;
    }
    DWORD spent = GetTickCount() - start;
    return WaitForSingleObject(stop_event, spent < ms ? ms - spent : 0) == WAIT_OBJECT_0;
}

// Reads into the ring's free space until close asks the reader to stop or the
// device is gone. A failed read means the device is gone only when the port
// no longer answers either; a read the driver aborted once is simply read
// again, and other failures are counted and tried again after a pause.
void SerialChannel::read_port()
{
    // Where the driver can tell of changes, a quiet line is rested on them.
    HANDLE line_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (line_event && !SetCommMask(handle, EV_RXCHAR | EV_CTS | EV_DSR | EV_RLSD | EV_RING |
                                               EV_ERR | EV_BREAK)) {
        CloseHandle(line_event);
        line_event = nullptr;
    }
    read_until_stopped(line_event);
    if (line_event)
        CloseHandle(line_event);
}

void SerialChannel::read_until_stopped(HANDLE line_event)
{
    // Bytes read while the ring is full, counted and dropped.
    uint8_t spill[8192];
    DWORD last_bytes = GetTickCount();
    DWORD retry_ms = 0;
    int aborted = 0;
    watch_line();
    for (;;) {
        DWORD room = serial_ring_size - static_cast<DWORD>(filled);
        if (serial_ring_size - ring_in < room)
            room = serial_ring_size - ring_in;
        if (room > largest_read)
            room = largest_read;
        // With flow control a full driver queue holds the device back, so a
        // full ring leaves the bytes there; without it the driver would drop
        // them, so they are taken and counted instead.
        bool held = applied_line.fRtsControl == RTS_CONTROL_HANDSHAKE || applied_line.fInX;
        DWORD got = 0, error = 0;
        if (room)
            error = read_into(ring + ring_in, room, got);
        else if (!held)
            error = read_into(spill, sizeof spill, got);
        bool telling = tell_received != 0;
        if (room) {
            ring_in = (ring_in + got) % serial_ring_size;
            InterlockedExchangeAdd(&filled, static_cast<LONG>(got));
            if (got && telling)
                notifier.post(port_event_received);
        } else {
            InterlockedExchangeAdd(&bytes_dropped, static_cast<LONG>(got));
            if (got)
                notifier.post(port_event_line);
        }
        if (WaitForSingleObject(stop_event, 0) == WAIT_OBJECT_0)
            return;
        // The read is left with a driver that does not give it back.
        if (error == ERROR_IO_INCOMPLETE) {
            mark_lost();
            return;
        }
        if (error == ERROR_OPERATION_ABORTED && !aborted) {
            aborted = 1;
            continue;
        }
        aborted = 0;
        DWORD pause = busy_pause_ms;
        if (error && error != ERROR_COUNTER_TIMEOUT) {
            if (!watch_line()) {
                mark_lost();
                return;
            }
            InterlockedIncrement(&read_errors);
            notifier.post(port_event_line);
            retry_ms = retry_ms ? retry_ms * 2 : busy_pause_ms;
            if (retry_ms > longest_retry_ms)
                retry_ms = longest_retry_ms;
            pause = retry_ms;
        } else {
            retry_ms = 0;
            // A device can go with reads still returning nothing: the port
            // then no longer answers the check.
            if (!watch_line()) {
                mark_lost();
                return;
            }
            DWORD now = GetTickCount();
            if (got)
                last_bytes = now;
            else if (now - last_bytes >= quiet_after_ms)
                pause = quiet_pause_ms;
            // An answer waits for no more bytes: the next read begins at
            // once (a driver that holds a read until bytes come ends it when
            // they do), and a read that found nothing rests on the line's
            // changes, which end the rest when a byte comes.
            if (telling && got)
                continue;
        }
        if (rest(pause, pause == quiet_pause_ms || telling ? line_event : nullptr))
            return;
    }
}
