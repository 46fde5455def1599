#include "serial/serial_channel.h"

namespace {

// Advice to the driver; enough for a third of a second at 1843200 baud.
const DWORD queue_size = 65536;
// What the reader gathers before the window takes it: over five seconds at
// twice 921600 baud, so a busy window never makes the device wait.
const DWORD ring_size = 1u << 20;
// The reader's pause after each read. The pseudo-terminals and USB drivers
// seen buffer some 16 KB, which lasts about 90 ms at 1843200 baud; reading
// every 10 ms keeps them near empty, costs little, and lets bytes gather so a
// fast stream is taken in a few large reads instead of many small ones.
const DWORD read_pause_ms = 10;

BYTE parity_for_index(int index)
{
    // 1 odd, 2 even, 3 mark, 4 space: the same numbers as the DCB's.
    return index >= ODDPARITY && index <= SPACEPARITY ? static_cast<BYTE>(index) : NOPARITY;
}

BYTE data_bits_for_index(int index)
{
    return index == 1 ? 7 : 8;
}

BYTE stop_bits_for_index(int index)
{
    if (index == 1)
        return ONE5STOPBITS;
    if (index == 2)
        return TWOSTOPBITS;
    return ONESTOPBIT;
}

// Sets every field of the line, so that nothing a program left on the port
// before (flow control, abort-on-error, a dropped DTR) keeps it from working.
void set_whole_line(DCB& dcb, const PortSettings& settings)
{
    DWORD baud = static_cast<DWORD>(settings.Baud);
    dcb.BaudRate = baud >= 50 && baud <= 4000000 ? baud : baud_rate_for_index(settings.Speed);
    dcb.Parity = parity_for_index(settings.Parity);
    dcb.ByteSize = data_bits_for_index(settings.ByteSize);
    dcb.StopBits = stop_bits_for_index(settings.StopBits);
    bool rts_cts = settings.Flow == 1;
    bool xon_xoff = settings.Flow == 2;
    dcb.fBinary = TRUE;
    dcb.fParity = dcb.Parity != NOPARITY;
    dcb.fOutxCtsFlow = rts_cts;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = xon_xoff;
    dcb.fInX = xon_xoff;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = rts_cts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
}

// Whether a failed transfer or poll means the device is gone. Our own
// cancel after a wait and a driver time-out are not; with abort-on-error
// off, every other failure is.
bool means_device_gone(DWORD error)
{
    return error != ERROR_OPERATION_ABORTED && error != ERROR_COUNTER_TIMEOUT &&
           error != ERROR_IO_PENDING;
}

}  // namespace

DWORD baud_rate_for_index(int index)
{
    static const DWORD rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    if (index < 0 || index >= static_cast<int>(sizeof rates / sizeof rates[0]))
        return 9600;
    return rates[index];
}

int port_number_for_index(int comm)
{
    return comm >= 0 && comm <= 3 ? comm + 1 : 2;
}

int port_number_for(const PortSettings& settings)
{
    if (settings.Port >= 1 && settings.Port <= 256)
        return settings.Port;
    return port_number_for_index(settings.Comm);
}

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

    // The device-namespace form reaches COM10 and above too.
    char name[16];
    int number = port_number_for(settings);
    wsprintfA(name, "\\\\.\\COM%d", number);

    handle = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        handle = nullptr;
        return 0;
    }
    read_overlapped = OVERLAPPED{};
    write_overlapped = OVERLAPPED{};

    // A read returns at once with whatever has already arrived.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = 5000;
    SetCommTimeouts(handle, &timeouts);

    read_overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    write_overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!ring)
        ring = static_cast<uint8_t*>(HeapAlloc(GetProcessHeap(), 0, ring_size));

    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    GetCommState(handle, &dcb);
    set_whole_line(dcb, settings);

    // Large queues keep a fast device from overrunning the driver, but they
    // are only advice: a driver that refuses them still works with its own.
    if (SetCommState(handle, &dcb) && read_overlapped.hEvent && write_overlapped.hEvent &&
        stop_event && ring) {
        SetupComm(handle, queue_size, queue_size);
        InterlockedExchange(&lost_state, 0);
        reader = CreateThread(nullptr, 0, reader_main, this, 0, nullptr);
        if (reader && writer.start(handle, &write_overlapped, dcb, &lost_state)) {
            is_open = 1;
            port_number = number;
            applied_line = dcb;
            return 1;
        }
        stop_reader();
    }
    release_handles();
    return 0;
}

int SerialChannel::close()
{
    if (!is_open || !handle)
        return 1;
    writer.stop();
    stop_reader();
    release_handles();
    return 1;
}

// The reader cancels and collects its own read on the way out, so once it has
// ended no transfer can write into the ring or use read_overlapped.
void SerialChannel::stop_reader()
{
    if (!reader)
        return;
    SetEvent(stop_event);
    WaitForSingleObject(reader, INFINITE);
    CloseHandle(reader);
    reader = nullptr;
}

DWORD WINAPI SerialChannel::reader_main(LPVOID channel)
{
    static_cast<SerialChannel*>(channel)->read_port();
    return 0;
}

// The reader thread: one read at a time into the ring's free space, until
// close asks it to stop or the device is gone. It touches no window.
void SerialChannel::read_port()
{
    for (;;) {
        DWORD room = ring_size - static_cast<DWORD>(filled);
        if (ring_size - ring_in < room)
            room = ring_size - ring_in;
        DWORD got = 0;
        if (room) {
            ResetEvent(read_overlapped.hEvent);
            if (!ReadFile(handle, ring + ring_in, room, &got, &read_overlapped)) {
                DWORD error = GetLastError();
                if (error != ERROR_IO_PENDING) {
                    if (means_device_gone(error))
                        mark_lost();
                    return;
                }
                HANDLE events[] = {read_overlapped.hEvent, stop_event};
                if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0)
                    CancelIo(handle);
                // A cancelled read still reports the bytes it had taken.
                if (!GetOverlappedResult(handle, &read_overlapped, &got, TRUE) &&
                    means_device_gone(GetLastError()))
                    mark_lost();
            }
            ring_in = (ring_in + got) % ring_size;
            InterlockedExchangeAdd(&filled, static_cast<LONG>(got));
        }
        if (lost_state || WaitForSingleObject(stop_event, read_pause_ms) == WAIT_OBJECT_0)
            return;
    }
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

int SerialChannel::write(const void* data, int length)
{
    return is_open && !lost_state ? writer.queue(data, length, 0) : 0;
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
    DWORD first = ring_size - ring_out;
    if (first > count)
        first = count;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    CopyMemory(out, ring + ring_out, first);
    CopyMemory(out + first, ring, count - first);
    ring_out = (ring_out + count) % ring_size;
    InterlockedExchangeAdd(&filled, -static_cast<LONG>(count));
    return static_cast<int>(count);
}
