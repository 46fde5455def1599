#pragma once
#include <windows.h>
#include <cstdint>
#include "serial/port_settings.h"
#include "serial/port_writer.h"

// The program's one connection to a serial port. While the port is open a
// reader thread keeps one overlapped read going and gathers what arrives in
// a ring, so the driver's queue stays near empty however seldom the window
// looks; `read` and `bytes_waiting` serve the window from that ring. What is
// sent goes through the writer's queue, so no caller waits on the line.
class SerialChannel {
public:
    SerialChannel();
    ~SerialChannel();
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    // Opens and configures the whole line; 1 when open (also when it already
    // was, in which case the settings are not applied), 0 when it failed.
    // `settings.Speed` is a speed table index here; a valid `Port` or `Baud`
    // wins over `Comm` or `Speed`.
    int open(const PortSettings& settings);
    // Ends the writer (the transfer under way dropped, the queue emptied) and
    // the reader (its read cancelled and collected, whatever it brought kept
    // for `read`), then releases the port and its events; does nothing when
    // not open. Always 1.
    int close();
    // Queues one byte; 1 when it was queued.
    int write_byte(uint8_t byte);
    // Queues `length` bytes (at most send_job_bytes) to go out as one
    // command; returns `length`, or 0 when the port is not open or lost, the
    // length is out of range or the queue is full.
    int write(const void* data, int length);
    // Received bytes gathered and not yet read (kept across a close).
    int bytes_waiting();
    // Takes up to `max` gathered bytes into `buffer` (not terminated), oldest
    // first; returns the count, 0 when nothing waits.
    int read(void* buffer, int max);
    // Nonzero once a poll, read or write failed because the device is gone
    // (a removed adapter); cleared by the next successful open. A write that
    // only timed out does not count.
    int lost() const { return lost_state != 0; }

    HANDLE handle = nullptr;
    OVERLAPPED read_overlapped = {};
    OVERLAPPED write_overlapped = {};
    int32_t is_open = 0;
    HANDLE reader = nullptr;  // the reader thread while the port is open
    PortWriter writer;        // the writer thread and its queue
    // The port number and the line as last applied by a successful open.
    int32_t port_number = 0;
    DCB applied_line = {};

private:
    void release_handles();
    static DWORD WINAPI reader_main(LPVOID channel);
    void read_port();
    void stop_reader();

    HANDLE stop_event = nullptr;
    uint8_t* ring = nullptr;  // ring_size bytes, from the first open on
    DWORD ring_in = 0;        // where the reader puts the next byte
    DWORD ring_out = 0;       // where `read` takes the next byte
    volatile LONG filled = 0;
    // Every failure that means the device is gone reports here.
    void mark_lost() { InterlockedExchange(&lost_state, 1); }
    volatile LONG lost_state = 0;
};

// Baud rate for a speed table index (9600 for any index outside the table).
DWORD baud_rate_for_index(int index);
// The port number for a port index: 1..4 for 0..3, 2 otherwise.
int port_number_for_index(int comm);
// The port number the settings choose: a valid Port, else the Comm button.
int port_number_for(const PortSettings& settings);
