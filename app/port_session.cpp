#include "app/port_session.h"
#include <cstring>
#include "serial/line_settings.h"

void PortSession::start(const PortSettings& line, bool quietly)
{
    line_ = line;
    port_number_ = port_number_for(line);
    state_ = quietly ? PortState::reopening : PortState::opening;
    if (driver_.start_open(line))
        return;
    failure_port_ = port_number_;
    failure_ = OpenFailure::other;
    failure_error_ = ERROR_NOT_ENOUGH_MEMORY;
    held_used_ = 0;
    state_ = PortState::failed;
}

void PortSession::open(const PortSettings& line)
{
    if (state_ == PortState::reopening)
        state_ = PortState::opening;  // the user now waits for it
    if (state_ == PortState::open || state_ == PortState::opening)
        return;
    start(line, false);
}

void PortSession::opening_finished(DWORD now)
{
    if (state_ != PortState::opening && state_ != PortState::reopening)
        return;
    bool quietly = state_ == PortState::reopening;
    failure_port_ = port_number_;
    if (driver_.adopt_opened(failure_, failure_error_)) {
        state_ = PortState::open;
        failure_ = OpenFailure::none;
        send_held();
        return;
    }
    // A device still away, or still held by the system while it comes
    // back, is tried again later.
    if (quietly) {
        last_try_ = now;
        reopen_wait_ms_ = reopen_wait_ms_ * 2 < longest_reopen_wait_ms ? reopen_wait_ms_ * 2
                                                                        : longest_reopen_wait_ms;
        state_ = PortState::waiting_to_reopen;
        return;
    }
    held_used_ = 0;
    state_ = PortState::failed;
}

void PortSession::lost(DWORD now)
{
    if (state_ != PortState::open)
        return;
    close_port();
    held_used_ = 0;
    state_ = PortState::waiting_to_reopen;
    reopen_wait_ms_ = first_reopen_wait_ms;
    last_try_ = now;
}

void PortSession::tick(DWORD now)
{
    if (state_ == PortState::waiting_to_reopen && reopen_ && now - last_try_ >= reopen_wait_ms_)
        start(line_, true);
}

void PortSession::close()
{
    driver_.abandon_open();
    if (state_ == PortState::open) {
        close_port();
    } else {
        driver_.close_channel();
        failure_ = OpenFailure::none;
    }
    held_used_ = 0;
    state_ = PortState::closed;
}

// Closes the open port; a driver that keeps hold is the reason shown.
void PortSession::close_port()
{
    failure_port_ = port_number_;
    failure_error_ = static_cast<DWORD>(port_number_);
    failure_ = driver_.close_channel() ? OpenFailure::none : OpenFailure::stuck;
}

void PortSession::line_changed(const PortSettings& line)
{
    switch (state_) {
    case PortState::opening:
    case PortState::reopening:
        driver_.abandon_open();
        start(line, state_ == PortState::reopening);
        return;
    case PortState::open:
        if (port_number_for(line) != port_number_) {
            close_port();
            state_ = PortState::closed;
            start(line, false);
            return;
        }
        line_ = line;
        if (!driver_.apply_line(line)) {
            failure_ = OpenFailure::line_refused;
            failure_error_ = 0;
            failure_port_ = port_number_;
        } else {
            failure_ = OpenFailure::none;
        }
        return;
    default:
        // The reason keeps the port it belongs to.
        line_ = line;
        port_number_ = port_number_for(line);
        return;
    }
}

SendOutcome PortSession::send(const char* bytes, int count, const PortSettings& line)
{
    if (state_ == PortState::open)
        return driver_.write_bytes(bytes, count) ? SendOutcome::queued : SendOutcome::refused;
    if (count < 0 || count > 0xFFFF || held_used_ + 2 + count > held_room)
        return SendOutcome::refused;
    held_[held_used_] = static_cast<char>(count & 0xFF);
    held_[held_used_ + 1] = static_cast<char>(count >> 8);
    memcpy(held_ + held_used_ + 2, bytes, static_cast<size_t>(count));
    held_used_ += 2 + count;
    if (state_ != PortState::opening && state_ != PortState::reopening)
        start(line, false);
    else if (state_ == PortState::reopening)
        state_ = PortState::opening;  // the user now waits for it
    return state_ == PortState::failed ? SendOutcome::refused : SendOutcome::held_for_open;
}

void PortSession::send_held()
{
    for (int at = 0; at < held_used_;) {
        int count = static_cast<unsigned char>(held_[at]) |
                    static_cast<unsigned char>(held_[at + 1]) << 8;
        if (!driver_.write_bytes(held_ + at + 2, count))
            ++dropped_on_open_;
        at += 2 + count;
    }
    held_used_ = 0;
}

int PortSession::take_dropped_on_open()
{
    int dropped = dropped_on_open_;
    dropped_on_open_ = 0;
    return dropped;
}

void PortSession::describe_failure(char* text, int size) const
{
    format_open_failure(text, size, failure_, failure_port_, failure_error_);
}

void format_open_failure(char* text, int size, OpenFailure failure, int port, DWORD error)
{
    // wsprintfA writes at most 1024 bytes; every text here is shorter.
    char said[1024] = "";
    switch (failure) {
    case OpenFailure::in_use:       wsprintfA(said, "COM%d is in use by another program", port); break;
    case OpenFailure::missing:      wsprintfA(said, "COM%d does not exist", port); break;
    case OpenFailure::line_refused: wsprintfA(said, "COM%d refused these line settings", port); break;
    case OpenFailure::stuck:
        wsprintfA(said, "COM%lu's driver does not answer (it keeps a cancelled request)", error);
        break;
    case OpenFailure::other: {
        int length = wsprintfA(said, "COM%d did not open: Windows error %lu", port, error);
        char words[200];
        DWORD got = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                       FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                   nullptr, error, 0, words, sizeof words, nullptr);
        // The system's words end in spaces where their line breaks were.
        while (got > 0 && (words[got - 1] == ' ' || words[got - 1] == '\r' || words[got - 1] == '\n'))
            --got;
        words[got] = '\0';
        if (got)
            wsprintfA(said + length, ": %s", words);
        break;
    }
    default: break;
    }
    if (size > 0)
        lstrcpynA(text, said, size);
}
