#include "control_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vdev {

ControlServer::~ControlServer() {
    for (Client& c : clients_) close(c.fd);
    if (listen_fd_ >= 0) close(listen_fd_);
}

bool ControlServer::listen(int port, std::string* err) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *err = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        *err = "control port " + std::to_string(port) + ": " + std::strerror(errno);
        close(fd);
        return false;
    }
    listen_fd_ = fd;
    port_ = ntohs(addr.sin_port);
    return true;
}

void ControlServer::add_poll_fds(std::vector<pollfd>* fds) const {
    fds->push_back(pollfd{listen_fd_, POLLIN, 0});
    for (const Client& c : clients_)
        fds->push_back(pollfd{c.fd, static_cast<short>(POLLIN | (c.out.empty() ? 0 : POLLOUT)), 0});
}

void ControlServer::dispatch(const std::vector<pollfd>& fds, size_t first) {
    // Entries after `first` match clients_ as it was when add_poll_fds ran.
    size_t count = clients_.size();
    for (size_t i = 0; i < count; ++i) {
        short rev = fds[first + 1 + i].revents;
        Client& c = clients_[i];
        if (rev & (POLLIN | POLLHUP | POLLERR)) read_client(c);
        if (!c.dead && !c.out.empty()) write_client(c);
    }
    for (size_t i = 0; i < clients_.size();) {
        if (clients_[i].dead) {
            close(clients_[i].fd);
            clients_.erase(clients_.begin() + i);
        } else {
            ++i;
        }
    }
    if (fds[first].revents & POLLIN) accept_clients();
}

bool ControlServer::has_output() const {
    for (const Client& c : clients_)
        if (!c.out.empty()) return true;
    return false;
}

void ControlServer::accept_clients() {
    for (;;) {
        int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (clients_.size() >= kMaxClients) {
            close(clients_.front().fd);
            clients_.erase(clients_.begin());
        }
        Client c;
        c.fd = fd;
        clients_.push_back(std::move(c));
    }
}

void ControlServer::read_client(Client& c) {
    char buf[65536];
    for (int round = 0; round < 64; ++round) {
        ssize_t n = recv(c.fd, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            c.dead = true;
            return;
        }
        if (n < 0) break;
        c.in.append(buf, n);
        process_lines(c);
        if (c.dead) return;
    }
}

void ControlServer::process_lines(Client& c) {
    size_t start = 0;
    for (;;) {
        size_t nl = c.in.find('\n', start);
        if (nl == std::string::npos) break;
        std::string line = c.in.substr(start, nl - start);
        start = nl + 1;
        if (c.discarding) {
            c.discarding = false;
            c.out += "ERR line too long\n";
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        c.out += handler_(line);
        c.out += '\n';
    }
    c.in.erase(0, start);
    if (c.in.size() > kMaxLine) {
        c.in.clear();
        c.discarding = true;
    }
    if (c.out.size() > kMaxOutput) c.dead = true;
}

void ControlServer::write_client(Client& c) {
    while (!c.out.empty()) {
        ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) c.dead = true;
            return;
        }
        c.out.erase(0, n);
    }
}

}  // namespace vdev
