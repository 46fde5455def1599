// Runs the device as a child process in a scratch directory and gives tests
// the program's side of its lines plus a control connection.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include <gtest/gtest.h>
#include "tests/support/text_helpers.h"  // printable, for failure messages

namespace vdev_test {

class DeviceProcess {
public:
    ~DeviceProcess();

    // Starts the device serving `ports` ("1,2") and waits until it is ready.
    bool start(const std::string& ports = "1,2", const std::vector<std::string>& extra = {});
    // SIGTERM, then waits; returns the exit status (or -1).
    int stop();
    // Waits for the process to end on its own; returns the exit status (or -1).
    int wait_exit(int timeout_ms);

    // Sends one control line and returns the reply ("" if none came).
    std::string ctl(const std::string& line);
    // The reply to RECEIVED on `com` once the device holds at least `bytes`
    // received bytes, or the last reply after five seconds.
    std::string received(const std::string& com, size_t bytes);

    std::string link(int com) const { return dir_ + "/links/com" + std::to_string(com); }
    const std::string& dir() const { return dir_; }
    const std::string& port_file() const { return port_file_; }
    int control_port() const { return control_port_; }
    pid_t pid() const { return pid_; }

private:
    std::string dir_;
    std::string port_file_;
    int control_port_ = 0;
    pid_t pid_ = -1;
};

// Opens a line the way the program would (non-blocking, raw); -1 on failure.
int open_line(const std::string& path);
// Writes everything (waiting while the line is busy, up to a time-out).
bool write_all(int fd, const std::string& data, int timeout_ms = 3000);
// Reads until `want` bytes came or `timeout_ms` passed since the last byte.
std::string read_some(int fd, size_t want, int timeout_ms = 1000);
// Reads whatever arrives during the next `ms` milliseconds.
std::string read_for(int fd, int ms);
// Where a symlink points ("" if it is not one).
std::string link_target(const std::string& path);
// Milliseconds on the monotonic clock.
double now_ms();

// Test base with a started device serving COM1 and COM2.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(device.start()) << "device did not start"; }
    DeviceProcess device;
};

}  // namespace vdev_test
