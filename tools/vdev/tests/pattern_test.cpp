// Properties the Windows-side checks rely on when they regenerate the stream.
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "pattern.h"

namespace {

TEST(Pattern, BytesArePrintableAndNeverLineEndsOrNul) {
    vdev::PatternGenerator gen;
    std::set<int> seen;
    for (int i = 0; i < 200000; ++i) {
        uint8_t b = gen.next();
        ASSERT_GE(b, 0x21) << "offset " << i;
        ASSERT_LE(b, 0x7E) << "offset " << i;
        seen.insert(b);
    }
    EXPECT_EQ(seen.size(), 94u) << "every printable byte should occur";
}

TEST(Pattern, SeekingGivesTheSameBytesAsCounting) {
    vdev::PatternGenerator counting;
    for (uint64_t i = 0; i < 5000; ++i) {
        uint8_t b = counting.next();
        ASSERT_EQ(b, vdev::pattern_byte_at(i)) << "offset " << i;
    }
    vdev::PatternGenerator far(1000000007);
    vdev::PatternGenerator walked(1000000000);
    for (int i = 0; i < 7; ++i) walked.next();
    EXPECT_EQ(far.next(), walked.next());
}

TEST(Pattern, StartsWithFixedBytesAndKeepsThemFarIn) {
    // Taken from the generator once: the stream is the same in every run and
    // every build, from offset 0 and at any offset.
    const struct {
        uint64_t offset;
        const char* bytes;
    } cases[] = {{0, "r&&BasrjQGGFQ`Ex"}, {1000000007, "bD9p`%ib"}};
    for (const auto& c : cases) {
        vdev::PatternGenerator gen(c.offset);
        std::string got;
        for (size_t i = 0; c.bytes[i]; ++i) got.push_back(static_cast<char>(gen.next()));
        EXPECT_EQ(got, c.bytes) << "offset " << c.offset;
    }
}

TEST(Pattern, AShiftedCopyDoesNotMatch) {
    // A dropped byte must be detectable: the pattern must not line up with
    // itself at small shifts.
    std::string p;
    vdev::PatternGenerator gen;
    for (int i = 0; i < 70000; ++i) p.push_back(static_cast<char>(gen.next()));
    for (size_t shift = 1; shift <= 65536; shift *= 2) {
        size_t same = 0;
        for (size_t i = 0; i < 4096; ++i)
            same += p[i] == p[i + shift];
        EXPECT_LT(same, 200u) << "shift " << shift;
    }
}

// The line stream: three numbers a line, and the count of whole lines in
// any prefix of it, which the plot's benchmark compares with what it plotted.
TEST(Pattern, TheLineStreamAndItsWholeLines) {
    vdev::NumberLineGenerator lines;
    const std::string first = "1,7,-1\r\n2,14,-2\r\n";
    std::string got(first.size() + 3, '\0');
    lines.fill(reinterpret_cast<uint8_t*>(&got[0]), got.size());
    EXPECT_EQ(first + "3,2", got);
    EXPECT_EQ(2u, lines.whole_lines());
    std::string rest(3, '\0');
    lines.fill(reinterpret_cast<uint8_t*>(&rest[0]), rest.size());
    EXPECT_EQ("1,-", rest);
    uint8_t end[3];
    lines.fill(end, sizeof end);
    EXPECT_EQ(3u, lines.whole_lines()) << "a line counts once its LF is out";
}

}  // namespace
