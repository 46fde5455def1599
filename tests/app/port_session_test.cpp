// The port's whole life as a table: each row is one event at a time on the
// fake clock, and what the session then is and did. No window, no thread,
// no sleep.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "app/port_session.h"

namespace {

// Records what the session asked of the port; opens succeed or fail as told.
class FakeDriver : public PortDriver {
public:
    int start_open(const PortSettings& line) override
    {
        calls += "start(COM" + std::to_string(line.Port) + ") ";
        return start_works;
    }
    void abandon_open() override { calls += "abandon "; }
    int adopt_opened(OpenFailure& failure, DWORD& error) override
    {
        calls += "adopt ";
        failure = next_failure;
        error = next_failure == OpenFailure::none ? 0 : 5;
        return next_failure == OpenFailure::none;
    }
    int apply_line(const PortSettings& line) override
    {
        calls += "apply(" + std::to_string(line.Baud) + ") ";
        return line.Baud != 1;
    }
    int close_channel() override
    {
        calls += "close ";
        return close_lets_go;
    }
    int write_bytes(const char* bytes, int count) override
    {
        calls += "write(" + std::string(bytes, static_cast<size_t>(count)) + ") ";
        return queue_room-- > 0;
    }

    std::string calls;
    int start_works = 1;
    int queue_room = 100;
    int close_lets_go = 1;
    OpenFailure next_failure = OpenFailure::none;
};

PortSettings port(int number, int baud = 0)
{
    PortSettings line = {};
    line.Port = number;
    line.Baud = baud;
    return line;
}

const char* name(PortState state)
{
    const char* names[] = {"closed", "opening", "open", "waiting", "reopening", "failed"};
    return names[static_cast<int>(state)];
}

enum class Event { open, finished, lost, tick, close, line, send };

struct Step {
    Event event;
    DWORD now;
    OpenFailure outcome;   // of a finished attempt
    PortSettings line;     // for open, line, send
    const char* sent;      // for send
    PortState state;       // after the event
    const char* calls;     // what the driver was asked, in order
    // Why it failed, as the status bar says; null: not looked at. After
    // "Windows error N: " the system's words follow.
    const char* reason = nullptr;
};

// For close and lost: the driver keeps a cancelled request.
const OpenFailure driver_keeps = OpenFailure::stuck;

void run_table(const char* title, const Step* steps, size_t count, FakeDriver& driver,
               PortSession& session)
{
    for (size_t i = 0; i < count; ++i) {
        const Step& step = steps[i];
        driver.calls.clear();
        driver.next_failure = step.outcome == driver_keeps ? OpenFailure::none : step.outcome;
        driver.close_lets_go = step.outcome != driver_keeps;
        switch (step.event) {
        case Event::open:     session.open(step.line); break;
        case Event::finished: session.opening_finished(step.now); break;
        case Event::lost:     session.lost(step.now); break;
        case Event::tick:     session.tick(step.now); break;
        case Event::close:    session.close(); break;
        case Event::line:     session.line_changed(step.line); break;
        case Event::send:
            session.send(step.sent, static_cast<int>(strlen(step.sent)), step.line);
            break;
        }
        EXPECT_STREQ(name(step.state), name(session.state())) << title << ", step " << i;
        EXPECT_EQ(step.calls, driver.calls) << title << ", step " << i;
        char reason[160];
        session.describe_failure(reason, sizeof reason);
        std::string seen = reason;
        if (step.reason && strstr(step.reason, "error"))
            seen.resize(strlen(step.reason));
        if (step.reason)
            EXPECT_EQ(step.reason, seen) << title << ", step " << i << ": " << reason;
    }
}

const OpenFailure ok = OpenFailure::none;
const OpenFailure in_use = OpenFailure::in_use;
const OpenFailure missing = OpenFailure::missing;

TEST(PortSession, OpensFailsAndClosesAsTheUserAsks)
{
    const Step steps[] = {
        {Event::open, 0, ok, port(7), "", PortState::opening, "start(COM7) "},
        {Event::open, 0, ok, port(7), "", PortState::opening, ""},
        {Event::finished, 0, in_use, {}, "", PortState::failed, "adopt "},
        {Event::tick, 99999, ok, {}, "", PortState::failed, ""},  // never retried by itself
        {Event::open, 0, ok, port(7), "", PortState::opening, "start(COM7) "},
        {Event::finished, 0, ok, {}, "", PortState::open, "adopt "},
        {Event::line, 0, ok, port(7, 115200), "", PortState::open, "apply(115200) "},
        {Event::line, 0, ok, port(8), "", PortState::opening, "close start(COM8) "},
        {Event::close, 0, ok, {}, "", PortState::closed, "abandon close "},
        {Event::finished, 0, ok, {}, "", PortState::closed, ""},  // an abandoned attempt
    };
    FakeDriver driver;
    PortSession session(driver);
    run_table("user", steps, sizeof steps / sizeof steps[0], driver, session);
}

TEST(PortSession, ALostPortIsTriedAgainLaterAndLaterUntilItIsBack)
{
    const Step steps[] = {
        {Event::open, 0, ok, port(3), "", PortState::opening, "start(COM3) "},
        {Event::finished, 0, ok, {}, "", PortState::open, "adopt "},
        {Event::lost, 10000, ok, {}, "", PortState::waiting_to_reopen, "close "},
        {Event::tick, 10999, ok, {}, "", PortState::waiting_to_reopen, ""},
        {Event::tick, 11000, ok, {}, "", PortState::reopening, "start(COM3) "},
        {Event::finished, 11100, missing, {}, "", PortState::waiting_to_reopen, "adopt "},
        {Event::tick, 13099, ok, {}, "", PortState::waiting_to_reopen, ""},
        {Event::tick, 13100, ok, {}, "", PortState::reopening, "start(COM3) "},
        // "In use" while the system brings the device back: tried again too.
        {Event::finished, 13200, in_use, {}, "", PortState::waiting_to_reopen, "adopt "},
        {Event::tick, 17199, ok, {}, "", PortState::waiting_to_reopen, ""},
        {Event::tick, 17200, ok, {}, "", PortState::reopening, "start(COM3) "},
        {Event::finished, 17300, ok, {}, "", PortState::open, "adopt "},
    };
    FakeDriver driver;
    PortSession session(driver);
    run_table("reopen", steps, sizeof steps / sizeof steps[0], driver, session);
}

TEST(PortSession, TheWaitBetweenTriesDoublesUpTo30Seconds)
{
    FakeDriver driver;
    PortSession session(driver);
    session.open(port(1));
    session.opening_finished(0);
    session.lost(0);
    driver.next_failure = OpenFailure::missing;
    const DWORD expected[] = {1000, 2000, 4000, 8000, 16000, 30000, 30000};
    DWORD now = 0;
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
        EXPECT_EQ(expected[i], session.reopen_wait_ms()) << "try " << i;
        now += session.reopen_wait_ms();
        session.tick(now - 1);
        EXPECT_EQ(PortState::waiting_to_reopen, session.state()) << "try " << i << ", early";
        session.tick(now);
        ASSERT_EQ(PortState::reopening, session.state()) << "try " << i;
        session.opening_finished(now);
    }
}

