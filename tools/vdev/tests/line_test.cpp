// Line-level behaviour: settings the program made, holding its output, and the
// device vanishing and coming back.
#include <cerrno>
#include <fstream>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "device_fixture.h"

namespace vdev_test {
namespace {

struct TermiosCase {
    const char* name;
    speed_t speed;
    tcflag_t size;
    tcflag_t parity;  // 0, PARENB or PARENB|PARODD
    bool two_stop;
    const char* expected;
};

// Linux's pty driver keeps the speed and CSTOPB the program sets, but forces
// CS8 and clears PARENB on every tcsetattr, so data bits and parity always
// read back as 8 and none.
const TermiosCase kTermiosCases[] = {
    {"9600 8N1", B9600, CS8, 0, false, "OK speed=9600 data=8 parity=none stop=1"},
    {"115200 8N2", B115200, CS8, 0, true, "OK speed=115200 data=8 parity=none stop=2"},
    {"19200 7E1 reads as 8N1", B19200, CS7, PARENB, false, "OK speed=19200 data=8 parity=none stop=1"},
    {"1200 7O2 reads as 8N2", B1200, CS7, PARENB | PARODD, true, "OK speed=1200 data=8 parity=none stop=2"},
    {"300 5N1 reads as 8N1", B300, CS5, 0, false, "OK speed=300 data=8 parity=none stop=1"},
    {"921600 8N1", B921600, CS8, 0, false, "OK speed=921600 data=8 parity=none stop=1"},
};

TEST_F(DeviceTest, TermiosReportsWhatTheLineKeeps) {
    EXPECT_EQ(device.ctl("TERMIOS COM1"), "OK speed=9600 data=8 parity=none stop=1") << "initial";
    int fd = open_line(device.link(1));
    ASSERT_GE(fd, 0);
    for (const TermiosCase& c : kTermiosCases) {
        termios t{};
        ASSERT_EQ(tcgetattr(fd, &t), 0) << c.name;
        cfsetispeed(&t, c.speed);
        cfsetospeed(&t, c.speed);
        t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
        t.c_cflag |= c.size | c.parity | (c.two_stop ? CSTOPB : 0);
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0) << c.name;
        EXPECT_EQ(device.ctl("TERMIOS COM1"), c.expected) << "case: " << c.name;
    }
    close(fd);
    // The settings outlive the program closing the line.
    EXPECT_EQ(device.ctl("TERMIOS COM1"), kTermiosCases[std::size(kTermiosCases) - 1].expected);
}

// A held line takes nothing from the program until it is released, while
// the device can still send to it.
TEST_F(DeviceTest, HoldBlocksTheProgramsWritesUntilRelease) {
    int fd = open_line(device.link(1));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(device.ctl("MODE COM1 silent"), "OK");
    ASSERT_EQ(device.ctl("HOLD COM1"), "OK");
    errno = 0;
    EXPECT_EQ(write(fd, "held", 4), -1);
    EXPECT_EQ(errno, EAGAIN) << "a held line takes nothing at all";
    EXPECT_EQ(device.ctl("RECEIVED COM1"), "OK");
    ASSERT_EQ(device.ctl("SEND COM1 52494E470D"), "OK");
    EXPECT_EQ(printable(read_some(fd, 5)), "RING\\r");
    ASSERT_EQ(device.ctl("RELEASE COM1"), "OK");
    ASSERT_TRUE(write_all(fd, "free"));
    EXPECT_EQ(device.received("COM1", 4), "OK 66726565");
    close(fd);
}

TEST_F(DeviceTest, VanishRemovesTheLineAndReturnBringsANewOne) {
    std::string before = link_target(device.link(1));
    ASSERT_EQ(before.compare(0, 9, "/dev/pts/"), 0) << before;
    int fd = open_line(device.link(1));
    ASSERT_GE(fd, 0);

    ASSERT_EQ(device.ctl("VANISH COM1"), "OK");
    EXPECT_EQ(link_target(device.link(1)), "") << "link must be gone";
    // The program's open line is hung up: reads see end of file, writes fail.
    char c;
    EXPECT_EQ(read(fd, &c, 1), 0);
    errno = 0;
    EXPECT_EQ(write(fd, "x", 1), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(device.ctl("SEND COM1 41").compare(0, 4, "ERR "), 0);
    EXPECT_EQ(device.ctl("TERMIOS COM1").compare(0, 4, "ERR "), 0);
    EXPECT_EQ(device.ctl("VANISH COM1"), "OK") << "vanishing twice is harmless";

    ASSERT_EQ(device.ctl("RETURN COM1"), "OK");
    std::string after = link_target(device.link(1));
    EXPECT_EQ(after.compare(0, 9, "/dev/pts/"), 0) << after;
    EXPECT_NE(after, before) << "a new pty while the old one is still held open";
    int fresh = open_line(device.link(1));
    ASSERT_GE(fresh, 0);
    ASSERT_TRUE(write_all(fresh, "AT\r"));
    EXPECT_EQ(printable(read_some(fresh, 8)), printable("AT\r\nOK\r\n"));
    EXPECT_EQ(device.ctl("TERMIOS COM1"), "OK speed=9600 data=8 parity=none stop=1");
    close(fresh);
    close(fd);
}

TEST_F(DeviceTest, VanishNoDeviceLeavesANameThatCannotBeOpened) {
    ASSERT_EQ(device.ctl("VANISH COM2 nodevice"), "OK");
    std::string target = link_target(device.link(2));
    EXPECT_NE(target, "");
    EXPECT_EQ(target.find("/dev/pts/"), std::string::npos) << target;
    errno = 0;
    EXPECT_EQ(open_line(device.link(2)), -1);
    EXPECT_EQ(errno, ENXIO);

    // A plain VANISH from there removes the name altogether.
    ASSERT_EQ(device.ctl("VANISH COM2"), "OK");
    EXPECT_EQ(link_target(device.link(2)), "");
    EXPECT_EQ(device.ctl("VANISH COM2 nodevice"), "OK");
    EXPECT_EQ(device.ctl("VANISH COM2 gone").compare(0, 4, "ERR "), 0);

    ASSERT_EQ(device.ctl("RETURN COM2"), "OK");
    int fd = open_line(device.link(2));
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(write_all(fd, "AT\r"));
    EXPECT_EQ(printable(read_some(fd, 8)), printable("AT\r\nOK\r\n"));
    close(fd);
    EXPECT_FALSE(std::ifstream(target).good()) << "the placeholder goes with RETURN";

    ASSERT_EQ(device.ctl("VANISH COM2 nodevice"), "OK");
    EXPECT_EQ(device.stop(), 0);
    EXPECT_EQ(link_target(device.link(2)), "") << "no link left behind at exit";
    EXPECT_FALSE(std::ifstream(target).good()) << "no placeholder left behind at exit";
}

struct FlowCase {
    const char* name;
    tcflag_t cflag;
    tcflag_t iflag;
    const char* expected;
};

TEST_F(DeviceTest, FlowReportsTheProgramsFlowControl) {
    const FlowCase cases[] = {
        {"none", 0, 0, "OK rtscts=0 ixon=0 ixoff=0"},
        {"hardware", CRTSCTS, 0, "OK rtscts=1 ixon=0 ixoff=0"},
        {"xon/xoff both ways", 0, IXON | IXOFF, "OK rtscts=0 ixon=1 ixoff=1"},
        {"xon/xoff output only", 0, IXON, "OK rtscts=0 ixon=1 ixoff=0"},
    };
    int fd = open_line(device.link(1));
    ASSERT_GE(fd, 0);
    for (const FlowCase& c : cases) {
        termios t{};
        ASSERT_EQ(tcgetattr(fd, &t), 0) << c.name;
        t.c_cflag = (t.c_cflag & ~CRTSCTS) | c.cflag;
        t.c_iflag = (t.c_iflag & ~(IXON | IXOFF)) | c.iflag;
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &t), 0) << c.name;
        EXPECT_EQ(device.ctl("FLOW COM1"), c.expected) << "case: " << c.name;
    }
    close(fd);
}

TEST_F(DeviceTest, FlushDropsWhatTheProgramHasNotRead) {
    int fd = open_line(device.link(2));
    ASSERT_EQ(device.ctl("SEND COM2 6F6C64"), "OK");
    pollfd arrived{fd, POLLIN, 0};
    ASSERT_EQ(poll(&arrived, 1, 3000), 1) << "the bytes to flush never arrived";
    ASSERT_EQ(device.ctl("FLUSH COM2"), "OK");
    ASSERT_EQ(device.ctl("SEND COM2 6E6577"), "OK");
    EXPECT_EQ(read_some(fd, 6, 300), "new");
    close(fd);
}

}  // namespace
}  // namespace vdev_test
