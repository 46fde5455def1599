#include "serial/serial_channel.h"

namespace {

const DWORD write_wait_ms = 1000;

// Whether a failed transfer or poll means the device is gone. Our own
// cancel after a wait and a driver time-out are not; with abort-on-error
// off, every other failure is.
bool means_device_gone(DWORD error)
{
    return error != ERROR_OPERATION_ABORTED && error != ERROR_COUNTER_TIMEOUT &&
           error != ERROR_IO_PENDING;
}

}  // namespace

SerialChannel::SerialChannel() = default;

SerialChannel::~SerialChannel()
{
    close();
    if (ring)
        HeapFree(GetProcessHeap(), 0, ring);
}

int SerialChannel::open(const PortSettings& settings)
{
    if (is_open)
        return 1;
    OpenedLine opened;
    open_line(settings, opened);
    return adopt(opened);
}

int SerialChannel::adopt(OpenedLine& opened)
{
    failure = opened.failure;
    failure_error = opened.error;
    if (is_open || !opened.handle) {
        release_line(opened);
        return is_open;
    }
    if (!ring)
        ring = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, serial_ring_size));
    handle = opened.handle;
    read_overlapped = OVERLAPPED{};
    write_overlapped = OVERLAPPED{};
    read_overlapped.hEvent = opened.read_event;
    write_overlapped.hEvent = opened.write_event;
    stop_event = opened.stop_event;
    port_number = opened.port_number;
    applied_line = opened.line;
    opened = OpenedLine{};
    InterlockedExchange(&lost_state, 0);
    modem_status = 0;
    for (volatile LONG& count : line_errors)
        count = 0;
    bytes_dropped = 0;
    read_errors = 0;
    modem_status_works = 0;
    reader = ring ? CreateThread(nullptr, 0, reader_main, this, 0, nullptr) : nullptr;
    if (reader) {
        is_open = 1;
        return 1;
    }
    failure = OpenFailure::other;
    failure_error = GetLastError();
    release_handles();
    return 0;
}

int SerialChannel::close()
{
    if (!is_open || !handle)
        return 1;
    stop_reader();
    release_handles();
    return 1;
}

void SerialChannel::release_handles()
{
    if (read_overlapped.hEvent) {
        CloseHandle(read_overlapped.hEvent);
        read_overlapped.hEvent = nullptr;
    }
    if (write_overlapped.hEvent) {
        CloseHandle(write_overlapped.hEvent);
        write_overlapped.hEvent = nullptr;
    }
    if (stop_event) {
        CloseHandle(stop_event);
        stop_event = nullptr;
    }
    if (handle) {
        CloseHandle(handle);
        handle = nullptr;
    }
    is_open = 0;
}

namespace {

// How long the line itself needs for `length` bytes at the port's rate:
// start bit, data bits, parity and stop bits per byte, rounded up.
DWORD line_time_ms(HANDLE port, int length)
{
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port, &dcb) || dcb.BaudRate == 0)
        return 0;
    DWORD frame_bits = 1u + dcb.ByteSize + (dcb.Parity != NOPARITY ? 1u : 0u) +
                       (dcb.StopBits == ONESTOPBIT ? 1u : 2u);
    // Commands are short; a huge length is bounded so the product fits.
    DWORD bytes = length < 100000 ? static_cast<DWORD>(length) : 100000u;
    DWORD bits = bytes * frame_bits;
    return bits * 100u / (dcb.BaudRate / 10u + 1u) + 1u;
}

}  // namespace

int SerialChannel::write_byte(uint8_t byte)
{
    return write(&byte, 1) == 1 ? 1 : 0;
}

// The whole text goes to the driver in one transfer, so that a USB adapter
// sends it without gaps between the characters.
int SerialChannel::write(const void* data, int length)
{
    if (!is_open || !handle || !data || length <= 0)
        return 0;
    // The event is manual-reset: clear it so that only this transfer's
    // completion can end the wait.
    ResetEvent(write_overlapped.hEvent);
    DWORD written = 0;
    if (WriteFile(handle, data, static_cast<DWORD>(length), &written, &write_overlapped))
        return static_cast<int>(written);
    DWORD error = GetLastError();
    if (error != ERROR_IO_PENDING) {
        if (means_device_gone(error))
            mark_lost();
        return 0;
    }
    DWORD wait_ms = write_wait_ms + line_time_ms(handle, length);
    if (WaitForSingleObject(write_overlapped.hEvent, wait_ms) == WAIT_OBJECT_0) {
        if (!GetOverlappedResult(handle, &write_overlapped, &written, FALSE) &&
            means_device_gone(GetLastError()))
            mark_lost();
    } else {
        // The caller's buffer must not be read once we return: cancel, then
        // collect. What went out before the cancel is counted.
        CancelIo(handle);
        written = 0;
        GetOverlappedResult(handle, &write_overlapped, &written, TRUE);
    }
    return static_cast<int>(written);
}

int SerialChannel::bytes_waiting()
{
    return static_cast<int>(filled);
}

int SerialChannel::read(void* buffer, int max)
{
    if (!buffer || max <= 0 || !ring)
        return 0;
    DWORD count = static_cast<DWORD>(filled);
    if (static_cast<DWORD>(max) < count)
        count = static_cast<DWORD>(max);
    // The bytes may wrap around the ring's end: copy up to it, then the rest.
    DWORD first = serial_ring_size - ring_out;
    if (first > count)
        first = count;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    CopyMemory(out, ring + ring_out, first);
    CopyMemory(out + first, ring, count - first);
    ring_out = (ring_out + count) % serial_ring_size;
    InterlockedExchangeAdd(&filled, -static_cast<LONG>(count));
    return static_cast<int>(count);
}
