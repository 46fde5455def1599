#include "text/byte_count.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

TEST(ByteCount, GroupsOfThreeDigits)
{
    const struct {
        uint64_t count;
        const char* text;
    } cases[] = {
        {0, "0"},
        {12, "12"},
        {999, "999"},
        {1000, "1,000"},
        {460800, "460,800"},
        {1024000, "1,024,000"},
        {18446744073709551615ull, "18,446,744,073,709,551,615"},
    };
    for (const auto& c : cases) {
        char text[32];
        memset(text, 0x7f, sizeof text);
        int length = format_byte_count(text, c.count);
        EXPECT_STREQ(c.text, text) << "count " << c.count;
        EXPECT_EQ(static_cast<int>(strlen(c.text)), length) << "count " << c.count;
    }
}

TEST(ByteCount, WholePercent)
{
    const struct {
        uint64_t part, whole;
        int percent;
    } cases[] = {
        {460800, 1024000, 45},
        {0, 1024000, 0},
        {1023999, 1024000, 99},
        {5, 5, 100},
        {0, 0, 100},
        {7, 3, 100},
        {18446744073709551000ull, 18446744073709551615ull, 99},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.percent, percent_of(c.part, c.whole)) << c.part << " of " << c.whole;
}

}  // namespace
