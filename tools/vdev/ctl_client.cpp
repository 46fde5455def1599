#include "ctl_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vdev {

namespace {

using Clock = std::chrono::steady_clock;

int ms_left(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool wait_for(int fd, short events, Clock::time_point deadline) {
    pollfd p{fd, events, 0};
    for (;;) {
        int r = poll(&p, 1, ms_left(deadline));
        if (r > 0) return true;
        if (r == 0 || errno != EINTR) return false;
    }
}

RequestResult exchange(int fd, const std::string& line, std::string* reply,
                       Clock::time_point deadline) {
    std::string out = line + "\n";
    size_t sent = 0;
    while (sent < out.size()) {
        if (!wait_for(fd, POLLOUT, deadline)) return RequestResult::NoConnection;
        ssize_t n = send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR) return RequestResult::NoConnection;
        if (n > 0) sent += n;
    }
    std::string in;
    char buf[65536];
    for (;;) {
        size_t nl = in.find('\n');
        if (nl != std::string::npos) {
            in.resize(nl);
            if (!in.empty() && in.back() == '\r') in.pop_back();
            *reply = in;
            return in.compare(0, 2, "OK") == 0 ? RequestResult::Ok : RequestResult::Err;
        }
        if (!wait_for(fd, POLLIN, deadline)) return RequestResult::NoConnection;
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n == 0) return RequestResult::NoConnection;
        if (n < 0 && errno != EAGAIN && errno != EINTR) return RequestResult::NoConnection;
        if (n > 0) in.append(buf, n);
    }
}

}  // namespace

RequestResult control_request(int port, const std::string& line, std::string* reply,
                              int timeout_ms) {
    reply->clear();
    auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return RequestResult::NoConnection;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    RequestResult result = RequestResult::NoConnection;
    int r = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (r == 0 || errno == EINPROGRESS) {
        int so_error = 0;
        socklen_t len = sizeof so_error;
        if (wait_for(fd, POLLOUT, deadline) &&
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &so_error, &len) == 0 && so_error == 0)
            result = exchange(fd, line, reply, deadline);
    }
    close(fd);
    return result;
}

bool read_port_file(const std::string& path, int* port) {
    std::ifstream in(path);
    long v = 0;
    if (!(in >> v) || v <= 0 || v > 65535) return false;
    *port = static_cast<int>(v);
    return true;
}

int run_ctl(int argc, char** argv) {
    // argv[0] is "ctl".
    int port = 0;
    std::string port_file;
    int timeout_ms = 10000;
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--port-file" && i + 1 < argc) port_file = argv[++i];
        else if (a == "--control" && i + 1 < argc) port = std::atoi(argv[++i]);
        else if (a == "--timeout" && i + 1 < argc) timeout_ms = std::atoi(argv[++i]) * 1000;
        else break;
    }
    if (i >= argc) {
        std::fprintf(stderr, "usage: vdev ctl [--port-file FILE | --control PORT] [--timeout SEC] COMMAND...\n");
        return 2;
    }
    if (port == 0 && port_file.empty()) {
        const char* env = std::getenv("QUORVEX_DEVICE_PORT_FILE");
        if (env) port_file = env;
    }
    if (port == 0 && !port_file.empty() && !read_port_file(port_file, &port)) {
        std::fprintf(stderr, "vdev ctl: no control port in %s\n", port_file.c_str());
        return 2;
    }
    if (port <= 0 || port > 65535) {
        std::fprintf(stderr, "vdev ctl: no control port given\n");
        return 2;
    }
    std::string line;
    for (; i < argc; ++i) {
        if (!line.empty()) line += ' ';
        line += argv[i];
    }
    std::string reply;
    RequestResult r = control_request(port, line, &reply, timeout_ms > 0 ? timeout_ms : 10000);
    if (r == RequestResult::NoConnection) {
        std::fprintf(stderr, "vdev ctl: no reply from 127.0.0.1:%d\n", port);
        return 2;
    }
    std::printf("%s\n", reply.c_str());
    return r == RequestResult::Ok ? 0 : 1;
}

}  // namespace vdev
