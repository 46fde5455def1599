#pragma once
#include <windows.h>
#include <cstdint>
#include "serial/port_settings.h"

// The program's one connection to a serial port. Every transfer is
// overlapped and waited for at once, on the GUI thread; each wait is bounded,
// and a transfer still pending when its wait ends is cancelled and collected
// before the call returns, so no transfer is ever in flight between calls.
class SerialChannel {
public:
    SerialChannel();
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    // Opens and configures the whole line; 1 when open (also when it already
    // was, in which case the settings are not applied), 0 when it failed.
    // `settings.Speed` is a speed table index here; a valid `Port` or `Baud`
    // wins over `Comm` or `Speed`.
    int open(const PortSettings& settings);
    // Releases the port and its events; does nothing when not open. Always 1.
    int close();
    // Sends one byte; 1 when it went out, 0 when it did not (an error, or
    // not taken within 1000 ms).
    int write_byte(uint8_t byte);
    // Sends `length` bytes one by one; returns how many went out (0 when the
    // port is not open or the length is not positive). Stops at the first
    // byte the driver does not take within 1000 ms.
    int write(const void* data, int length);
    // Received bytes queued in the driver; 0 when not open.
    int bytes_waiting();
    // Reads up to `max` waiting bytes into `buffer` (not terminated); returns
    // the count read, 0 when not open or nothing waits.
    int read(void* buffer, int max);
    // Nonzero once a poll, read or write failed because the device is gone
    // (a removed adapter); cleared by the next successful open. A write that
    // only timed out does not count.
    int lost() const { return lost_state != 0; }

    HANDLE handle = nullptr;
    OVERLAPPED read_overlapped = {};
    OVERLAPPED write_overlapped = {};
    int32_t is_open = 0;
    // The port number and the line as last applied by a successful open.
    int32_t port_number = 0;
    DCB applied_line = {};

private:
    enum class ByteOutcome { sent, failed, timed_out };
    ByteOutcome send_one(uint8_t byte);
    // Queued input count through ClearCommError; 0 when the call fails.
    DWORD queued_input();
    void release_handles();
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
