// Line-based TCP control endpoint on 127.0.0.1. Serves several clients at
// once from the caller's poll loop; each line gets exactly one reply line.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <poll.h>

namespace vdev {

class ControlServer {
public:
    static constexpr size_t kMaxLine = 4 << 20;     // longer lines get "ERR line too long"
    static constexpr size_t kMaxOutput = 64 << 20;  // a client not reading this much is dropped
    static constexpr size_t kMaxClients = 64;       // beyond this the oldest connection is closed

    using Handler = std::function<std::string(const std::string& line)>;

    explicit ControlServer(Handler handler) : handler_(std::move(handler)) {}
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // port 0 picks a free port; port() tells which.
    bool listen(int port, std::string* err);
    int port() const { return port_; }

    // Appends the server's fds to `fds`; dispatch() takes the same vector back
    // after poll() together with the index where this server's entries start.
    void add_poll_fds(std::vector<pollfd>* fds) const;
    void dispatch(const std::vector<pollfd>& fds, size_t first);

    // True while some reply is still waiting to be written.
    bool has_output() const;

private:
    struct Client {
        int fd = -1;
        std::string in;
        std::string out;
        bool discarding = false;  // inside an over-long line
        bool dead = false;
    };

    void accept_clients();
    void read_client(Client& c);
    void write_client(Client& c);
    void process_lines(Client& c);

    Handler handler_;
    int listen_fd_ = -1;
    int port_ = 0;
    std::vector<Client> clients_;
};

}  // namespace vdev
