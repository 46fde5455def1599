// The control connection: replies, data commands and hostile input.
#include <arpa/inet.h>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ctl_client.h"
#include "device_fixture.h"

namespace vdev_test {
namespace {

int connect_control(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Reads reply lines until `lines` of them arrived (or a time-out).
std::vector<std::string> read_lines(int fd, size_t lines, int timeout_ms = 3000) {
    std::vector<std::string> out;
    std::string buf;
    char tmp[65536];
    while (out.size() < lines) {
        size_t nl = buf.find('\n');
        if (nl != std::string::npos) {
            out.push_back(buf.substr(0, nl));
            buf.erase(0, nl + 1);
            continue;
        }
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0) break;
        ssize_t n = recv(fd, tmp, sizeof tmp, 0);
        if (n <= 0) break;
        buf.append(tmp, n);
    }
    return out;
}

bool send_raw(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

TEST_F(DeviceTest, PingAndCaseInsensitiveNames) {
    EXPECT_EQ(device.ctl("PING"), "OK");
    EXPECT_EQ(device.ctl("ping"), "OK");
    EXPECT_EQ(device.ctl("StreamStatus cOm2"), "OK sent=0 done=1");
}

TEST_F(DeviceTest, SendReachesTheProgramExactly) {
    int fd = open_line(device.link(2));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(device.ctl("SEND COM2 000D0A7F80ff41"), "OK");
    EXPECT_EQ(printable(read_some(fd, 7)), printable(std::string("\x00\r\n\x7F\x80\xFF" "A", 7)));
    close(fd);
}

TEST_F(DeviceTest, ReceivedCollectsUntilClear) {
    int fd = open_line(device.link(1));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(device.ctl("MODE COM1 silent"), "OK");
    EXPECT_EQ(device.ctl("RECEIVED COM1"), "OK");
    ASSERT_TRUE(write_all(fd, std::string("\x00\x01", 2)));
    ASSERT_TRUE(write_all(fd, "xyz"));
    EXPECT_EQ(device.received("COM1", 5), "OK 000178797A");
    EXPECT_EQ(device.ctl("CLEAR COM1"), "OK");
    EXPECT_EQ(device.ctl("RECEIVED COM1"), "OK");
    ASSERT_TRUE(write_all(fd, "Q"));
    EXPECT_EQ(device.received("COM1", 1), "OK 51");
    close(fd);
}

struct BadCommand {
    const char* name;
    const char* line;
};

TEST_F(DeviceTest, BadCommandsGetErrAndChangeNothing) {
    const BadCommand cases[] = {
        {"empty line", ""},
        {"only spaces", "   "},
        {"unknown command", "FROB COM1"},
        {"port out of range", "MODE COM257 modem"},
        {"port with leading zero", "MODE COM01 modem"},
        {"port not served", "MODE COM3 modem"},
        {"port without number", "RECEIVED COM"},
        {"unknown mode", "MODE COM1 stream"},
        {"missing argument", "SEND COM1"},
        {"extra argument", "PING now"},
        {"odd hex", "SEND COM1 414"},
        {"non-hex", "SEND COM1 ZZ"},
        {"zero rate", "STREAM COM1 0 10"},
        {"negative count", "STREAM COM1 100 -1"},
        {"huge number", "STREAM COM1 99999999999999999999999 1"},
        {"unknown stream kind", "STREAM COM1 100 10 words"},
    };
    for (const BadCommand& c : cases) {
        std::string reply = device.ctl(c.line);
        EXPECT_EQ(reply.compare(0, 4, "ERR "), 0) << c.name << ": got '" << reply << "'";
    }
    EXPECT_EQ(device.ctl("STREAMSTATUS COM1"), "OK sent=0 done=1");
    int fd = open_line(device.link(1));
    ASSERT_TRUE(write_all(fd, "AT\r"));
    EXPECT_EQ(printable(read_some(fd, 8)), printable("AT\r\nOK\r\n")) << "still in modem mode";
    close(fd);
}

TEST_F(DeviceTest, GarbageAndHugeLinesDoNotHurtTheDevice) {
    int fd = connect_control(device.control_port());
    ASSERT_GE(fd, 0);
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        char c = static_cast<char>(i * 37);
        garbage.push_back(c == '\n' ? '\0' : c);
    }
    ASSERT_TRUE(send_raw(fd, garbage + "\n"));
    ASSERT_TRUE(send_raw(fd, std::string(8 << 20, 'S') + "\r\n"));  // longer than any allowed line
    ASSERT_TRUE(send_raw(fd, "PING\r\n"));
    auto lines = read_lines(fd, 3, 10000);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].compare(0, 4, "ERR "), 0) << lines[0];
    EXPECT_EQ(lines[1], "ERR line too long");
    EXPECT_EQ(lines[2], "OK");
    // A client vanishing mid-line is harmless too.
    ASSERT_TRUE(send_raw(fd, "SEND COM1 4142"));
    close(fd);
    EXPECT_EQ(device.ctl("PING"), "OK");
}

TEST_F(DeviceTest, SeveralClientsAndPipelinedCommands) {
    int a = connect_control(device.control_port());
    int b = connect_control(device.control_port());
    ASSERT_GE(a, 0);
    ASSERT_GE(b, 0);
    ASSERT_TRUE(send_raw(a, "PING\nCLEAR COM1\nRECEIVED COM1\n"));
    ASSERT_TRUE(send_raw(b, "PING\n"));
    EXPECT_EQ(read_lines(b, 1), std::vector<std::string>{"OK"});
    EXPECT_EQ(read_lines(a, 3), (std::vector<std::string>{"OK", "OK", "OK"}));
    close(a);
    close(b);
}

TEST_F(DeviceTest, ForgottenConnectionsNeverLockOthersOut) {
    std::vector<int> idle;
    for (int i = 0; i < 200; ++i) {
        int fd = connect_control(device.control_port());
        ASSERT_GE(fd, 0) << "connection " << i;
        idle.push_back(fd);
    }
    EXPECT_EQ(device.ctl("PING"), "OK");
    for (int fd : idle) close(fd);
    EXPECT_EQ(device.ctl("PING"), "OK");
}

TEST_F(DeviceTest, BigReceivedReplyIsComplete) {
    int fd = open_line(device.link(1));
    ASSERT_EQ(device.ctl("MODE COM1 silent"), "OK");
    std::string data(300000, 'k');
    ASSERT_TRUE(write_all(fd, data));
    std::string reply = device.received("COM1", data.size());
    EXPECT_EQ(reply.size(), 3 + data.size() * 2);
    EXPECT_EQ(reply.substr(0, 7), "OK 6B6B");
    close(fd);
}

// `vdev ctl` exit codes as scripts see them.
int run_ctl(const std::vector<std::string>& args) {
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<std::string> all = {VDEV_BINARY, "ctl"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (auto& a : all) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(DeviceTest, CtlExitCodes) {
    EXPECT_EQ(run_ctl({"--port-file", device.port_file(), "PING"}), 0);
    EXPECT_EQ(run_ctl({"--control", std::to_string(device.control_port()), "mode", "com1", "silent"}), 0);
    EXPECT_EQ(run_ctl({"--port-file", device.port_file(), "MODE", "COM1", "loud"}), 1);
    EXPECT_EQ(run_ctl({"--port-file", device.dir() + "/missing", "PING"}), 2);
    ASSERT_EQ(device.stop(), 0);
    // Nothing listens any more.
    int port = device.control_port();
    EXPECT_EQ(run_ctl({"--control", std::to_string(port), "PING"}), 2);
}

}  // namespace
}  // namespace vdev_test
