// The modem mode as the program sees it through the line.
#include <chrono>
#include <thread>
#include <unistd.h>

#include "device_fixture.h"

namespace vdev_test {
namespace {

struct ModemCase {
    const char* name;
    std::vector<std::string> writes;  // written one after another with a pause between
    std::string expected;
};

const std::string kOk = "\r\nOK\r\n";

std::vector<ModemCase> modem_cases() {
    std::string long_line(1500, 'A');
    return {
        {"command ended by CR", {"AT\r"}, "AT" + kOk},
        {"CR LF answers once", {"AT\r\n"}, "AT" + kOk},
        {"command ended by LF", {"AT\n"}, "AT" + kOk},
        {"bare CR answers an empty line", {"\r"}, kOk},
        {"two CRs answer twice", {"\r\r"}, kOk + kOk},
        {"LF then CR are two line ends", {"\n\r"}, kOk + kOk},
        {"two commands in one write", {"ATI\rATZ\r"}, "ATI" + kOk + "ATZ" + kOk},
        {"CR LF split across writes", {"AT", "\r", "\nX\r"}, "AT" + kOk + "X" + kOk},
        {"bytes are echoed unchanged", {"a\x01\xff~\r"}, "a\x01\xff~" + kOk},
        {"over-long line is answered in pieces", {long_line + "\r"},
         std::string(1024, 'A') + kOk + std::string(476, 'A') + kOk},
    };
}

TEST_F(DeviceTest, ModemAnswersLinesByteForByte) {
    for (const ModemCase& c : modem_cases()) {
        // Setting the mode starts each case on a fresh line.
        ASSERT_EQ(device.ctl("MODE COM1 modem"), "OK");
        int fd = open_line(device.link(1));
        ASSERT_GE(fd, 0) << c.name;
        for (const std::string& w : c.writes) {
            ASSERT_TRUE(write_all(fd, w)) << c.name;
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        std::string got = read_some(fd, c.expected.size() + 16, 300);
        EXPECT_EQ(printable(got), printable(c.expected)) << "case: " << c.name;
        close(fd);
    }
}

TEST_F(DeviceTest, ModemSurvivesHugeInputWithoutLineEnd) {
    int fd = open_line(device.link(1));
    ASSERT_GE(fd, 0);
    // The program may write faster than it reads the answers; read while writing.
    std::string flood(200000, 'Z');
    size_t answered = 0;
    for (size_t off = 0; off < flood.size(); off += 4096) {
        ASSERT_TRUE(write_all(fd, flood.substr(off, 4096)));
        answered += read_some(fd, 1 << 20, 5).size();
    }
    answered += read_some(fd, 1 << 20, 300).size();
    // Every full 1024-byte piece is answered as a line of its own.
    EXPECT_EQ(answered, (flood.size() / 1024) * (1024 + kOk.size()));
    ASSERT_TRUE(write_all(fd, "\rAT\r"));
    std::string tail = read_some(fd, 1 << 20, 300);
    EXPECT_EQ(printable(tail),
              printable(std::string(flood.size() % 1024, 'Z') + kOk + "AT" + kOk));
    close(fd);
}

TEST_F(DeviceTest, SilentModeTakesBytesAndAnswersNothing) {
    ASSERT_EQ(device.ctl("MODE COM1 silent"), "OK");
    int fd = open_line(device.link(1));
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(write_all(fd, "AT\r"));
    EXPECT_EQ(read_some(fd, 1, 300), "");
    EXPECT_EQ(device.ctl("RECEIVED COM1"), "OK 41540D");
    ASSERT_EQ(device.ctl("mode com1 MODEM"), "OK");
    ASSERT_TRUE(write_all(fd, "AT\r"));
    EXPECT_EQ(printable(read_some(fd, 8)), printable("AT" + kOk));
    close(fd);
}

TEST_F(DeviceTest, PortsAreIndependent) {
    ASSERT_EQ(device.ctl("MODE COM2 silent"), "OK");
    int one = open_line(device.link(1));
    int two = open_line(device.link(2));
    ASSERT_GE(one, 0);
    ASSERT_GE(two, 0);
    ASSERT_TRUE(write_all(one, "A1\r"));
    ASSERT_TRUE(write_all(two, "B2\r"));
    EXPECT_EQ(printable(read_some(one, 8)), printable("A1" + kOk));
    EXPECT_EQ(read_some(two, 1, 200), "");
    EXPECT_EQ(device.ctl("RECEIVED COM1"), "OK 41310D");
    EXPECT_EQ(device.ctl("RECEIVED COM2"), "OK 42320D");
    close(one);
    close(two);
}

TEST_F(DeviceTest, ReopeningTheLineNeverHangsItUp) {
    for (int round = 0; round < 50; ++round) {
        int fd = open_line(device.link(1));
        ASSERT_GE(fd, 0) << "round " << round;
        ASSERT_TRUE(write_all(fd, "AT\r")) << "round " << round;
        ASSERT_EQ(printable(read_some(fd, 8)), printable("AT" + kOk)) << "round " << round;
        close(fd);
    }
    EXPECT_EQ(device.ctl("PING"), "OK");
}

}  // namespace
}  // namespace vdev_test
