// Behaviour pieces of a port: the modem's line answering and the stream pacing.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vdev {

using Clock = std::chrono::steady_clock;

// Collects bytes into lines and answers each finished line with
// "<line>\r\nOK\r\n". CR or LF ends a line; an LF right after a CR belongs to
// the same line end. A line that reaches kMaxLine bytes is answered as it is.
class ModemLine {
public:
    static constexpr size_t kMaxLine = 1024;

    // Feeds received bytes; appends any answers to *reply.
    void feed(const char* data, size_t n, std::string* reply);
    void reset();

private:
    void answer(std::string* reply);

    std::string line_;
    bool after_cr_ = false;
};

// Decides how many pattern bytes are due at a given moment so that the stream
// keeps to its byte rate. A stalled consumer does not earn a later burst
// bigger than kMaxBurst worth of time.
class StreamPacer {
public:
    static constexpr std::chrono::milliseconds kMaxBurst{100};

    void start(uint64_t bytes_per_second, uint64_t count, Clock::time_point now);
    // Bytes that may be produced now (never more than what is left of count).
    uint64_t due(Clock::time_point now);
    void produced(uint64_t n) { produced_ += n; }
    // All of count produced (never true for an endless stream).
    bool finished() const { return count_ != 0 && produced_ >= count_; }

private:
    uint64_t rate_ = 0;
    uint64_t count_ = 0;
    uint64_t produced_ = 0;
    Clock::time_point start_;
};

}  // namespace vdev
