// vdev: plays the serial devices on the other end of the program's COM ports.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "ctl_client.h"
#include "device_server.h"
#include "options.h"

namespace {

void redirect_stdio(const std::string& log_file) {
    int in = open("/dev/null", O_RDONLY);
    int out = log_file.empty() ? open("/dev/null", O_WRONLY)
                               : open(log_file.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (in >= 0) dup2(in, 0);
    if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
    }
    if (in > 2) close(in);
    if (out > 2) close(out);
}

// Forks; the parent returns only once the child reports ready (exit 0) or
// gives up (exit 1). The child carries on as the device in a new session.
int run_detached(const vdev::Options& opt) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return 1;
    pid_t pid = fork();
    if (pid < 0) return 1;
    if (pid > 0) {
        close(ready[1]);
        char c = 0;
        ssize_t n;
        do n = read(ready[0], &c, 1);
        while (n < 0 && errno == EINTR);
        if (n == 1 && c == 'R') return 0;
        waitpid(pid, nullptr, 0);
        return 1;
    }
    close(ready[0]);
    setsid();
    return vdev::run_device(opt, [&] {
        if (write(ready[1], "R", 1) != 1) {
            // The parent is gone; nothing to tell.
        }
        close(ready[1]);
        redirect_stdio(opt.log_file);
    });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "ctl") == 0) return vdev::run_ctl(argc - 1, argv + 1);

    vdev::Options opt;
    bool help = false;
    std::string err;
    if (!vdev::parse_options(argc, argv, &opt, &help, &err)) {
        std::fprintf(stderr, "vdev: %s\n%s", err.c_str(), vdev::usage_text());
        return 2;
    }
    if (help) {
        std::fputs(vdev::usage_text(), stdout);
        return 0;
    }
    if (opt.daemon) return run_detached(opt);
    return vdev::run_device(opt, [] {});
}
