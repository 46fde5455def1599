// The device process as scripts use it: start-up files, recording, links into
// a Wine prefix, and clean exits.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ctl_client.h"
#include "device_fixture.h"

namespace vdev_test {
namespace {

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

TEST(DeviceProcessTest, SigtermRemovesLinksAndFiles) {
    DeviceProcess device;
    ASSERT_TRUE(device.start("1,2,3,4"));
    for (int n = 1; n <= 4; ++n) EXPECT_TRUE(exists(device.link(n))) << "COM" << n;
    EXPECT_EQ(device.stop(), 0);
    for (int n = 1; n <= 4; ++n) EXPECT_FALSE(exists(device.link(n))) << "COM" << n;
    EXPECT_FALSE(exists(device.port_file()));
}

TEST(DeviceProcessTest, QuitAnswersThenExits) {
    DeviceProcess device;
    ASSERT_TRUE(device.start("2"));
    EXPECT_FALSE(exists(device.link(1))) << "only COM2 was asked for";
    EXPECT_EQ(device.ctl("QUIT"), "OK");
    EXPECT_EQ(device.wait_exit(3000), 0);
    EXPECT_FALSE(exists(device.link(2)));
}

TEST(DeviceProcessTest, RecordsEveryByteAndKeepsWinePrefixLinks) {
    char tmpl[] = "/tmp/vdev-prefix-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::string prefix = tmpl;
    DeviceProcess device;
    ASSERT_TRUE(device.start("1,3", {"--wineprefix", prefix, "--record", prefix + "/rec",
                                     "--pid-file", prefix + "/vdev.pid"}));
    EXPECT_EQ(file_text(prefix + "/vdev.pid"), std::to_string(device.pid()) + "\n");
    EXPECT_EQ(link_target(prefix + "/dosdevices/com3"), link_target(device.link(3)));

    int fd = open_line(prefix + "/dosdevices/com1");
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(write_all(fd, "AT\r"));
    read_some(fd, 8);
    ASSERT_EQ(device.ctl("CLEAR COM1"), "OK");
    ASSERT_TRUE(write_all(fd, std::string("\x00\xFF", 2)));
    read_some(fd, 8, 200);
    EXPECT_EQ(file_text(prefix + "/rec/com1.bin"), std::string("AT\r\x00\xFF", 5))
        << "recording ignores CLEAR";
    close(fd);

    ASSERT_EQ(device.ctl("VANISH COM3"), "OK");
    EXPECT_FALSE(exists(prefix + "/dosdevices/com3"));
    ASSERT_EQ(device.ctl("RETURN COM3"), "OK");
    EXPECT_EQ(link_target(prefix + "/dosdevices/com3"), link_target(device.link(3)));

    EXPECT_EQ(device.stop(), 0);
    EXPECT_FALSE(exists(prefix + "/dosdevices/com1"));
    EXPECT_FALSE(exists(prefix + "/vdev.pid"));
    std::filesystem::remove_all(prefix);
}

TEST(DeviceProcessTest, DaemonIsReadyWhenTheLauncherReturns) {
    char tmpl[] = "/tmp/vdev-daemon-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::string dir = tmpl;
    std::string cmd = std::string(VDEV_BINARY) + " --daemon --ports 1 --link-dir " + dir +
                      " --control 0 --port-file " + dir + "/port --pid-file " + dir + "/pid";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    // No waiting: everything is in place the moment the launcher has exited.
    int port = 0;
    ASSERT_TRUE(vdev::read_port_file(dir + "/port", &port));
    EXPECT_TRUE(exists(dir + "/com1"));
    std::string reply;
    EXPECT_EQ(vdev::control_request(port, "PING", &reply), vdev::RequestResult::Ok);
    pid_t pid = std::stoi(file_text(dir + "/pid"));
    ASSERT_GT(pid, 1);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    for (int i = 0; i < 300 && exists(dir + "/com1"); ++i) usleep(10000);
    EXPECT_FALSE(exists(dir + "/com1"));
    std::filesystem::remove_all(dir);
}

TEST(DeviceProcessTest, StartFailsCleanlyOnAPortInUse) {
    DeviceProcess first;
    ASSERT_TRUE(first.start("1"));
    char tmpl[] = "/tmp/vdev-busy-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    std::string dir = tmpl;
    std::string cmd = std::string(VDEV_BINARY) + " --daemon --ports 1 --link-dir " + dir +
                      " --control " + std::to_string(first.control_port()) + " 2>/dev/null";
    int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "status " << status;
    EXPECT_FALSE(exists(dir + "/com1")) << "a failed start leaves no link behind";
    EXPECT_EQ(first.ctl("PING"), "OK");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vdev_test
