#include "device_fixture.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

#include "ctl_client.h"

namespace vdev_test {

double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

DeviceProcess::~DeviceProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
}

bool DeviceProcess::start(const std::string& ports, const std::vector<std::string>& extra) {
    char tmpl[] = "/tmp/vdev-test-XXXXXX";
    if (!mkdtemp(tmpl)) return false;
    dir_ = tmpl;
    port_file_ = dir_ + "/control.port";
    std::vector<std::string> args = {VDEV_BINARY, "--ports", ports, "--link-dir", dir_ + "/links",
                                     "--control", "0", "--port-file", port_file_};
    args.insert(args.end(), extra.begin(), extra.end());

    pid_ = fork();
    if (pid_ < 0) return false;
    if (pid_ == 0) {
        // If the test dies, the device still exits cleanly and removes its links.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        int log = open((dir_ + "/device.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log >= 0) dup2(log, 2);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    double deadline = now_ms() + 5000;
    while (now_ms() < deadline) {
        if (vdev::read_port_file(port_file_, &control_port_)) return true;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int DeviceProcess::wait_exit(int timeout_ms) {
    double deadline = now_ms() + timeout_ms;
    while (pid_ > 0 && now_ms() < deadline) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

int DeviceProcess::stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    return wait_exit(5000);
}

std::string DeviceProcess::ctl(const std::string& line) {
    std::string reply;
    vdev::control_request(control_port_, line, &reply);
    return reply;
}

std::string DeviceProcess::received(const std::string& com, size_t bytes) {
    std::string reply;
    for (double start = now_ms(); now_ms() - start < 5000; usleep(20000)) {
        reply = ctl("RECEIVED " + com);
        if (reply.size() >= 3 + 2 * bytes) break;
    }
    return reply;
}

int open_line(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    return fd;
}

bool write_all(int fd, const std::string& data, int timeout_ms) {
    size_t done = 0;
    double deadline = now_ms() + timeout_ms;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
        int left = static_cast<int>(deadline - now_ms());
        if (left <= 0) return false;
        pollfd p{fd, POLLOUT, 0};
        poll(&p, 1, left);
    }
    return true;
}

std::string read_some(int fd, size_t want, int timeout_ms) {
    std::string got;
    char buf[4096];
    while (got.size() < want) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0) break;
        ssize_t n = read(fd, buf, std::min(sizeof buf, want - got.size()));
        if (n <= 0) break;
        got.append(buf, n);
    }
    return got;
}

std::string read_for(int fd, int ms) {
    std::string got;
    char buf[65536];
    double deadline = now_ms() + ms;
    for (;;) {
        int left = static_cast<int>(deadline - now_ms());
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, left) <= 0) continue;
        ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, n);
    }
    return got;
}

std::string link_target(const std::string& path) {
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n < 0) return "";
    return std::string(buf, n);
}

}  // namespace vdev_test
