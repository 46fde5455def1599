// The serial channel on real lines: the virtual device plays COM1..COM4 over
// pseudo-terminals, and each check looks at what reached the device, what
// the program received from it, or what the driver was asked to do.
//
// What a pseudo-terminal can show: the speed and the number of stop bits
// (one and a half arrives as two). Linux forces 8 data bits and clears the
// parity on every change of a pty's settings, and Wine reads the DCB back
// from the line, so parity and data bits are checked in the DCB handed to
// SetCommState instead (LineSettingsReachTheDriverExactly).
#include <climits>
#include <cstring>
#include <string>
#include <vector>
#include "tests/serial/platform_spy.h"
#include "tests/serial/serial_line.h"

namespace {

std::string pattern(size_t count)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += static_cast<char>((i * 7 + 3) & 0xff);
    return bytes;
}

TEST_F(SerialLine, EachPortIndexOpensItsPort)
{
    const struct {
        int comm;
        int com;
    } cases[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 2}, {-1, 2}, {INT_MAX, 2}, {INT_MIN, 2}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        for (int com = 1; com <= 4; ++com)
            device.clear(com);
        ASSERT_EQ(1, channel.open(line(c.comm, 3))) << "case " << i << ": Comm " << c.comm;
        std::string marker = "port case " + std::to_string(i) + "\r";
        EXPECT_EQ(static_cast<int>(marker.size()), channel.write(marker.data(), marker.size()))
            << "case " << i;
        EXPECT_EQ(marker, wait_for_received(device, marker.size(), 3000, c.com))
            << "case " << i << ": Comm " << c.comm << ", expected COM" << c.com;
        for (int com = 1; com <= 4; ++com)
            if (com != c.com)
                EXPECT_EQ("", device.received(com))
                    << "case " << i << ": Comm " << c.comm << " also reached COM" << com;
        channel.close();
    }
}