TEST(PortSession, ReopeningOffLeavesALostPortClosed)
{
    FakeDriver driver;
    PortSession session(driver);
    session.set_reopening(false);
    session.open(port(2));
    session.opening_finished(0);
    session.lost(0);
    driver.calls.clear();
    session.tick(600000);
    EXPECT_EQ(PortState::waiting_to_reopen, session.state());
    EXPECT_EQ("", driver.calls);
}

TEST(PortSession, TheUsersCloseAfterALossEndsTheTries)
{
    const Step steps[] = {
        {Event::open, 0, ok, port(6), "", PortState::opening, "start(COM6) "},
        {Event::finished, 0, ok, {}, "", PortState::open, "adopt "},
        {Event::lost, 5000, ok, {}, "", PortState::waiting_to_reopen, "close "},
        {Event::close, 0, ok, {}, "", PortState::closed, "abandon close "},
        {Event::tick, 600000, ok, {}, "", PortState::closed, ""},
    };
    FakeDriver driver;
    PortSession session(driver);
    run_table("closed after a loss", steps, sizeof steps / sizeof steps[0], driver, session);
}

// Commands sent before the port is open go out in order once it is; a failed
// open drops them; the user's Close drops them.
TEST(PortSession, CommandsSentWhileOpeningGoOutInOrder)
{
    const Step steps[] = {
        {Event::send, 0, ok, port(4), "AT1", PortState::opening, "start(COM4) "},
        {Event::send, 0, ok, port(4), "AT2", PortState::opening, ""},
        {Event::send, 0, ok, port(4), "AT3", PortState::opening, ""},
        {Event::finished, 0, ok, {}, "", PortState::open, "adopt write(AT1) write(AT2) write(AT3) "},
        {Event::send, 0, ok, port(4), "AT4", PortState::open, "write(AT4) "},
        {Event::close, 0, ok, {}, "", PortState::closed, "abandon close "},
        {Event::send, 0, ok, port(4), "X", PortState::opening, "start(COM4) "},
        {Event::finished, 0, missing, {}, "", PortState::failed, "adopt "},
        {Event::open, 0, ok, port(4), "", PortState::opening, "start(COM4) "},
        {Event::finished, 0, ok, {}, "", PortState::open, "adopt "},  // X was dropped
    };
    FakeDriver driver;
    PortSession session(driver);
    run_table("held", steps, sizeof steps / sizeof steps[0], driver, session);
}

