#pragma once
#include <windows.h>
#include <cstdint>
#include "serial/line_settings.h"
#include "serial/port_notifier.h"
#include "serial/port_opener.h"
#include "serial/port_settings.h"
#include "serial/port_writer.h"

// The program's one connection to a serial port. While the port is open a
// reader thread keeps one overlapped read going and gathers what arrives in
// a ring, so the driver's queue stays near empty however seldom the window
// looks; `read` and `bytes_waiting` serve the window from that ring. The
// reader also watches the line: its input signals and errors are kept for
// the window to show. What is sent goes through the writer's queue, so no
// caller waits on the line.
class SerialChannel {
public:
    SerialChannel();
    ~SerialChannel();
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    // Opens and configures the whole line on the caller's thread; 1 when
    // open (also when it already was, in which case the settings are not
    // applied), 0 when it failed (`failure` then says why).
    // `settings.Speed` is a speed table index here; a valid `Port` or `Baud`
    // wins over `Comm` or `Speed`.
    int open(const PortSettings& settings);
    // Takes over a port that `open_line` opened (on any thread) and starts
    // reading and writing it; 1 when open. On failure everything `opened`
    // held is closed. While the driver of the last port still keeps a
    // request it was told to cancel, or a thread of it has not ended,
    // nothing opens (OpenFailure::stuck); each try looks again.
    int adopt(OpenedLine& opened);
    // Ends the writer (the transfer under way dropped, the queue emptied) and
    // the reader (its read cancelled and collected, whatever it brought kept
    // for `read`), then releases the port and its events; does nothing when
    // not open. Waits for the driver no longer than cancel_wait_ms: 0 when
    // it kept a request it was told to cancel (or a thread did not end),
    // which is then left to it with the port's handle; else 1.
    int close();
    // Queues one byte; 1 when it was queued.
    int write_byte(uint8_t byte);
    // Queues `length` bytes (at most send_job_bytes) to go out as one
    // command; returns `length`, or 0 when the port is not open or lost, the
    // length is out of range or the queue is full. A `reply`'s end is
    // counted in the writer's replies_done.
    int write(const void* data, int length, int reply = 0);
    // Received bytes gathered and not yet read (kept across a close).
    int bytes_waiting();
    // Takes up to `max` gathered bytes into `buffer` (not terminated), oldest
    // first; returns the count, 0 when nothing waits.
    int read(void* buffer, int max);
    // Nonzero once a poll, read or write failed because the device is gone
    // (a removed adapter); cleared by the next successful open. A write that
    // only timed out does not count.
    int lost() const { return lost_state != 0; }

    // The line of the open port (line_control.cpp). `apply_line` gives it
    // new settings without closing it, keeping DTR and RTS as they are
    // unless RTS/CTS flow control takes RTS; 1 when the driver took them or
    // nothing changed, 0 when it refused them (the old line stays).
    int apply_line(const PortSettings& settings);
    int dtr_on() const { return applied_line.fDtrControl == DTR_CONTROL_ENABLE; }
    int rts_on() const { return applied_line.fRtsControl != RTS_CONTROL_DISABLE; }
    int rts_by_handshake() const { return applied_line.fRtsControl == RTS_CONTROL_HANDSHAKE; }
    // Switch DTR or RTS on the open port; 1 when the driver did.
    int set_dtr(int on);
    int set_rts(int on);
    // Holds or ends a break on the line; 1 when the driver did.
    int set_break(int on);

    HANDLE handle = nullptr;
    OVERLAPPED read_overlapped = {};
    OVERLAPPED write_overlapped = {};
    int32_t is_open = 0;
    HANDLE reader = nullptr;  // the reader thread while the port is open
    PortWriter writer;        // the writer thread and its queue
    // The port number and the line as last applied.
    int32_t port_number = 0;
    DCB applied_line = {};
    // Why the last `open` failed.
    OpenFailure failure = OpenFailure::none;
    DWORD failure_error = 0;

    // What the reader saw on the line since the port opened: the input
    // signals that are on (MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON);
    // the times the driver reported framing, parity, overrun and break
    // errors; the bytes it had to drop with the ring full; and the reads
    // that failed without the device being gone.
    volatile LONG modem_status = 0;
    volatile LONG line_errors[4] = {};
    volatile LONG bytes_dropped = 0;
    volatile LONG read_errors = 0;
    // Tells the window of new signals, errors, a loss and the writer's news.
    PortNotifier notifier;
    // Nonzero while the window answers what arrives as it comes (a file
    // transfer): the reader then reads again at once after bytes came,
    // rather than letting more gather, and tells of them (port_event_received).
    volatile LONG tell_received = 0;

    // Takes back what a close left to the driver or to a thread, once they
    // are done with it; 1 when nothing is left. Each open calls it, and the
    // window on its tick, so the port is not held longer than need be.
    int let_go_of_left();

private:
    void release_handles();
    int requests_left() const;
    static DWORD WINAPI reader_main(LPVOID channel);
    // The reader thread's parts (port_reader.cpp).
    void read_port();
    void read_until_stopped(HANDLE line_event);
    DWORD read_into(uint8_t* buffer, DWORD size, DWORD& got);
    int watch_line(DWORD* queued = nullptr);
    int rest(DWORD ms, HANDLE line_event);
    int stop_reader();

    HANDLE stop_event = nullptr;
    // The reader's wait for changes of the line.
    OVERLAPPED line_wait = {};
    DWORD line_mask = 0;
    // What a close left to a driver that kept a cancelled request or to a
    // thread that did not end: the port's handle and its number (the
    // reader's handle, its events and the ring stay too, until
    // let_go_of_left finds them done with).
    HANDLE left_port = nullptr;
    int32_t left_port_number = 0;
    // The reader's requests the driver kept after their cancel.
    enum : LONG { kept_read = 1, kept_line_wait = 2 };
    volatile LONG requests_kept = 0;
    uint8_t* ring = nullptr;  // ring_size bytes, from the first open on
    DWORD ring_in = 0;        // where the reader puts the next byte
    DWORD ring_out = 0;       // where `read` takes the next byte
    volatile LONG filled = 0;
    int32_t modem_status_works = 0;  // GetCommModemStatus succeeded on this port
    LONG line_changes = 0;           // new signals or errors seen by the reader
    // Every failure that means the device is gone reports here.
    void mark_lost()
    {
        InterlockedExchange(&lost_state, 1);
        notifier.post(port_event_lost);
    }
    volatile LONG lost_state = 0;
};

// What the reader gathers before the window takes it: over five seconds at
// twice 921600 baud, so a busy window never makes the device wait.
constexpr DWORD serial_ring_size = 1u << 20;
