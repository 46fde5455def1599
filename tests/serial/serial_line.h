// What the serial channel's tests share: a fixture that talks to the virtual
// device on COM1..COM4 and COM12 and leaves it as it found it, and small helpers.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <cstddef>
#include <string>
#include "serial/serial_channel.h"
#include "tests/support/device_client.h"
#include "tests/support/test_support.h"

// Settings as `SerialChannel::open` takes them: the shared builder under the
// short name these tests use.
inline PortSettings line(int comm, int speed_index, int parity = 0, int byte_size = 0,
                         int stop_bits = 0)
{
    return port_settings(comm, speed_index, parity, byte_size, stop_bits);
}

// Waits up to three seconds for the channel to report `count` bytes waiting.
bool wait_for_waiting(SerialChannel& channel, int count);

bool handle_is_closed(HANDLE handle);
bool all_bytes_are(const unsigned char* bytes, size_t count, unsigned char value);

// Every port starts silent (written lines are not answered into the next
// read), with nothing received or waiting; afterwards each port is present,
// released and answering again.
class SerialLine : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    DeviceClient device;
    SerialChannel channel;
};
