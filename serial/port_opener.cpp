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

int open_line(const PortSettings& settings, OpenedLine& opened)
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
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
            failure = OpenFailure::in_use;
        else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
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
    volatile LONG done = 0;
    volatile LONG holders = 2;

    void let_go()
    {
        if (InterlockedDecrement(&holders) == 0) {
            release_line(result);
            delete this;
        }
    }
    static DWORD WINAPI run(LPVOID parameter)
    {
        Attempt* self = static_cast<Attempt*>(parameter);
        open_line(self->settings, self->result);
        InterlockedExchange(&self->done, 1);
        self->let_go();
        return 0;
    }
};

int PortOpener::start(const PortSettings& settings)
{
    abandon();
    attempt = new Attempt;
    if (!attempt)
        return 0;
    attempt->settings = settings;
    HANDLE thread = CreateThread(nullptr, 0, Attempt::run, attempt, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    else
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
    if (attempt)
        attempt->let_go();
    attempt = nullptr;
}
