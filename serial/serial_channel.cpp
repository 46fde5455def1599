#include "serial/serial_channel.h"


SerialChannel::SerialChannel() = default;

SerialChannel::~SerialChannel()
{
    close();
    if (ring && let_go_of_left())
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
    if (!is_open && !let_go_of_left()) {
        release_line(opened);
        failure = OpenFailure::stuck;
        failure_error = static_cast<DWORD>(left_port_number);
        return 0;
    }
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
    requests_kept = 0;
    writer.line_errors = line_errors;
    reader = ring ? CreateThread(nullptr, 0, reader_main, this, 0, nullptr) : nullptr;
    if (reader && writer.start(handle, &write_overlapped, applied_line, &lost_state, &notifier)) {
        is_open = 1;
        return 1;
    }
    stop_reader();
    failure = OpenFailure::other;
    failure_error = GetLastError();
    release_handles();
    return 0;
}

int SerialChannel::close()
{
    if (!is_open || !handle)
        return 1;
    // Both threads are told at once, so that their waits for the driver
    // run side by side.
    SetEvent(stop_event);
    int ended = writer.stop();
    ended &= stop_reader();
    if (ended && !requests_left()) {
        release_handles();
        return 1;
    }
    // The driver still holds a request, whose OVERLAPPED, event and buffer
    // stay untouched, and the port's handle is kept for it; a thread that
    // did not end keeps every handle it uses. let_go_of_left looks again.
    left_port = handle;
    left_port_number = port_number;
    handle = nullptr;
    is_open = 0;
    return 0;
}

// A request the driver was told to cancel, kept, and has not ended yet. Only
// a request left pending counts: one that failed at once also leaves its
// OVERLAPPED marked pending, with nothing to end it.
int SerialChannel::requests_left() const
{
    return ((requests_kept & kept_read) && !HasOverlappedIoCompleted(&read_overlapped)) ||
           ((requests_kept & kept_line_wait) && !HasOverlappedIoCompleted(&line_wait)) ||
           (writer.write_kept() && !HasOverlappedIoCompleted(&write_overlapped));
}

// 1 when nothing is left to a driver (any more): once both threads have
// ended and the driver has ended what it kept, the port it held and the
// events are released. Costs nothing to call: nothing is waited for.
int SerialChannel::let_go_of_left()
{
    if (!left_port)
        return 1;
    if (reader && WaitForSingleObject(reader, 0) != WAIT_OBJECT_0)
        return 0;
    if (!writer.stop() || requests_left())
        return 0;
    if (reader) {
        CloseHandle(reader);
        reader = nullptr;
    }
    CloseHandle(left_port);
    left_port = nullptr;
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

int SerialChannel::write_byte(uint8_t byte)
{
    return write(&byte, 1);
}

int SerialChannel::write(const void* data, int length, int reply)
{
    return is_open && !lost_state ? writer.queue(data, length, 0, reply) : 0;
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
