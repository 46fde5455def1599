#include "modes.h"

#include <algorithm>

namespace vdev {

void ModemLine::feed(const char* data, size_t n, std::string* reply) {
    for (size_t i = 0; i < n; ++i) {
        char c = data[i];
        if (c == '\n' && after_cr_) {
            after_cr_ = false;
            continue;
        }
        after_cr_ = (c == '\r');
        if (c == '\r' || c == '\n') {
            answer(reply);
            continue;
        }
        line_.push_back(c);
        if (line_.size() >= kMaxLine) answer(reply);
    }
}

void ModemLine::reset() {
    line_.clear();
    after_cr_ = false;
}

void ModemLine::answer(std::string* reply) {
    reply->append(line_);
    reply->append("\r\nOK\r\n");
    line_.clear();
}

void StreamPacer::start(uint64_t bytes_per_second, uint64_t count, Clock::time_point now) {
    rate_ = bytes_per_second;
    count_ = count;
    produced_ = 0;
    start_ = now;
}

uint64_t StreamPacer::due(Clock::time_point now) {
    if (rate_ == 0 || finished()) return 0;
    using ns = std::chrono::nanoseconds;
    auto elapsed = std::chrono::duration_cast<ns>(now - start_).count();
    if (elapsed < 0) elapsed = 0;
    unsigned __int128 target =
        static_cast<unsigned __int128>(rate_) * static_cast<uint64_t>(elapsed) / 1000000000u;
    uint64_t max_burst = std::max<uint64_t>(1, rate_ * kMaxBurst.count() / 1000);
    if (target > produced_ + max_burst) {
        // Fell behind (consumer stalled): restart the clock so the catch-up is bounded.
        target = produced_ + max_burst;
        auto behind = ns(static_cast<int64_t>(
            static_cast<unsigned __int128>(target) * 1000000000u / rate_));
        start_ = now - behind;
    }
    uint64_t want = static_cast<uint64_t>(target) - std::min<uint64_t>(produced_, target);
    if (count_ != 0) want = std::min(want, count_ - produced_);
    return want;
}

}  // namespace vdev
