// The serial channel when things go wrong: a port that is missing, a set-up
// step that fails, a driver that reports nothing, a read that never
// completes, a device that vanishes or stops taking bytes. The channel must
// release what it holds, never wait beyond its bounds, and work again once
// the device does.
#include <cstring>
#include <string>
#include "tests/serial/platform_spy.h"
#include "tests/serial/serial_line.h"
#include "tools/vdev/pattern.h"

namespace {

class FailingLine : public SerialLine {};

TEST_F(FailingLine, FailedOpenOfAMissingPortCanBeRetried)
{
    std::string reply;
    ASSERT_TRUE(device.command("VANISH COM3 nodevice", &reply)) << reply;
    EXPECT_EQ(0, channel.open(line(2, 3)));
    EXPECT_EQ(OpenFailure::missing, channel.failure) << "error " << channel.failure_error;
    EXPECT_EQ(0, channel.is_open);
    EXPECT_EQ(nullptr, channel.handle);
    EXPECT_EQ(1, channel.close());
    EXPECT_EQ(0, channel.write("lost", 4));

    ASSERT_TRUE(device.come_back(3)) << device.last_reply();
    ASSERT_EQ(1, channel.open(line(2, 3)));
    EXPECT_EQ(5, channel.write("back\r", 5));
    EXPECT_EQ("back\r", wait_for_received(device, 5, 3000, 3));
}

TEST_F(FailingLine, AFailingSetUpStepReleasesEverything)
{
    SpyPatch files("CreateFileA");
    SpyPatch events("CreateEventA");
    SpyPatch set("SetCommState");
    SpyPatch setup("SetupComm");
    ASSERT_TRUE(files.active() && events.active() && set.active() && setup.active());
    const struct {
        const char* name;
        bool fail_set;
        int failing_event;
    } cases[] = {
        {"SetCommState fails", true, 0},
        {"no read event", false, 1},
        {"no write event", false, 2},
        {"no stop event", false, 3},
    };
    for (const auto& c : cases) {
        spy = Spy();
        spy.fail_set = c.fail_set;
        spy.failing_event = c.failing_event;

        EXPECT_EQ(0, channel.open(line(0, 3))) << c.name;
        EXPECT_EQ(0, channel.is_open) << c.name;
        EXPECT_EQ(nullptr, channel.handle) << c.name;
        EXPECT_EQ(nullptr, channel.read_overlapped.hEvent) << c.name;
        EXPECT_EQ(nullptr, channel.write_overlapped.hEvent) << c.name;
        ASSERT_NE(nullptr, spy.port) << c.name;
        ASSERT_NE(INVALID_HANDLE_VALUE, spy.port) << c.name;
        EXPECT_TRUE(handle_is_closed(spy.port)) << c.name << ": port left open";
        // The read, write and stop events, whichever were made.
        EXPECT_EQ(3, spy.event_calls) << c.name;
        for (int i = 0; i < 3; ++i)
            if (spy.events[i])
                EXPECT_TRUE(handle_is_closed(spy.events[i])) << c.name << ": event " << i;
        EXPECT_EQ(0, spy.setup_calls) << c.name;
        EXPECT_EQ(1, channel.close()) << c.name;

        // A later open starts again from the beginning.
        spy.fail_set = false;
        spy.failing_event = 0;
        EXPECT_EQ(1, channel.open(line(0, 3))) << c.name;
        channel.close();
    }
}

// Queue sizes are advice: a driver that refuses them still gives an open
// port that receives.
TEST_F(FailingLine, ARefusedQueueSizeStillOpens)
{
    SpyPatch setup("SetupComm");
    ASSERT_TRUE(setup.active());
    spy.fail_setup = true;
    ASSERT_EQ(1, channel.open(line(0, 3)));
    EXPECT_EQ(1, spy.setup_calls);
    ASSERT_TRUE(device.send_bytes(1, "still"));
    ASSERT_TRUE(wait_for_waiting(channel, 5));
}

// Closing while a fast stream arrives ends the reader, and no byte is lost:
// what it had gathered is still read after the close, and what it had not
// taken yet is read after the next open, all in order.
TEST_F(FailingLine, ClosingWhileBytesArriveLosesNothingAndLeavesNothingRunning)
{
    const int close_after_ms[] = {0, 60, 300};
    const int count = 60000;
    for (size_t i = 0; i < sizeof close_after_ms / sizeof close_after_ms[0]; ++i) {
        device.flush(1);
        ASSERT_EQ(1, channel.open(line(0, 7))) << "case " << i;
        HANDLE reader = nullptr;
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), channel.reader, GetCurrentProcess(),
                                    &reader, SYNCHRONIZE, FALSE, 0))
            << "case " << i;
        ASSERT_TRUE(device.stream(1, 184320, count)) << device.last_reply();
        Sleep(close_after_ms[i]);
        EXPECT_EQ(1, channel.close());
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reader, 0))
            << "case " << i << ": the reader still runs after close";
        CloseHandle(reader);
        EXPECT_EQ(nullptr, channel.reader) << "case " << i;

        std::string got(count + 1, '\0');
        int before = channel.read(&got[0], count + 1);
        ASSERT_EQ(1, channel.open(line(0, 7))) << "case " << i;
        int total = before;
        for (DWORD start = GetTickCount(); total < count && GetTickCount() - start < 10000;) {
            total += channel.read(&got[total], count + 1 - total);
            Sleep(20);
        }
        channel.close();
        printf("case %u: %d bytes read before the reopen, %d in all\n",
               static_cast<unsigned>(i), before, total);
        ASSERT_EQ(count, total) << "case " << i << ": " << before << " before the reopen";
        for (int b = 0; b < count; ++b)
            ASSERT_EQ(vdev::pattern_byte_at(b), static_cast<uint8_t>(got[b]))
                << "case " << i << ": byte " << b << " (" << before << " before the reopen)";
    }
}

