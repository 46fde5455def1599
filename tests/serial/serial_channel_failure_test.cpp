// The serial channel when things go wrong: a port that is missing, a set-up
// step that fails, a driver that reports nothing, a read that never
// completes, a device that vanishes or stops taking bytes. The channel must
// release what it holds, never wait beyond its bounds, and work again once
// the device does.
#include <cstring>
#include <string>
#include "tests/serial/platform_spy.h"
#include "tests/serial/serial_line.h"

namespace {

class FailingLine : public SerialLine {};

TEST_F(FailingLine, FailedOpenOfAMissingPortCanBeRetried)
{
    std::string reply;
    ASSERT_TRUE(device.command("VANISH COM3 nodevice", &reply)) << reply;
    EXPECT_EQ(0, channel.open(line(2, 3)));
    EXPECT_EQ(0, channel.is_open);
    EXPECT_EQ(nullptr, channel.handle);
    EXPECT_EQ(1, channel.close());
    EXPECT_EQ(0, channel.write("lost", 4));

    ASSERT_TRUE(device.come_back(3)) << device.last_reply();
    ASSERT_EQ(1, channel.open(line(2, 3)));
    EXPECT_EQ(5, channel.write("back\r", 5));
    EXPECT_EQ("back\r", received_at_least(device, 3, 5));
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
        bool fail_set, fail_setup;
        int failing_event;
    } cases[] = {
        {"SetCommState fails", true, false, 0},
        {"SetupComm fails", false, true, 0},
        {"no read event", false, false, 1},
        {"no write event", false, false, 2},
    };
    for (const auto& c : cases) {
        spy = Spy();
        spy.fail_set = c.fail_set;
        spy.fail_setup = c.fail_setup;
        spy.failing_event = c.failing_event;

        EXPECT_EQ(0, channel.open(line(0, 3))) << c.name;
        EXPECT_EQ(0, channel.is_open) << c.name;
        EXPECT_EQ(nullptr, channel.handle) << c.name;
        EXPECT_EQ(nullptr, channel.read_overlapped.hEvent) << c.name;
        EXPECT_EQ(nullptr, channel.write_overlapped.hEvent) << c.name;
        ASSERT_NE(nullptr, spy.port) << c.name;
        ASSERT_NE(INVALID_HANDLE_VALUE, spy.port) << c.name;
        EXPECT_TRUE(handle_is_closed(spy.port)) << c.name << ": port left open";
        for (int i = 0; i < 2; ++i)
            if (spy.events[i])
                EXPECT_TRUE(handle_is_closed(spy.events[i])) << c.name << ": event " << i;
        EXPECT_EQ(c.fail_set ? 0 : 1, spy.setup_calls) << c.name;
        EXPECT_EQ(1, channel.close()) << c.name;

        // A later open starts again from the beginning.
        spy.fail_set = spy.fail_setup = false;
        spy.failing_event = 0;
        EXPECT_EQ(1, channel.open(line(0, 3))) << c.name;
        channel.close();
    }
}

TEST_F(FailingLine, FailingClearCommErrorReportsNothingWaiting)
{
    ASSERT_EQ(1, channel.open(line(0, 3)));
    ASSERT_TRUE(device.send_bytes(1, "queued"));
    ASSERT_TRUE(wait_for_waiting(channel, 6));
    unsigned char buffer[64];
    memset(buffer, 0xff, sizeof buffer);
    {
        SpyPatch clear("ClearCommError");
        SpyPatch reads("ReadFile");
        ASSERT_TRUE(clear.active() && reads.active());
        spy.fail_clear = true;
        EXPECT_EQ(0, channel.bytes_waiting());
        EXPECT_EQ(0, channel.read(buffer, 64));
        EXPECT_EQ(0, spy.read_calls);
        EXPECT_TRUE(all_bytes_are(buffer, sizeof buffer, 0xff));
    }
    EXPECT_EQ(6, channel.bytes_waiting());
    EXPECT_EQ(6, channel.read(buffer, 64));
    EXPECT_EQ(0, memcmp("queued", buffer, 6));
}

