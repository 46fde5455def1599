// Deterministic byte pattern sent by the virtual device's stream mode.
//
// Portable, header-only and free of OS headers so the Windows-side checks can
// regenerate exactly the same bytes. Every byte is printable ASCII in
// 0x21..0x7E (never NUL, CR, LF or space); byte i depends only on i, so a lost,
// duplicated or altered byte shows up as a mismatch at a known offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vdev {

class PatternGenerator {
public:
    // Starts at `offset` bytes into the pattern (0 = the beginning).
    explicit PatternGenerator(uint64_t offset = 0) { seek(offset); }

    // Returns the byte at the current offset and advances by one.
    uint8_t next() {
        state_ = state_ * kMul + kInc;
        ++offset_;
        return to_byte(state_);
    }

    void fill(uint8_t* out, size_t n) {
        for (size_t i = 0; i < n; ++i) out[i] = next();
    }

    uint64_t offset() const { return offset_; }

    // Repositions to an absolute offset in O(log offset) steps.
    void seek(uint64_t offset) {
        uint64_t mul = 1, add = 0;
        uint64_t step_mul = kMul, step_add = kInc;
        for (uint64_t n = offset; n != 0; n >>= 1) {
            if (n & 1) {
                mul *= step_mul;
                add = add * step_mul + step_add;
            }
            step_add = (step_mul + 1) * step_add;
            step_mul *= step_mul;
        }
        state_ = mul * kSeed + add;
        offset_ = offset;
    }

    static constexpr uint8_t kFirst = 0x21;
    static constexpr uint8_t kLast = 0x7E;

private:
    static constexpr uint64_t kSeed = 0x2545F4914F6CDD1Dull;
    static constexpr uint64_t kMul = 6364136223846793005ull;
    static constexpr uint64_t kInc = 1442695040888963407ull;

    // The high bits of a power-of-two LCG have the longest periods.
    static uint8_t to_byte(uint64_t state) {
        return static_cast<uint8_t>(kFirst + (state >> 33) % (kLast - kFirst + 1));
    }

    uint64_t state_ = 0;
    uint64_t offset_ = 0;
};

// The pattern byte at an absolute offset.
inline uint8_t pattern_byte_at(uint64_t offset) {
    return PatternGenerator(offset).next();
}

// The line stream: lines of three decimal numbers, "n,m,-k" with
// m = n % 1000 * 7 and k = n % 100, ended by CR LF, for n = 1, 2, ... Byte i
// depends only on i, so the receiving side can count the lines in what it
// was sent by generating the same bytes.
class NumberLineGenerator {
public:
    void fill(uint8_t* out, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            if (at_ == line_.size()) next_line();
            out[i] = static_cast<uint8_t>(line_[at_++]);
        }
    }
    // Lines handed out whole so far.
    uint64_t whole_lines() const { return at_ == line_.size() ? number_ : number_ - 1; }

private:
    void next_line() {
        ++number_;
        line_ = std::to_string(number_) + "," + std::to_string(number_ % 1000 * 7) + ",-" +
                std::to_string(number_ % 100) + "\r\n";
        at_ = 0;
    }

    std::string line_;
    size_t at_ = 0;
    uint64_t number_ = 0;
};

}  // namespace vdev
