#include "port_device.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace vdev {

const char* mode_name(Mode mode) {
    switch (mode) {
        case Mode::Modem: return "modem";
        case Mode::Silent: return "silent";
        case Mode::Stream: return "stream";
    }
    return "?";
}

PortDevice::PortDevice(int com, const std::string& link, const std::string& extra_link,
                       const std::string& record_path)
    : com_(com), pty_(link, extra_link), record_path_(record_path) {}

PortDevice::~PortDevice() {
    if (record_fd_ >= 0) close(record_fd_);
}

bool PortDevice::start(std::string* err) {
    if (!record_path_.empty()) {
        record_fd_ = open(record_path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (record_fd_ < 0) {
            *err = "open " + record_path_ + ": " + std::strerror(errno);
            return false;
        }
    }
    return pty_.open(err);
}

short PortDevice::poll_events() const {
    return static_cast<short>(POLLIN | (pending_.empty() ? 0 : POLLOUT));
}

void PortDevice::on_poll(short revents) {
    if (!pty_.is_open()) return;
    if (revents & (POLLIN | POLLHUP | POLLERR)) read_from_line();
    if (pty_.is_open() && !pending_.empty()) write_to_line();
}

void PortDevice::tick(Clock::time_point now) {
    if (mode_ != Mode::Stream || !pty_.is_open()) return;
    if (!pending_.empty()) write_to_line();
    // Only produce more once the line has taken what was due before.
    if (pending_.empty()) {
        uint64_t n = std::min<uint64_t>(pacer_.due(now), kMaxSlice);
        if (n > 0) {
            std::string slice(n, '\0');
            if (line_stream_)
                lines_.fill(reinterpret_cast<uint8_t*>(&slice[0]), n);
            else
                pattern_.fill(reinterpret_cast<uint8_t*>(&slice[0]), n);
            pacer_.produced(n);
            queue(std::move(slice), true);
            write_to_line();
        }
    }
    finish_stream_if_done();
}

void PortDevice::read_from_line() {
    char buf[4096];
    for (int round = 0; round < 16; ++round) {
        ssize_t n = read(pty_.master_fd(), buf, sizeof buf);
        if (n <= 0) return;  // EAGAIN, or nothing more to take
        if (record_fd_ >= 0 && write(record_fd_, buf, n) < 0) {
            // Recording is best effort; the device keeps serving the line.
        }
        size_t room = kMaxReceived - std::min(kMaxReceived, received_.size());
        received_.append(buf, std::min<size_t>(room, n));
        if (mode_ == Mode::Modem) {
            std::string reply;
            modem_.feed(buf, n, &reply);
            if (!reply.empty() && pending_bytes_ < kMaxPending) queue(std::move(reply), false);
        }
    }
}

void PortDevice::write_to_line() {
    while (!pending_.empty()) {
        Chunk& c = pending_.front();
        ssize_t n = write(pty_.master_fd(), c.data.data() + c.offset, c.data.size() - c.offset);
        if (n <= 0) return;  // the program is not reading: keep it for later
        c.offset += n;
        pending_bytes_ -= n;
        if (c.stream) stream_sent_ += n;
        if (c.offset == c.data.size()) pending_.pop_front();
    }
}

void PortDevice::queue(std::string data, bool stream) {
    pending_bytes_ += data.size();
    pending_.push_back(Chunk{std::move(data), 0, stream});
}

void PortDevice::drop_stream_chunks(bool restarting) {
    for (auto it = pending_.begin(); it != pending_.end();) {
        // A chunk already begun stays so the line never sees a cut-off write.
        if (it->stream && it->offset == 0) {
            pending_bytes_ -= it->data.size();
            it = pending_.erase(it);
        } else {
            if (restarting) it->stream = false;  // not counted towards the new stream
            ++it;
        }
    }
}

void PortDevice::finish_stream_if_done() {
    if (mode_ != Mode::Stream || !pacer_.finished()) return;
    for (const Chunk& c : pending_)
        if (c.stream) return;
    mode_ = mode_after_stream_;
}

void PortDevice::set_mode(Mode mode) {
    if (mode_ == Mode::Stream) drop_stream_chunks(false);
    mode_ = mode_after_stream_ = mode;
    modem_.reset();
}

bool PortDevice::send(const std::string& bytes, std::string* err) {
    if (!pty_.is_open()) {
        *err = "port vanished";
        return false;
    }
    if (pending_bytes_ + bytes.size() > kMaxPending) {
        *err = "too much output waiting for the program";
        return false;
    }
    if (!bytes.empty()) queue(bytes, false);
    write_to_line();
    return true;
}

bool PortDevice::start_stream(uint64_t bytes_per_second, uint64_t count, std::string* err,
                              bool lines) {
    if (!pty_.is_open()) {
        *err = "port vanished";
        return false;
    }
    if (mode_ == Mode::Stream) drop_stream_chunks(true);
    else mode_after_stream_ = mode_;
    mode_ = Mode::Stream;
    modem_.reset();
    pattern_.seek(0);
    lines_ = NumberLineGenerator();
    line_stream_ = lines;
    stream_sent_ = 0;
    pacer_.start(bytes_per_second, count, Clock::now());
    return true;
}

void PortDevice::stop_stream() {
    if (mode_ != Mode::Stream) return;
    drop_stream_chunks(false);
    mode_ = mode_after_stream_;
}

StreamStatus PortDevice::stream_status() const {
    return StreamStatus{stream_sent_, mode_ != Mode::Stream};
}

bool PortDevice::flush(std::string* err) {
    if (!pty_.discard_unread(err)) return false;
    pending_.clear();
    pending_bytes_ = 0;
    return true;
}

bool PortDevice::vanish(bool placeholder, std::string* err) {
    stop_stream();
    pty_.close();
    pending_.clear();
    pending_bytes_ = 0;
    modem_.reset();
    return !placeholder || pty_.link_to_placeholder(err);
}

bool PortDevice::come_back(std::string* err) {
    if (pty_.is_open()) return true;
    modem_.reset();
    return pty_.open(err);
}

std::string PortDevice::describe() const {
    std::string s = "mode=";
    s += mode_name(mode_);
    s += " present=" + std::string(pty_.is_open() ? "1" : "0");
    s += " held=" + std::string(pty_.held() ? "1" : "0");
    s += " pending=" + std::to_string(pending_bytes_);
    s += " received=" + std::to_string(received_.size());
    if (pty_.is_open()) s += " slave=" + pty_.slave_path();
    return s;
}

}  // namespace vdev