TEST_F(FailingLine, DeviceVanishingWhileOpenIsSurvived)
{
    ASSERT_EQ(1, channel.open(line(3, 3)));
    ASSERT_EQ(3, channel.write("hi\r", 3));
    ASSERT_EQ("hi\r", wait_for_received(device, 3, 3000, 4));

    ASSERT_TRUE(device.vanish(4)) << device.last_reply();
    // Nothing can go out to a device that is gone, and no call waits for it
    // beyond one write wait (a second), with room for a loaded machine.
    // The reader notices on its own that the device is gone.
    for (DWORD waited = 0; !channel.lost() && waited < 3000; waited += 20)
        Sleep(20);
    EXPECT_EQ(1, channel.lost()) << "the reader did not report the loss";
    DWORD start = GetTickCount();
    EXPECT_EQ(0, channel.write("after\r", 6));
    EXPECT_EQ(1, channel.lost());
    EXPECT_EQ(0, channel.bytes_waiting());
    unsigned char buffer[32];
    memset(buffer, 0xff, sizeof buffer);
    EXPECT_EQ(0, channel.read(buffer, 32));
    EXPECT_TRUE(all_bytes_are(buffer, sizeof buffer, 0xff));
    DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 3000u) << "write, queue and read with the device gone";
    EXPECT_EQ(1, channel.close());

    ASSERT_TRUE(device.come_back(4)) << device.last_reply();
    device.set_mode(4, "silent");
    device.clear(4);
    ASSERT_EQ(1, channel.open(line(3, 3)));
    EXPECT_EQ(0, channel.lost()) << "a new open starts without the old loss";
    EXPECT_EQ(6, channel.write("again\r", 6));
    EXPECT_EQ("again\r", wait_for_received(device, 6, 3000, 4));
}

