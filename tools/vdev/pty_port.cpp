#include "pty_port.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <termios.h>
#include <unistd.h>

namespace vdev {

namespace {

std::string errno_text(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

void make_raw(int fd, bool set_speed) {
    termios t{};
    if (tcgetattr(fd, &t) != 0) return;
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    if (set_speed) {
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
    }
    tcsetattr(fd, TCSANOW, &t);
}

struct SpeedName {
    speed_t code;
    long baud;
};

const SpeedName kSpeeds[] = {
    {B0, 0},           {B50, 50},         {B75, 75},           {B110, 110},
    {B134, 134},       {B150, 150},       {B200, 200},         {B300, 300},
    {B600, 600},       {B1200, 1200},     {B1800, 1800},       {B2400, 2400},
    {B4800, 4800},     {B9600, 9600},     {B19200, 19200},     {B38400, 38400},
    {B57600, 57600},   {B115200, 115200}, {B230400, 230400},   {B460800, 460800},
    {B500000, 500000}, {B576000, 576000}, {B921600, 921600},   {B1000000, 1000000},
    {B1152000, 1152000}, {B1500000, 1500000}, {B2000000, 2000000},
    {B2500000, 2500000}, {B3000000, 3000000}, {B3500000, 3500000},
    {B4000000, 4000000},
};

long baud_of(speed_t code) {
    for (const auto& s : kSpeeds)
        if (s.code == code) return s.baud;
    return 0;
}

}  // namespace

bool replace_symlink(const std::string& target, const std::string& path, std::string* err) {
    std::string tmp = path + ".tmp." + std::to_string(getpid());
    unlink(tmp.c_str());
    if (symlink(target.c_str(), tmp.c_str()) != 0) {
        if (err) *err = errno_text(("symlink " + tmp).c_str());
        return false;
    }
    if (rename(tmp.c_str(), path.c_str()) != 0) {
        if (err) *err = errno_text(("rename to " + path).c_str());
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

void remove_symlink_to(const std::string& path, const std::string& target) {
    char buf[4096];
    ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n < 0) return;
    buf[n] = 0;
    if (target == buf) unlink(path.c_str());
}

PtyPort::PtyPort(const std::string& link, const std::string& extra_link)
    : link_(link), extra_link_(extra_link), placeholder_(link + ".absent") {}

PtyPort::~PtyPort() { close(); }

void PtyPort::unlink_links() {
    if (linked_to_.empty()) return;
    remove_symlink_to(link_, linked_to_);
    if (!extra_link_.empty()) remove_symlink_to(extra_link_, linked_to_);
    linked_to_.clear();
}

bool PtyPort::open(std::string* err) {
    if (is_open()) return true;
    int m = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m < 0) {
        if (err) *err = errno_text("posix_openpt");
        return false;
    }
    const char* name = nullptr;
    if (grantpt(m) != 0 || unlockpt(m) != 0 || (name = ptsname(m)) == nullptr) {
        if (err) *err = errno_text("pty setup");
        ::close(m);
        return false;
    }
    std::string path = name;
    int s = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (s < 0) {
        if (err) *err = errno_text(("open " + path).c_str());
        ::close(m);
        return false;
    }
    make_raw(m, false);
    make_raw(s, true);
    fcntl(m, F_SETFL, fcntl(m, F_GETFL) | O_NONBLOCK);

    if (!replace_symlink(path, link_, err) ||
        (!extra_link_.empty() && !replace_symlink(path, extra_link_, err))) {
        remove_symlink_to(link_, path);
        ::close(s);
        ::close(m);
        return false;
    }
    if (linked_to_ == placeholder_) unlink(placeholder_.c_str());
    linked_to_ = path;
    master_ = m;
    slave_ = s;
    slave_path_ = path;
    held_ = false;
    return true;
}

void PtyPort::close() {
    bool placeholder = linked_to_ == placeholder_;
    unlink_links();
    if (placeholder) unlink(placeholder_.c_str());
    if (!is_open()) return;
    ::close(slave_);
    ::close(master_);
    slave_ = master_ = -1;
    slave_path_.clear();
    held_ = false;
}

bool PtyPort::link_to_placeholder(std::string* err) {
    if (is_open()) {
        if (err) *err = "port is present";
        return false;
    }
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    if (placeholder_.size() >= sizeof addr.sun_path) {
        if (err) *err = "path too long for a socket: " + placeholder_;
        return false;
    }
    placeholder_.copy(addr.sun_path, placeholder_.size());
    unlink(placeholder_.c_str());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // The socket file stays after the fd is closed; that is all that is needed.
    bool made = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (fd >= 0) ::close(fd);
    if (!made) {
        if (err) *err = errno_text(("socket " + placeholder_).c_str());
        return false;
    }
    if (!replace_symlink(placeholder_, link_, err) ||
        (!extra_link_.empty() && !replace_symlink(placeholder_, extra_link_, err))) {
        remove_symlink_to(link_, placeholder_);
        unlink(placeholder_.c_str());
        return false;
    }
    linked_to_ = placeholder_;
    return true;
}

bool PtyPort::set_hold(bool hold, std::string* err) {
    if (!is_open()) {
        if (err) *err = "port vanished";
        return false;
    }
    if (tcflow(slave_, hold ? TCOOFF : TCOON) != 0) {
        if (err) *err = errno_text("tcflow");
        return false;
    }
    held_ = hold;
    return true;
}

bool PtyPort::line_settings(LineSettings* out, std::string* err) const {
    if (!is_open()) {
        if (err) *err = "port vanished";
        return false;
    }
    termios t{};
    if (tcgetattr(slave_, &t) != 0) {
        if (err) *err = errno_text("tcgetattr");
        return false;
    }
    out->speed = baud_of(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
        case CS5: out->data_bits = 5; break;
        case CS6: out->data_bits = 6; break;
        case CS7: out->data_bits = 7; break;
        default: out->data_bits = 8; break;
    }
    if (!(t.c_cflag & PARENB))
        out->parity = "none";
    else if (t.c_cflag & CMSPAR)
        out->parity = (t.c_cflag & PARODD) ? "mark" : "space";
    else
        out->parity = (t.c_cflag & PARODD) ? "odd" : "even";
    out->stop_bits = (t.c_cflag & CSTOPB) ? 2 : 1;
    out->rtscts = (t.c_cflag & CRTSCTS) != 0;
    out->ixon = (t.c_iflag & IXON) != 0;
    out->ixoff = (t.c_iflag & IXOFF) != 0;
    return true;
}

bool PtyPort::discard_unread(std::string* err) {
    if (!is_open()) {
        if (err) *err = "port vanished";
        return false;
    }
    if (tcflush(slave_, TCIFLUSH) != 0) {
        if (err) *err = errno_text("tcflush");
        return false;
    }
    return true;
}

}  // namespace vdev