// The speed table's index and the stop bits as the line shows them; one and
// a half stop bits arrive on a pty as two, and anything out of range is the
// default. Neighbouring cases differ, so each open visibly changes the line.
TEST_F(SerialLine, SpeedIndexAndStopBitsReachTheLine)
{
    const struct {
        int index, stop_bits;
        int baud, stop;
    } cases[] = {
        {7, 2, 115200, 2}, {3, 0, 9600, 1}, {0, 1, 1200, 2},  {8, 5, 9600, 1},
        {1, 2, 2400, 2},   {-1, -1, 9600, 1}, {2, 0, 4800, 1}, {100, 0, 9600, 1},
        {4, 0, 19200, 1},  {INT_MIN, 0, 9600, 1}, {5, 0, 38400, 1}, {-2, 0, 9600, 1},
        {6, 0, 57600, 1},  {INT_MAX, 0, 9600, 1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        ASSERT_EQ(1, channel.open(line(0, c.index, 0, 0, c.stop_bits))) << "case " << i;
        DeviceLineSettings seen = device.termios(1);
        ASSERT_TRUE(seen.valid) << "case " << i << ": " << device.last_reply();
        EXPECT_EQ(c.baud, seen.speed) << "case " << i << ": index " << c.index;
        EXPECT_EQ(c.stop, seen.stop) << "case " << i << ": StopBits " << c.stop_bits;
        channel.close();
    }
}

PortSettings with_flow(PortSettings settings, int flow)
{
    settings.Flow = flow;
    return settings;
}

// Whatever the port was left with, the whole line is set: the four line
// settings, binary mode, DTR and RTS on, and only the chosen flow control.
TEST_F(SerialLine, OpenSetsTheWholeLine)
{
    SpyPatch get("GetCommState");
    SpyPatch set("SetCommState");
    ASSERT_TRUE(get.active() && set.active());
    const struct {
        PortSettings settings;
        DWORD baud;
        BYTE parity, byte_size, stop_bits;
        const char* flow_on_line;
    } cases[] = {
        {line(0, 3, 0, 0, 0), 9600, NOPARITY, 8, ONESTOPBIT, "rtscts=0 ixon=0 ixoff=0"},
        {with_flow(line(0, 7, 1, 1, 1), 1), 115200, ODDPARITY, 7, ONE5STOPBITS, "rtscts=1 ixon=0 ixoff=0"},
        {with_flow(line(0, 0, 2, 0, 2), 2), 1200, EVENPARITY, 8, TWOSTOPBITS, "rtscts=0 ixon=1 ixoff=1"},
        {with_flow(line(0, 5, 5, 2, 5), 9), 38400, NOPARITY, 8, ONESTOPBIT, "rtscts=0 ixon=0 ixoff=0"},
        {line(0, 3, 3, 0, 0), 9600, MARKPARITY, 8, ONESTOPBIT, "rtscts=0 ixon=0 ixoff=0"},
        {line(0, 3, 4, 1, 0), 9600, SPACEPARITY, 7, ONESTOPBIT, "rtscts=0 ixon=0 ixoff=0"},
        {line(0, -1, -1, -1, -1), 9600, NOPARITY, 8, ONESTOPBIT, "rtscts=0 ixon=0 ixoff=0"},
        {with_flow(line(0, 6, 2, 1, 0), 1), 57600, EVENPARITY, 7, ONESTOPBIT, "rtscts=1 ixon=0 ixoff=0"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        spy.set_calls = 0;
        spy.left_dirty = true;
        ASSERT_EQ(1, channel.open(c.settings)) << "case " << i;
        EXPECT_EQ(sizeof(DCB), spy.get_length_given) << "case " << i;
        ASSERT_EQ(1, spy.set_calls) << "case " << i;
        bool rts_cts = c.settings.Flow == 1, xon_xoff = c.settings.Flow == 2;
        DCB expected = spy.reported;
        expected.BaudRate = c.baud;
        expected.Parity = c.parity;
        expected.ByteSize = c.byte_size;
        expected.StopBits = c.stop_bits;
        expected.fParity = c.parity != NOPARITY;
        expected.fBinary = 1;
        expected.fOutxCtsFlow = rts_cts;
        expected.fOutxDsrFlow = expected.fDsrSensitivity = 0;
        expected.fDtrControl = DTR_CONTROL_ENABLE;
        expected.fRtsControl = rts_cts ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
        expected.fOutX = expected.fInX = xon_xoff;
        expected.fNull = expected.fErrorChar = expected.fAbortOnError = 0;
        expected.XonChar = 0x11;
        expected.XoffChar = 0x13;
        EXPECT_EQ(describe(expected), describe(spy.applied)) << "case " << i;
        std::string reply;
        spy.left_dirty = false;
        EXPECT_TRUE(device.command("FLOW COM1", &reply)) << "case " << i << ": " << reply;
        EXPECT_EQ(std::string("OK ") + c.flow_on_line, reply) << "case " << i;
        channel.close();
    }
}

// Any port up to COM256 is opened through the device namespace, and any
// rate the driver takes reaches the line.
TEST_F(SerialLine, OtherPortsAndRatesReachTheLine)
{
    SpyPatch files("CreateFileA");
    ASSERT_TRUE(files.active());
    const struct {
        int port, baud, com, speed_on_line;
        const char* name;
    } cases[] = {
        {12, 921600, 12, 921600, "\\\\.\\COM12"}, {0, 115200, 1, 115200, "\\\\.\\COM1"},
        {3, 49, 3, 9600, "\\\\.\\COM3"},          {257, 4000001, 1, 9600, "\\\\.\\COM1"},
        {12, 230400, 12, 230400, "\\\\.\\COM12"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        PortSettings settings = line(0, 3);
        settings.Port = c.port;
        settings.Baud = c.baud;
        device.clear(c.com);
        ASSERT_EQ(1, channel.open(settings)) << "case " << i << ": port " << c.port;
        EXPECT_EQ(c.name, spy.opened_name) << "case " << i;
        EXPECT_EQ(c.com, channel.port_number) << "case " << i;
        EXPECT_EQ(3, channel.write("hi\r", 3)) << "case " << i;
        EXPECT_EQ("hi\r", wait_for_received(device, 3, 3000, c.com))
            << "case " << i << ": COM" << c.com;
        DeviceLineSettings seen = device.termios(c.com);
        EXPECT_EQ(c.speed_on_line, seen.speed) << "case " << i << ": baud " << c.baud;
        channel.close();
    }
}

TEST_F(SerialLine, OpenSetsTimeoutsQueuesAndEvents)
{
    SpyPatch setup("SetupComm");
    ASSERT_TRUE(setup.active());
    ASSERT_EQ(1, channel.open(line(0, 3)));
    // The queues hold a burst that arrives while nobody reads (a
    // pseudo-terminal itself holds about 4 KB).
    const int burst = 4000;
    EXPECT_EQ(1, spy.setup_calls);
    EXPECT_EQ(65536u, spy.setup_in);
    EXPECT_EQ(65536u, spy.setup_out);
    ASSERT_TRUE(device.send_bytes(1, std::string(burst, 'q'))) << device.last_reply();
    ASSERT_TRUE(wait_for_waiting(channel, burst)) << channel.bytes_waiting() << " waiting";

    COMMTIMEOUTS timeouts;
    memset(&timeouts, 0xff, sizeof timeouts);
    ASSERT_TRUE(GetCommTimeouts(channel.handle, &timeouts));
    EXPECT_NE(0u, timeouts.WriteTotalTimeoutConstant) << "a write may block for ever";

    // Both events exist and are distinct; the write event (the reader
    // thread uses the other) starts non-signalled and stays signalled once
    // set (manual reset).
    HANDLE write_event = channel.write_overlapped.hEvent;
    ASSERT_NE(nullptr, channel.read_overlapped.hEvent);
    ASSERT_NE(nullptr, write_event);
    EXPECT_NE(channel.read_overlapped.hEvent, write_event);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(write_event, 0));
    SetEvent(write_event);
    WaitForSingleObject(write_event, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(write_event, 0));
    EXPECT_EQ(1, channel.is_open);
}

// The driver never gives up on a write before its bytes' own time on the
// line: the per-byte part of the write time-out follows the rate.
TEST_F(SerialLine, TheWriteTimeOutGrowsWithTheLineTimeOfEachByte)
{
    const struct {
        int32_t baud;
        int stop_bits;
        DWORD per_byte_ms;  // ten or eleven bits a byte, rounded up
    } cases[] = {{300, 0, 34}, {1200, 2, 10}, {9600, 0, 2}, {115200, 0, 1}, {921600, 0, 1}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        PortSettings settings = line(0, 3, 0, 0, cases[i].stop_bits);
        settings.Baud = cases[i].baud;
        ASSERT_EQ(1, channel.open(settings)) << "case " << i;
        COMMTIMEOUTS timeouts;
        memset(&timeouts, 0xff, sizeof timeouts);
        ASSERT_TRUE(GetCommTimeouts(channel.handle, &timeouts)) << "case " << i;
        EXPECT_EQ(cases[i].per_byte_ms, timeouts.WriteTotalTimeoutMultiplier)
            << "case " << i << ": baud " << cases[i].baud;
        EXPECT_EQ(MAXDWORD, timeouts.ReadIntervalTimeout) << "case " << i;
        channel.close();
    }
}

TEST_F(SerialLine, WrittenBytesArriveExactly)
{
    const char early[] = "closed";
    EXPECT_EQ(0, channel.write(early, 6)) << "write on a closed channel";
    EXPECT_EQ(0, channel.write_byte('c')) << "write_byte on a closed channel";

    ASSERT_EQ(1, channel.open(line(0, 7)));
    std::string every_value;
    for (int value = 0; value < 256; ++value)
        every_value += static_cast<char>(value);
    EXPECT_EQ(256, channel.write(every_value.data(), 256));
    EXPECT_EQ(every_value, wait_for_received(device, 256, 3000));

    // Refused writes send nothing: only the marker after them arrives.
    device.clear(1);
    EXPECT_EQ(0, channel.write("abc", 0)) << "length 0";
    EXPECT_EQ(0, channel.write("abc", -5)) << "negative length";
    EXPECT_EQ(0, channel.write(nullptr, 3)) << "no data";
    EXPECT_EQ(1, channel.write_byte('!'));
    EXPECT_EQ("!", wait_for_received(device, 1, 3000));
}

TEST_F(SerialLine, ReadTakesAtMostItsMaximumAndLeavesTheRestQueued)
{
    ASSERT_EQ(1, channel.open(line(1, 7)));
    const std::string sent = pattern(300);
    ASSERT_TRUE(device.send_bytes(2, sent)) << device.last_reply();
    ASSERT_TRUE(wait_for_waiting(channel, 300)) << "waiting: " << channel.bytes_waiting();

    unsigned char first[400];
    memset(first, 0xff, sizeof first);
    ASSERT_EQ(255, channel.read(first, 255));
    EXPECT_EQ(0, memcmp(sent.data(), first, 255));
    EXPECT_TRUE(all_bytes_are(first + 255, sizeof first - 255, 0xff)) << "written past the maximum";

    EXPECT_EQ(45, channel.bytes_waiting());
    unsigned char rest[400];
    memset(rest, 0xff, sizeof rest);
    ASSERT_EQ(45, channel.read(rest, 255));
    EXPECT_EQ(0, memcmp(sent.data() + 255, rest, 45));
    EXPECT_TRUE(all_bytes_are(rest + 45, sizeof rest - 45, 0xff));
    EXPECT_EQ(0, channel.bytes_waiting());
}

TEST_F(SerialLine, ReadsThatMustNotReadLeaveBufferAndQueueAlone)
{
    unsigned char buffer[64];
    memset(buffer, 0xff, sizeof buffer);
    EXPECT_EQ(0, channel.bytes_waiting()) << "closed channel";
    EXPECT_EQ(0, channel.read(buffer, 64)) << "closed channel";

    ASSERT_EQ(1, channel.open(line(0, 3)));
    EXPECT_EQ(0, channel.bytes_waiting());
    EXPECT_EQ(0, channel.read(buffer, 64)) << "nothing waiting";

    ASSERT_TRUE(device.send_bytes(1, "12345"));
    ASSERT_TRUE(wait_for_waiting(channel, 5));
    const int refused_maxima[] = {0, -1, INT_MIN};
    for (int max : refused_maxima)
        EXPECT_EQ(0, channel.read(buffer, max)) << "max " << max;
    EXPECT_EQ(0, channel.read(nullptr, 64)) << "no buffer";
    EXPECT_TRUE(all_bytes_are(buffer, sizeof buffer, 0xff));
    EXPECT_EQ(5, channel.bytes_waiting());
    EXPECT_EQ(5, channel.read(buffer, 64));
    EXPECT_EQ(0, memcmp("12345", buffer, 5));
}

TEST_F(SerialLine, SecondOpenLeavesThePortAndItsSettingsUntouched)
{
    ASSERT_EQ(1, channel.open(line(0, 4, 0, 0, 2)));
    const DeviceLineSettings com2_before = device.termios(2);
    const HANDLE port = channel.handle;
    const HANDLE read_event = channel.read_overlapped.hEvent;
    const HANDLE write_event = channel.write_overlapped.hEvent;

    // Settings that would visibly change COM2 if they were applied.
    const int other_index = com2_before.speed == 1200 ? 7 : 0;
    EXPECT_EQ(1, channel.open(line(1, other_index, 2, 1, 0)));
    EXPECT_EQ(port, channel.handle);
    EXPECT_EQ(read_event, channel.read_overlapped.hEvent);
    EXPECT_EQ(write_event, channel.write_overlapped.hEvent);
    EXPECT_EQ(1, channel.is_open);

    DeviceLineSettings com1 = device.termios(1);
    EXPECT_EQ(19200, com1.speed);
    EXPECT_EQ(2, com1.stop);
    EXPECT_EQ(com2_before.speed, device.termios(2).speed);
    EXPECT_EQ(2, channel.write("x\r", 2));
    EXPECT_EQ("x\r", wait_for_received(device, 2, 3000));
    EXPECT_EQ("", device.received(2));
}

TEST_F(SerialLine, CloseIsHarmlessWhenClosedAndReleasesEverything)
{
    SerialChannel never_opened;
    EXPECT_EQ(1, never_opened.close());
    EXPECT_EQ(0, never_opened.bytes_waiting());

    ASSERT_EQ(1, channel.open(line(2, 3)));
    HANDLE owned[] = {channel.handle, channel.read_overlapped.hEvent,
                      channel.write_overlapped.hEvent};
    EXPECT_EQ(1, channel.close());
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(handle_is_closed(owned[i])) << "handle " << i << " still open";
    EXPECT_EQ(nullptr, channel.handle);
    EXPECT_EQ(nullptr, channel.read_overlapped.hEvent);
    EXPECT_EQ(nullptr, channel.write_overlapped.hEvent);
    EXPECT_EQ(0, channel.is_open);
    EXPECT_EQ(1, channel.close());
    EXPECT_EQ(0, channel.write("x", 1));

    ASSERT_EQ(1, channel.open(line(2, 3)));
    EXPECT_EQ(3, channel.write("on\r", 3));
    EXPECT_EQ("on\r", wait_for_received(device, 3, 3000, 3));
}

}  // namespace
