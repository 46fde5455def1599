#include "serial/port_opener.h"
#include "serial/line_settings.h"

namespace {

// Advice to the driver; enough for a third of a second at 1843200 baud.
const DWORD queue_size = 65536;

void close_handle(HANDLE& handle)
{
    if (handle) {
        CloseHandle(handle);
        handle = nullptr;
    }
}

int fail(OpenedLine& opened, OpenFailure failure, DWORD error)
{
    release_line(opened);
    opened.failure = failure;
    opened.error = error;
    return 0;
}

}  // namespace

void release_line(OpenedLine& opened)
{
    close_handle(opened.read_event);
    close_handle(opened.write_event);
    close_handle(opened.stop_event);
    close_handle(opened.handle);
}

int open_line(const PortSettings& settings, OpenedLine& opened, const volatile LONG* abandoned)
{
    opened = OpenedLine{};
    opened.port_number = port_number_for(settings);
    // The device-namespace form reaches COM10 and above too.
    char name[16];
    wsprintfA(name, "\\\\.\\COM%d", opened.port_number);
    HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        OpenFailure failure = OpenFailure::other;
        // A name with no device behind it (an adapter pulled out) says so
        // in several ways; 433 is ERROR_NO_SUCH_DEVICE, which the
        // cross-compiler's headers lack.
        const DWORD no_device[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
                                   ERROR_DEV_NOT_EXIST, 433,
                                   ERROR_DEVICE_NOT_CONNECTED, ERROR_DEVICE_REMOVED};
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
            failure = OpenFailure::in_use;
        for (DWORD gone : no_device)
            if (error == gone)
                failure = OpenFailure::missing;
        return fail(opened, failure, error);
    }
    opened.handle = port;

    // A read returns at once with whatever has already arrived; without
    // that the reader could wait on the driver's own idea of a time-out.
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = 5000;
    if (!SetCommTimeouts(port, &timeouts))
        return fail(opened, OpenFailure::other, GetLastError());

    opened.read_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    opened.write_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    opened.stop_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!opened.read_event || !opened.write_event || !opened.stop_event)
        return fail(opened, OpenFailure::other, GetLastError());

    DCB& dcb = opened.line;
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    set_whole_line(dcb, settings);
    // Nobody waits for this port any more: it opens and closes without
    // raising DTR or RTS, so a board that resets on them is left alone.
    if (abandoned && *abandoned) {
        dcb.fDtrControl = DTR_CONTROL_DISABLE;
        if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
            dcb.fRtsControl = RTS_CONTROL_DISABLE;
    }
    if (!SetCommState(port, &dcb))
        return fail(opened, OpenFailure::line_refused, GetLastError());
    // Large queues keep a fast device from overrunning the driver, but they
    // are only advice: a driver that refuses them still works with its own.
    SetupComm(port, queue_size, queue_size);
    return 1;
}

// One attempt, shared by the caller and the thread; whichever lets go last
// frees it, closing a port nobody took.
struct PortOpener::Attempt {
    PortSettings settings;
    OpenedLine result;
    PortNotifier* notifier = nullptr;
    // An abandoned attempt at the same port that may still hold it: a port is
    // exclusive, so this one waits for that one to let go first.
    HANDLE earlier = nullptr;
    volatile LONG done = 0;
    volatile LONG abandoned = 0;
    volatile LONG holders = 2;

    void let_go()
    {
        if (InterlockedDecrement(&holders) == 0) {
            release_line(result);
            if (earlier)
                CloseHandle(earlier);
            delete this;
        }
    }
    static DWORD WINAPI run(LPVOID parameter)
    {
        Attempt* self = static_cast<Attempt*>(parameter);
        if (self->earlier)
            WaitForSingleObject(self->earlier, INFINITE);
        open_line(self->settings, self->result, &self->abandoned);
        InterlockedExchange(&self->done, 1);
        if (self->notifier && !self->abandoned)
            self->notifier->post(port_event_opened);
        self->let_go();
        return 0;
    }
};

PortOpener::~PortOpener()
{
    if (last_thread)
        CloseHandle(last_thread);
}

int PortOpener::start(const PortSettings& settings, PortNotifier* notifier)
{
    abandon();
    attempt = new Attempt;
    if (!attempt)
        return 0;
    attempt->settings = settings;
    attempt->notifier = notifier;
    int port = port_number_for(settings);
    if (last_thread && last_port == port && WaitForSingleObject(last_thread, 0) == WAIT_TIMEOUT)
        DuplicateHandle(GetCurrentProcess(), last_thread, GetCurrentProcess(), &attempt->earlier,
                        SYNCHRONIZE, FALSE, 0);
    if (last_thread)
        CloseHandle(last_thread);
    last_thread = CreateThread(nullptr, 0, Attempt::run, attempt, 0, nullptr);
    last_port = port;
    if (!last_thread)
        Attempt::run(attempt);
    return 1;
}

int PortOpener::finished() const
{
    return attempt && attempt->done;
}

OpenedLine PortOpener::take()
{
    OpenedLine result = attempt->result;
    attempt->result = OpenedLine{};
    attempt->let_go();
    attempt = nullptr;
    return result;
}

void PortOpener::abandon()
{
    if (attempt) {
        InterlockedExchange(&attempt->abandoned, 1);
        attempt->let_go();
    }
    attempt = nullptr;
}
