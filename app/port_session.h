#pragma once
#include <windows.h>
#include <cstdint>
#include "serial/port_opener.h"
#include "serial/port_settings.h"

// The port's life. One state at a time, changed only by the events below.
enum class PortState {
    closed,             // by the user, or never opened
    opening,            // an attempt the user asked for is under way
    open,
    waiting_to_reopen,  // lost (or a quiet reopen failed): the next try is due later
    reopening,          // a quiet attempt after a loss is under way
    failed,             // an open the user asked for failed; tried again only when asked
};

// What the session drives: the opener thread and the channel. The program's
// is the serial channel's (main_dialog.cpp); tests give a fake.
class PortDriver {
public:
    // Starts an attempt at opening `line` off the caller's thread; 0 when
    // none could start.
    virtual int start_open(const PortSettings& line) = 0;
    virtual void abandon_open() = 0;
    // Takes the finished attempt's port; 1 when it is now open, else
    // `failure` and `error` say why.
    virtual int adopt_opened(OpenFailure& failure, DWORD& error) = 0;
    // Gives the open port a new line; 0 when the driver refused it.
    virtual int apply_line(const PortSettings& line) = 0;
    // Closes the open port; 0 when its driver did not let go in time (the
    // channel keeps what the driver still holds and opens nothing until it
    // has).
    virtual int close_channel() = 0;
    // Queues bytes to send; 0 when they could not be queued.
    virtual int write_bytes(const char* bytes, int count) = 0;

protected:
    ~PortDriver() = default;
};

// What became of bytes given to `send`.
enum class SendOutcome { queued, held_for_open, refused };

// Opens, watches and reopens the port: the user's Open and Close, an open
// that ends, a loss, a new line from Port Setup, and commands sent before
// the port is open, which go out in order once it is. After a loss (with
// reopening on) it tries again 1 s later, then 2, 4, ... up to 30 s apart,
// also while the port answers "in use" (a device being re-enumerated). Every
// event takes the time it happened, so a table with a fake clock tests it.
class PortSession {
public:
    explicit PortSession(PortDriver& driver) : driver_(driver) {}
    PortSession(const PortSession&) = delete;
    PortSession& operator=(const PortSession&) = delete;

    PortState state() const { return state_; }
    // The port of the latest attempt, and why the last one failed.
    int port_number() const { return port_number_; }
    OpenFailure failure() const { return failure_; }
    DWORD failure_error() const { return failure_error_; }
    // Why the last attempt failed, naming the port it was for (not the one
    // Port Setup chose since); empty for none. `size` of 160 holds any.
    void describe_failure(char* text, int size) const;
    // How long after the loss (or last try) the next quiet try is due.
    DWORD reopen_wait_ms() const { return reopen_wait_ms_; }
    bool reopening_on() const { return reopen_; }
    void set_reopening(bool on) { reopen_ = on; }

    // The user asks for the port (Open, or a send while closed).
    void open(const PortSettings& line);
    // The attempt under way has ended (its thread said so).
    void opening_finished(DWORD now);
    // The open port's device went away.
    void lost(DWORD now);
    // Time passes: a quiet try is started when one is due.
    void tick(DWORD now);
    // The user closes: any attempt is abandoned, held commands dropped. A
    // driver that does not let go is kept as the reason.
    void close();
    // Port Setup ended with a new line: an attempt under way starts again
    // with it, an open port of the same number takes it in place, a new
    // port number closes the old and opens the new. A port that is not open
    // stays as it is, its reason kept, until the next Open or send opens
    // the new line.
    void line_changed(const PortSettings& line);
    // Sends at once when open; otherwise keeps the bytes (in order, up to
    // held_room bytes) for the open, which it starts when none is under way.
    SendOutcome send(const char* bytes, int count, const PortSettings& line);
    // Commands kept for the open and then refused by the queue, since the
    // last look; a look clears the count.
    int take_dropped_on_open();

    static constexpr DWORD first_reopen_wait_ms = 1000;
    static constexpr DWORD longest_reopen_wait_ms = 30000;
    static constexpr int held_room = 4096;

private:
    void start(const PortSettings& line, bool quietly);
    void close_port();
    void send_held();

    PortDriver& driver_;
    PortState state_ = PortState::closed;
    PortSettings line_ = {};
    int port_number_ = 0;
    OpenFailure failure_ = OpenFailure::none;
    DWORD failure_error_ = 0;
    int failure_port_ = 0;  // the port `failure_` belongs to
    bool reopen_ = true;
    DWORD last_try_ = 0;
    DWORD reopen_wait_ms_ = 0;
    // Commands waiting for the open: each a 16-bit length, then its bytes.
    char held_[held_room] = {};
    int held_used_ = 0;
    int dropped_on_open_ = 0;
};

// Why an open failed, for the status bar: "COM7 is in use by another
// program", "... does not exist", "... refused these line settings", "...
// did not open: Windows error N: " and the system's words for it; for a
// driver that does not let go, `error` is the port it holds: "COM7's driver
// does not answer (it keeps a cancelled request)". Empty for none; cut to
// `size` bytes.
void format_open_failure(char* text, int size, OpenFailure failure, int port, DWORD error);