TEST(PortSession, HeldCommandsTheQueueRefusesAreCountedAndAFullHoldRefuses)
{
    FakeDriver driver;
    PortSession session(driver);
    std::string command(1000, 'x');
    int held = 0;
    while (session.send(command.data(), 1000, port(1)) == SendOutcome::held_for_open)
        ++held;
    EXPECT_EQ(PortSession::held_room / 1002, held) << "commands kept for the open";
    driver.queue_room = 2;
    session.opening_finished(0);
    EXPECT_EQ(held - 2, session.take_dropped_on_open());
    EXPECT_EQ(0, session.take_dropped_on_open()) << "a look clears the count";
}

TEST(PortSession, ALineTheDriverRefusesIsKeptAsTheReason)
{
    FakeDriver driver;
    PortSession session(driver);
    session.open(port(5));
    session.opening_finished(0);
    session.line_changed(port(5, 1));  // the fake refuses a rate of 1
    EXPECT_EQ(PortState::open, session.state());
    EXPECT_EQ(OpenFailure::line_refused, session.failure());
    session.line_changed(port(5, 9600));
    EXPECT_EQ(OpenFailure::none, session.failure());
    EXPECT_EQ(5, session.port_number());
}

// Port Setup leaves a port that is not open as it was: a failed open keeps
// its reason, naming its own port, and the next Open opens the new port. A
// driver that keeps a cancelled request is the reason a close or a loss
// shows; any other failure shows the system's words.
TEST(PortSession, AReasonNamesThePortItBelongsTo)
{
    const OpenFailure other = OpenFailure::other;
    const Step steps[] = {
        {Event::open, 0, ok, port(9), "", PortState::opening, "start(COM9) "},
        {Event::finished, 0, missing, {}, "", PortState::failed, "adopt ", "COM9 does not exist"},
        {Event::line, 0, ok, port(1), "", PortState::failed, "", "COM9 does not exist"},
        {Event::open, 0, ok, port(1), "", PortState::opening, "start(COM1) "},
        {Event::finished, 0, ok, {}, "", PortState::open, "adopt ", ""},
        {Event::close, 0, ok, {}, "", PortState::closed, "abandon close ", ""},
        {Event::line, 0, ok, port(2), "", PortState::closed, "", ""},
        {Event::open, 0, ok, port(2), "", PortState::opening, "start(COM2) "},
        {Event::finished, 0, other, {}, "", PortState::failed, "adopt ",
         "COM2 did not open: Windows error 5: "},
        {Event::open, 0, ok, port(3), "", PortState::opening, "start(COM3) "},
        {Event::finished, 0, ok, {}, "", PortState::open, "adopt ", ""},
        {Event::close, 0, driver_keeps, {}, "", PortState::closed, "abandon close ",
         "COM3's driver does not answer (it keeps a cancelled request)"},
        {Event::open, 0, ok, port(3), "", PortState::opening, "start(COM3) "},
        {Event::finished, 0, ok, {}, "", PortState::open, "adopt ", ""},
        {Event::lost, 0, driver_keeps, {}, "", PortState::waiting_to_reopen, "close ",
         "COM3's driver does not answer (it keeps a cancelled request)"},
    };
    FakeDriver driver;
    PortSession session(driver);
    run_table("reasons", steps, sizeof steps / sizeof steps[0], driver, session);
}

}  // namespace
