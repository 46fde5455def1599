// The reader and writer threads and the opener on lines that misbehave the
// way real drivers do and a pseudo-terminal never does, through stand-ins of
// the Windows calls: failed reads and writes, a full ring, a quiet line,
// refused set-ups.
#include <cstring>
#include <string>
#include "tests/serial/platform_spy.h"
#include "tests/serial/serial_line.h"

namespace {

class ReaderLine : public SerialLine {};

bool wait_until(const std::function<bool()>& condition, DWORD milliseconds)
{
    for (DWORD start = GetTickCount(); !condition();) {
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(10);
    }
    return true;
}

// Each failure of a read and what it leads to: read again at once, retried
// and counted while the port still answers, or the device gone.
TEST_F(ReaderLine, ReadErrorsAreRetriedOrALossAsThePortAnswers)
{
    SpyPatch reads("ReadFile");
    SpyPatch clears("ClearCommError");
    SpyPatch modem("GetCommModemStatus");
    ASSERT_TRUE(reads.active() && clears.active() && modem.active());
    const struct {
        const char* name;
        int failures;
        DWORD error;
        bool clear_fails, modem_fails;
        bool lost;
        LONG counted;
    } cases[] = {
        {"aborted once", 1, ERROR_OPERATION_ABORTED, false, false, false, 0},
        {"aborted twice in a row", 2, ERROR_OPERATION_ABORTED, false, false, false, 1},
        {"transient", 3, ERROR_GEN_FAILURE, false, false, false, 3},
        {"gone: the port no longer answers", 1, ERROR_BAD_COMMAND, true, false, true, 0},
        {"gone: its modem lines no longer answer", 1, ERROR_GEN_FAILURE, false, true, true, 0},
    };
    for (const auto& c : cases) {
        spy = Spy();
        spy.stand_in_modem = true;
        spy.empty_reads_at_once = true;
        ASSERT_EQ(1, channel.open(line(0, 7))) << c.name;
        ASSERT_TRUE(wait_until([] { return spy.read_calls >= 2; }, 3000)) << c.name;
        spy.fail_clear = c.clear_fails;
        spy.fail_modem = c.modem_fails;
        spy.read_error = c.error;
        spy.failing_reads = c.failures;
        ASSERT_TRUE(wait_until([] { return spy.failing_reads == 0; }, 3000)) << c.name;
        // The last failure is dealt with once the reader reads again or
        // reports the loss.
        const LONG failed_reads = spy.read_calls;
        wait_until([&] { return spy.read_calls > failed_reads || channel.lost(); }, 3000);
        EXPECT_EQ(c.lost ? 1 : 0, channel.lost()) << c.name;
        EXPECT_EQ(c.counted, channel.read_errors) << c.name;
        spy.fail_clear = spy.fail_modem = false;
        if (!c.lost) {
            spy.invented_bytes = 5;
            EXPECT_TRUE(wait_for_waiting(channel, 5)) << c.name << ": the reader stopped reading";
            char bytes[8];
            channel.read(bytes, sizeof bytes);
        }
        channel.close();
    }
}

// Each failure the writer meets and what comes of it: line errors its own
// status call reads (clearing them in the driver) are counted once, with the
// window told; a failed write is a loss only when the port no longer answers.
TEST_F(ReaderLine, WriteErrorsAreCountedOrALossAsThePortAnswers)
{
    SpyPatch writes("WriteFile");
    SpyPatch clears("ClearCommError");
    SpyPatch modem("GetCommModemStatus");
    ASSERT_TRUE(writes.active() && clears.active() && modem.active());
    const struct {
        const char* name;
        bool held;          // the device holds the line back meanwhile
        DWORD write_error;  // the write fails with it
        DWORD flags;        // what the writer's status call reports
        bool clear_fails, lost;
        const char* counted;  // framing, parity, overrun, break
        const char* arrived;
    } cases[] = {
        {"held: overrun and framing", true, 0, CE_OVERRUN | CE_FRAME, false, false, "1 0 1 0",
         "DATA\rNEXT\r"},
        {"failed: the port answers, with a break", false, ERROR_GEN_FAILURE, CE_BREAK, false,
         false, "0 0 0 1", "NEXT\r"},
        {"failed: the port no longer answers", false, ERROR_GEN_FAILURE, 0, true, true,
         "0 0 0 0", ""},
    };
    for (const auto& c : cases) {
        spy = Spy();
        spy.stand_in_modem = true;
        spy.status_to_writer = true;
        ASSERT_EQ(1, channel.open(line(0, 7))) << c.name;
        device.clear(1);
        if (c.held)
            ASSERT_TRUE(device.hold(1)) << device.last_reply();
        spy.line_error_flags = c.flags;
        spy.fail_clear = c.clear_fails;
        spy.failing_writes = c.write_error ? 1 : 0;
        spy.write_error = c.write_error;
        channel.notifier.take();
        ASSERT_EQ(5, channel.write("DATA\r", 5)) << c.name;
        EXPECT_TRUE(wait_until([] { return !spy.line_error_flags && !spy.failing_writes; }, 3000))
            << c.name;
        if (c.held)
            ASSERT_TRUE(device.release(1)) << device.last_reply();
        if (c.lost)
            EXPECT_TRUE(wait_until([&] { return channel.lost() != 0; }, 3000)) << c.name;
        else
            EXPECT_EQ(5, channel.write("NEXT\r", 5)) << c.name;
        EXPECT_EQ(c.arrived, wait_for_received(device, strlen(c.arrived), 3000)) << c.name;
        EXPECT_EQ(c.lost ? 1 : 0, channel.lost()) << c.name;
        std::string counted;
        for (LONG count : channel.line_errors)
            counted += std::to_string(count) + " ";
        EXPECT_EQ(std::string(c.counted) + " ", counted) << c.name;
        EXPECT_EQ(c.flags != 0, (channel.notifier.take() & port_event_line) != 0) << c.name;
        channel.close();
    }
}

// After a second with nothing arriving the reader looks ten times a second;
// as soon as bytes come it reads every 10 ms again. Reads here find nothing
// at once, as on Windows; Wine's driver holds a read until bytes come.
TEST_F(ReaderLine, AQuietLineIsReadAtMostTenTimesASecond)
{
    SpyPatch reads("ReadFile");
    ASSERT_TRUE(reads.active());
    spy.empty_reads_at_once = true;
    ASSERT_EQ(1, channel.open(line(0, 7)));
    Sleep(1500);
    LONG before = spy.read_calls;
    Sleep(2000);
    LONG quiet = spy.read_calls - before;
    printf("quiet line: %ld reads in 2 s\n", quiet);
    EXPECT_LE(quiet, 21) << "reads in two quiet seconds";
    EXPECT_GE(quiet, 10) << "the reader stopped looking";

    // A byte every 20 ms. On a loaded machine the sleeps stretch, so the
    // reads are measured against the time that really passed: while bytes
    // come the reader looks at least twice as often as on a quiet line.
    before = spy.read_calls;
    const DWORD started = GetTickCount();
    for (int i = 0; i < 25; ++i) {
        InterlockedIncrement(&spy.invented_bytes);
        Sleep(20);
    }
    const DWORD elapsed = GetTickCount() - started;
    LONG busy = spy.read_calls - before;
    printf("bytes arriving: %ld reads in %lu ms\n", busy, static_cast<unsigned long>(elapsed));
    EXPECT_GE(busy, static_cast<LONG>(elapsed / 50)) << "reads while bytes arrive";
    EXPECT_EQ(25, channel.bytes_waiting());
}

// No read asks for more than 64 KiB; bytes that find the ring full are read,
// counted and dropped, and what the ring holds is kept.
TEST_F(ReaderLine, AFullRingCountsTheBytesItDrops)
{
    SpyPatch reads("ReadFile");
    ASSERT_TRUE(reads.active());
    const LONG extra = 5000;
    spy.invented_bytes = static_cast<LONG>(serial_ring_size) + extra;
    ASSERT_EQ(1, channel.open(line(0, 7)));
    ASSERT_TRUE(wait_until([&] { return spy.invented_bytes == 0 && channel.bytes_dropped == extra; },
                           5000))
        << channel.bytes_dropped << " dropped";
    EXPECT_EQ(static_cast<int>(serial_ring_size), channel.bytes_waiting());
    EXPECT_EQ(extra, channel.bytes_dropped);
    EXPECT_EQ(65536u, spy.largest_read);
    EXPECT_EQ(0, channel.lost());
}

// Why an open failed, for each failing step; nothing stays open.
TEST_F(ReaderLine, AFailedOpenSaysWhy)
{
    SpyPatch files("CreateFileA");
    SpyPatch closes("CloseHandle");
    SpyPatch timeouts("SetCommTimeouts");
    SpyPatch states("SetCommState");
    ASSERT_TRUE(files.active() && closes.active() && timeouts.active() && states.active());
    const struct {
        const char* name;
        DWORD create_error;
        bool fail_timeouts, fail_set;
        OpenFailure failure;
        DWORD error;
    } cases[] = {
        {"held by another program", ERROR_ACCESS_DENIED, false, false, OpenFailure::in_use,
         ERROR_ACCESS_DENIED},
        {"no such port", ERROR_FILE_NOT_FOUND, false, false, OpenFailure::missing,
         ERROR_FILE_NOT_FOUND},
        {"another error", ERROR_GEN_FAILURE, false, false, OpenFailure::other, ERROR_GEN_FAILURE},
        {"the device went away", ERROR_DEVICE_NOT_CONNECTED, false, false, OpenFailure::missing,
         ERROR_DEVICE_NOT_CONNECTED},
        {"time-outs refused", 0, true, false, OpenFailure::other, ERROR_INVALID_FUNCTION},
        {"line refused", 0, false, true, OpenFailure::line_refused, ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        spy = Spy();
        spy.create_error = c.create_error;
        spy.fail_timeouts = c.fail_timeouts;
        spy.fail_set = c.fail_set;
        EXPECT_EQ(0, channel.open(line(0, 7))) << c.name;
        EXPECT_EQ(c.failure, channel.failure) << c.name;
        EXPECT_EQ(c.error, channel.failure_error) << c.name;
        EXPECT_EQ(c.create_error ? 0 : 1, spy.port_closes) << c.name << ": the port left open";
        EXPECT_EQ(nullptr, channel.handle) << c.name;
    }
    spy = Spy();
    EXPECT_EQ(1, channel.open(line(0, 7))) << "after the failures";
    EXPECT_EQ(OpenFailure::none, channel.failure);
}

}  // namespace
