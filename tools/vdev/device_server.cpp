#include "device_server.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <memory>
#include <poll.h>
#include <unistd.h>
#include <vector>

#include "commands.h"
#include "control_server.h"
#include "files.h"
#include "port_device.h"

namespace vdev {

namespace {

int g_signal_pipe[2] = {-1, -1};

void on_stop_signal(int) {
    int saved = errno;
    if (write(g_signal_pipe[1], "x", 1) < 0) {
        // The pipe is full: a stop is already pending.
    }
    errno = saved;
}

bool install_signals(std::string* err) {
    if (pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        *err = "pipe failed";
        return false;
    }
    struct sigaction sa {};
    sa.sa_handler = on_stop_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    return true;
}

int fail(const std::string& why) {
    std::fprintf(stderr, "vdev: %s\n", why.c_str());
    return 1;
}

}  // namespace

int run_device(const Options& opt, const std::function<void()>& on_ready) {
    std::string err;
    if (!install_signals(&err)) return fail(err);
    if (!make_dirs(opt.link_dir, &err)) return fail(err);
    std::string dosdevices;
    if (!opt.wineprefix.empty()) {
        if (!is_directory(opt.wineprefix)) return fail("no such wine prefix: " + opt.wineprefix);
        dosdevices = opt.wineprefix + "/dosdevices";
        if (!make_dirs(dosdevices, &err)) return fail(err);
    }
    if (!opt.record_dir.empty() && !make_dirs(opt.record_dir, &err)) return fail(err);

    std::map<int, std::unique_ptr<PortDevice>> ports;
    for (int n : opt.ports) {
        std::string name = "com" + std::to_string(n);
        auto port = std::make_unique<PortDevice>(
            n, opt.link_dir + "/" + name, dosdevices.empty() ? "" : dosdevices + "/" + name,
            opt.record_dir.empty() ? "" : opt.record_dir + "/" + name + ".bin");
        if (!port->start(&err)) return fail("COM" + std::to_string(n) + ": " + err);
        ports[n] = std::move(port);
    }

    CommandHandler handler(&ports);
    ControlServer server([&handler](const std::string& line) { return handler.handle(line); });
    if (!server.listen(opt.control_port, &err)) return fail(err);
    if (!opt.pid_file.empty() &&
        !write_file_atomic(opt.pid_file, std::to_string(getpid()) + "\n", &err))
        return fail(err);
    if (!opt.port_file.empty() &&
        !write_file_atomic(opt.port_file, std::to_string(server.port()) + "\n", &err))
        return fail(err);
    std::fprintf(stderr, "vdev: control on 127.0.0.1:%d\n", server.port());
    on_ready();

    // After QUIT, replies still get a moment to reach their clients.
    Clock::time_point quit_deadline{};
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back(pollfd{g_signal_pipe[0], POLLIN, 0});
        std::vector<PortDevice*> polled;
        bool streaming = false;
        for (auto& [n, port] : ports) {
            streaming = streaming || port->streaming();
            if (port->poll_fd() < 0) continue;
            fds.push_back(pollfd{port->poll_fd(), port->poll_events(), 0});
            polled.push_back(port.get());
        }
        size_t server_first = fds.size();
        server.add_poll_fds(&fds);

        int timeout = (streaming || handler.quit_requested()) ? 10 : 1000;
        int r = poll(fds.data(), fds.size(), timeout);
        if (r < 0 && errno != EINTR) return fail("poll failed");
        if (r < 0) continue;
        if (fds[0].revents & POLLIN) break;

        for (size_t i = 0; i < polled.size(); ++i)
            if (fds[1 + i].revents) polled[i]->on_poll(fds[1 + i].revents);
        server.dispatch(fds, server_first);
        Clock::time_point now = Clock::now();
        for (auto& [n, port] : ports) port->tick(now);

        if (handler.quit_requested()) {
            if (quit_deadline == Clock::time_point{})
                quit_deadline = now + std::chrono::seconds(1);
            if (!server.has_output() || now >= quit_deadline) break;
        }
    }

    ports.clear();  // closes the ptys and removes their links
    if (!opt.port_file.empty()) unlink(opt.port_file.c_str());
    if (!opt.pid_file.empty()) unlink(opt.pid_file.c_str());
    std::fprintf(stderr, "vdev: stopped\n");
    return 0;
}

}  // namespace vdev
