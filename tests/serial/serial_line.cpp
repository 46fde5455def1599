#include "tests/serial/serial_line.h"
#include "tests/serial/platform_spy.h"

namespace {

const int served_ports[] = {1, 2, 3, 4, 12};

}  // namespace

bool wait_for_waiting(SerialChannel& channel, int count)
{
    DWORD start = GetTickCount();
    while (channel.bytes_waiting() != count) {
        if (GetTickCount() - start > 3000)
            return false;
        Sleep(20);
    }
    return true;
}

bool handle_is_closed(HANDLE handle)
{
    DWORD flags = 0;
    return !GetHandleInformation(handle, &flags);
}

bool all_bytes_are(const unsigned char* bytes, size_t count, unsigned char value)
{
    for (size_t i = 0; i < count; ++i)
        if (bytes[i] != value)
            return false;
    return true;
}

void SerialLine::SetUp()
{
    spy = Spy();
    ASSERT_TRUE(device.ping()) << "virtual device: " << device.last_reply();
    for (int com : served_ports) {
        device.set_mode(com, "silent");
        device.flush(com);
        device.clear(com);
    }
}

void SerialLine::TearDown()
{
    channel.close();
    for (int com : served_ports) {
        device.come_back(com);
        device.release(com);
        device.set_mode(com, "modem");
        device.flush(com);
        device.clear(com);
    }
}
