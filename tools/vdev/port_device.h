// The device on one COM port: owns the pty, logs what the program sends and
// answers according to the port's mode.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "modes.h"
#include "pattern.h"
#include "pty_port.h"

namespace vdev {

enum class Mode { Modem, Silent, Stream };
const char* mode_name(Mode mode);

struct StreamStatus {
    uint64_t sent = 0;  // pattern bytes handed to the line so far
    bool done = true;   // not streaming (finished, stopped or never started)
};

class PortDevice {
public:
    static constexpr size_t kMaxReceived = 1 << 20;  // later bytes are not kept
    static constexpr size_t kMaxPending = 8 << 20;   // bytes waiting for the program
    static constexpr size_t kMaxSlice = 256 << 10;   // stream bytes produced at once

    // `record_path` empty = no recording.
    PortDevice(int com, const std::string& link, const std::string& extra_link,
               const std::string& record_path);
    ~PortDevice();
    PortDevice(const PortDevice&) = delete;
    PortDevice& operator=(const PortDevice&) = delete;

    bool start(std::string* err);
    int com() const { return com_; }

    // Event-loop hooks: the fd to poll (-1 while vanished) and what for.
    int poll_fd() const { return pty_.master_fd(); }
    short poll_events() const;
    void on_poll(short revents);
    void tick(Clock::time_point now);
    bool streaming() const { return mode_ == Mode::Stream; }

    // Control operations.
    void set_mode(Mode mode);  // modem or silent; ends any stream
    bool send(const std::string& bytes, std::string* err);
    // `lines`: the line stream of NumberLineGenerator rather than the pattern.
    bool start_stream(uint64_t bytes_per_second, uint64_t count, std::string* err,
                      bool lines = false);
    void stop_stream();
    StreamStatus stream_status() const;
    const std::string& received() const { return received_; }
    void clear_received() { received_.clear(); }
    bool hold(bool on, std::string* err) { return pty_.set_hold(on, err); }
    bool line_settings(LineSettings* out, std::string* err) const {
        return pty_.line_settings(out, err);
    }
    bool flush(std::string* err);
    // Closes the line and removes its links; with `placeholder` the links stay
    // but lead to a name that cannot be opened.
    bool vanish(bool placeholder, std::string* err);
    bool come_back(std::string* err);
    std::string describe() const;

private:
    struct Chunk {
        std::string data;
        size_t offset = 0;
        bool stream = false;
    };

    void read_from_line();
    void write_to_line();
    void queue(std::string data, bool stream);
    void drop_stream_chunks(bool restarting);
    void finish_stream_if_done();

    int com_;
    PtyPort pty_;
    std::string record_path_;
    int record_fd_ = -1;

    Mode mode_ = Mode::Modem;
    Mode mode_after_stream_ = Mode::Modem;
    ModemLine modem_;
    StreamPacer pacer_;
    PatternGenerator pattern_;
    NumberLineGenerator lines_;
    bool line_stream_ = false;
    uint64_t stream_sent_ = 0;

    std::deque<Chunk> pending_;
    size_t pending_bytes_ = 0;
    std::string received_;
};

}  // namespace vdev