TEST_F(FailingLine, AReadStillPendingAfterItsWaitIsCancelled)
{
    ASSERT_EQ(1, channel.open(line(0, 3)));
    // Make a read wait for its bytes, and have ClearCommError promise four
    // that never come: the read pends for its whole wait.
    COMMTIMEOUTS blocking = {0, 0, 0, 0, 5000};
    ASSERT_TRUE(SetCommTimeouts(channel.handle, &blocking));
    unsigned char abandoned[64];
    memset(abandoned, 0xff, sizeof abandoned);
    {
        SpyPatch clear("ClearCommError");
        ASSERT_TRUE(clear.active());
        spy.invented_queue = 4;
        EXPECT_EQ(0, channel.read(abandoned, 64));
    }
    // The cancelled read neither took the bytes that come later nor writes
    // into the buffer it was given.
    ASSERT_TRUE(device.send_bytes(1, "late"));
    ASSERT_TRUE(wait_for_waiting(channel, 4));
    unsigned char buffer[64];
    ASSERT_EQ(4, channel.read(buffer, 64));
    EXPECT_EQ(0, memcmp("late", buffer, 4));
    EXPECT_TRUE(all_bytes_are(abandoned, sizeof abandoned, 0xff));
}

TEST_F(FailingLine, DeviceVanishingWhileOpenIsSurvived)
{
    ASSERT_EQ(1, channel.open(line(3, 3)));
    ASSERT_EQ(3, channel.write("hi\r", 3));
    ASSERT_EQ("hi\r", received_at_least(device, 4, 3));

    ASSERT_TRUE(device.vanish(4)) << device.last_reply();
    // Nothing can go out to a device that is gone, and no call waits for it
    // beyond one write wait (a second), with room for a loaded machine.
    DWORD start = GetTickCount();
    EXPECT_EQ(0, channel.lost());
    EXPECT_EQ(0, channel.write("after\r", 6));
    EXPECT_EQ(1, channel.lost()) << "the failed write did not report the loss";
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
    EXPECT_EQ("again\r", received_at_least(device, 4, 6));
}

TEST_F(FailingLine, AHeldLineAbandonsTheWriteAfterOneWait)
{
    SpyPatch writes("WriteFile");
    ASSERT_TRUE(writes.active());
    spy.device = &device;
    spy.device_com = 1;
    // The device stops taking bytes just before the given byte's WriteFile.
    const struct {
        int hold_before_write;
        int went_out;
        const char* arrived;
    } cases[] = {{1, 0, ""}, {3, 2, "HE"}, {5, 4, "HELD"}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        ASSERT_EQ(1, channel.open(line(0, 7))) << "case " << i;
        device.clear(1);
        spy.write_calls = 0;
        spy.hold_before_write = c.hold_before_write;
        DWORD start = GetTickCount();
        EXPECT_EQ(c.went_out, channel.write("HELD\r", 5)) << "case " << i;
        // One wait of about a second for the held byte, not one per byte left
        // nor the driver's own five-second limit.
        DWORD took = GetTickCount() - start;
        EXPECT_GE(took, 900u) << "case " << i << ": gave up without waiting";
        EXPECT_LT(took, 4000u) << "case " << i << ": waited more than once";
        EXPECT_EQ(c.hold_before_write, spy.write_calls)
            << "case " << i << ": bytes tried after the line stopped";
        EXPECT_TRUE(channel.is_open) << "case " << i;
        EXPECT_EQ(0, channel.lost()) << "case " << i << ": a write that timed out is no loss";

        // Once the device takes bytes again the channel works, and the
        // abandoned byte never went out.
        spy.hold_before_write = 0;
        ASSERT_TRUE(device.release(1)) << device.last_reply();
        EXPECT_EQ(3, channel.write("OK\r", 3)) << "case " << i;
        std::string expected = std::string(c.arrived) + "OK\r";
        EXPECT_EQ(expected, received_at_least(device, 1, expected.size())) << "case " << i;
        channel.close();
    }
}

}  // namespace
