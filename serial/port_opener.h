#pragma once
#include <windows.h>
#include <cstdint>
#include "serial/port_notifier.h"
#include "serial/port_settings.h"

// Why an open failed, for the user.
enum class OpenFailure : int32_t {
    none,
    in_use,         // another program holds the port
    missing,        // no such port
    line_refused,   // the driver refused the line settings
    other,          // `error` says why
    stuck,          // the driver of port `error` never ended a cancelled request
};

// A port opened and set up, with what its channel needs, or why it failed.
struct OpenedLine {
    HANDLE handle = nullptr;
    HANDLE read_event = nullptr;
    HANDLE write_event = nullptr;
    HANDLE stop_event = nullptr;
    DCB line = {};
    int32_t port_number = 0;
    OpenFailure failure = OpenFailure::none;
    DWORD error = 0;  // the failing call's error code
};

// Opens the port the settings name (`Speed` a speed table index) and sets up
// its whole line, its time-outs and queues. On failure nothing stays open
// and `opened` says why. May take seconds (a radio link); runs on any thread.
// Once `*abandoned` is set the line is set up with DTR and RTS off.
int open_line(const PortSettings& settings, OpenedLine& opened,
              const volatile LONG* abandoned = nullptr);
// Closes whatever `opened` holds; safe to call twice.
void release_line(OpenedLine& opened);

// Opens a port on a thread of its own so that the caller never waits for the
// driver. The thread posts port_event_opened through the notifier when it is
// done; the caller then `take`s the result. `abandon` leaves an attempt to
// end by itself, closing what it opened. A new attempt at the port of an
// abandoned one still under way waits for it to let go of the port. The
// thread touches nothing but its own attempt. An attempt still under way at
// exit simply ends with the process.
class PortOpener {
public:
    PortOpener() = default;
    ~PortOpener();
    PortOpener(const PortOpener&) = delete;
    PortOpener& operator=(const PortOpener&) = delete;

    // Starts an attempt (abandoning any earlier one); 0, with nothing under
    // way, when there was no memory for it. Without a thread of its own the
    // attempt runs at once.
    int start(const PortSettings& settings, PortNotifier* notifier);
    // Nonzero from `start` until `take` or `abandon`.
    int busy() const { return attempt != nullptr; }
    // Nonzero once the attempt's thread is done with the port.
    int finished() const;
    // The finished attempt's result; the caller then owns what it holds.
    OpenedLine take();
    void abandon();

private:
    struct Attempt;
    Attempt* attempt = nullptr;
    HANDLE last_thread = nullptr;  // the latest attempt's thread
    int last_port = 0;             // and the port it opens
};