// A held line holds no caller: the command is queued at once and the writer
// waits, reporting why; close, or stop when the writer is told to, ends
// the waiting transfer at once and drops it and everything queued.
TEST_F(FailingLine, AHeldLineHoldsNoCallerAndEndsAtOnce)
{
    SpyPatch status("ClearCommError");
    ASSERT_TRUE(status.active());
    const struct {
        int hold;
        bool by_close;  // else by the writer's abort
    } cases[] = {{hold_cts, true}, {hold_xoff, false}, {hold_dsr, true}, {hold_cts, false}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        spy.invented_hold = c.hold;
        ASSERT_EQ(1, channel.open(line(0, 7))) << "case " << i;
        device.clear(1);
        ASSERT_TRUE(device.hold(1)) << device.last_reply();
        DWORD start = GetTickCount();
        EXPECT_EQ(5, channel.write("HELD\r", 5)) << "case " << i;
        EXPECT_EQ(5, channel.write("MORE\r", 5)) << "case " << i;
        EXPECT_LT(GetTickCount() - start, 100u) << "case " << i << ": the caller waited";
        SendProgress seen = {};
        for (DWORD waited = 0; seen.held != c.hold && waited < 3000; waited += 10) {
            Sleep(10);
            channel.writer.progress(seen);
        }
        EXPECT_EQ(c.hold, seen.held) << "case " << i;

        start = GetTickCount();
        if (c.by_close) {
            channel.close();
        } else {
            channel.writer.abort();
            for (seen.held = c.hold; seen.held != hold_none && GetTickCount() - start < 3000;)
                channel.writer.progress(seen);
        }
        DWORD took = GetTickCount() - start;
        printf("case %u: the held transfer ended after %lu ms\n", static_cast<unsigned>(i), took);
        EXPECT_LT(took, 200u) << "case " << i << (c.by_close ? ": close" : ": abort");
        EXPECT_EQ(0, channel.lost()) << "case " << i << ": a held line is no loss";

        // Once the device takes bytes again, only what is sent afterwards
        // goes out.
        ASSERT_TRUE(device.release(1)) << device.last_reply();
        spy.invented_hold = 0;
        if (c.by_close)
            ASSERT_EQ(1, channel.open(line(0, 7))) << "case " << i;
        EXPECT_EQ(3, channel.write("OK\r", 3)) << "case " << i;
        EXPECT_EQ("OK\r", wait_for_received(device, 3, 3000)) << "case " << i;
        channel.close();
    }
}

// A driver that never ends a cancelled request (its adapter pulled out)
// holds close no longer than its bound: the request is left to it with the
// port, nothing opens meanwhile, and once the driver lets go the port opens
// again.
TEST_F(FailingLine, ADriverKeepingACancelledReadHoldsCloseNoLonger)
{
    SpyPatch cancels("CancelIo");
    SpyPatch reads("ReadFile");
    ASSERT_TRUE(cancels.active() && reads.active());
    spy.keep_reads = true;
    ASSERT_EQ(1, channel.open(line(0, 7)));
    for (DWORD waited = 0; !spy.kept_read && waited < 3000; waited += 10)
        Sleep(10);
    ASSERT_NE(nullptr, spy.kept_read) << "the reader never read";
    DWORD start = GetTickCount();
    EXPECT_EQ(0, channel.close()) << "the kept read went unnoticed";
    EXPECT_LT(GetTickCount() - start, 4000u);
    EXPECT_EQ(0, channel.open(line(0, 7)));
    EXPECT_EQ(OpenFailure::stuck, channel.failure);
    EXPECT_EQ(1u, channel.failure_error) << "the port whose driver keeps the read";

    spy.keep_reads = false;
    end_kept_read();
    EXPECT_EQ(1, channel.open(line(0, 7))) << "failure " << static_cast<int>(channel.failure);
    channel.close();
    spy = Spy();
}

// What a close left to the driver is looked at again: once the driver lets
// go (a stuck call returns after close's bound; a write that failed at once
// had nothing to wait for) the port opens as before.
TEST_F(FailingLine, WhatCloseLeftToTheDriverIsTakenBackOnceItLetsGo)
{
    SpyPatch writes("WriteFile");
    ASSERT_TRUE(writes.active());
    for (bool stuck_call : {false, true}) {
        const char* name = stuck_call ? "a write stuck past the bound" : "a write failing at once";
        spy = Spy();
        ASSERT_EQ(1, channel.open(line(0, 7))) << name;
        spy.held_write = stuck_call ? CreateEventA(nullptr, TRUE, FALSE, nullptr) : nullptr;
        spy.failing_writes = 1;
        spy.write_error = ERROR_GEN_FAILURE;
        EXPECT_EQ(4, channel.write("LEFT", 4)) << name;
        for (DWORD waited = 0; spy.write_calls == 0 && waited < 3000; waited += 10)
            Sleep(10);
        EXPECT_EQ(stuck_call ? 0 : 1, channel.close()) << name;
        if (stuck_call) {
            EXPECT_EQ(0, channel.open(line(0, 7))) << name << ": opened under a stuck writer";
            SetEvent(spy.held_write);
            for (DWORD waited = 0; !channel.let_go_of_left() && waited < 3000; waited += 10)
                Sleep(10);
            CloseHandle(spy.held_write);
        }
        EXPECT_EQ(1, channel.open(line(0, 7)))
            << name << ": failure " << static_cast<int>(channel.failure);
        channel.close();
    }
    spy = Spy();
}

}  // namespace
