#pragma once
#include <windows.h>
#include <cstdint>
#include "serial/port_settings.h"

// The program's one connection to a serial port. Every transfer is
// overlapped and waited for at once, on the GUI thread; each wait is bounded.
class SerialChannel {
public:
    SerialChannel();
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    // Opens and configures the port; 1 when open (also when it already was).
    // `settings.Speed` is a speed table index here.
    int open(const PortSettings& settings);
    // Releases the port and its events; does nothing when not open.
    int close();
    // Sends one byte; 1 when it went out, 0 when it could not be sent in time.
    int write_byte(uint8_t byte);
    // Sends `length` bytes one by one; returns how many went out (0 when the
    // port is not open or the length is not positive).
    int write(const void* data, int length);
    // Received bytes queued in the driver; 0 when not open.
    int bytes_waiting();
    // Reads up to `max` waiting bytes into `buffer` (not terminated).
    int read(void* buffer, int max);

    HANDLE handle = nullptr;
    OVERLAPPED read_overlapped = {};
    OVERLAPPED write_overlapped = {};
    int32_t is_open = 0;
};

// Baud rate for a speed table index (9600 for any index outside the table).
DWORD baud_rate_for_index(int index);
