#include "text/line_store.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string line_of(const LineStore& store, int index)
{
    std::string text(static_cast<size_t>(store.length(index)), '\0');
    int got = store.copy(index, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(got));
    return std::string(1, store.kind(index)) + ":" + text;
}

std::string all_lines(const LineStore& store)
{
    std::string all;
    for (int i = 0; i < store.count(); ++i)
        all += "[" + line_of(store, i) + "]";
    return all;
}

}  // namespace

// Scripts of operations: "+kTEXT" adds TEXT of kind k, "=kTEXT" replaces the
// newest line, "-N" drops the N oldest, "c" clears. (Rings that wrap and
// grow are the fuzz target's part.)
TEST(LineStore, KeepsLinesInOrderThroughAddsReplacesAndDrops)
{
    struct Case {
        std::vector<std::string> steps;
        std::string expected;
    } cases[] = {
        {{"+Aab", "+Ucd"}, "[A:ab][U:cd]"},
        {{"+Aab", "=Uabc"}, "[U:abc]"},
        {{"=Ax"}, "[A:x]"},
        {{"+A1", "+A2", "+A3", "-2"}, "[A:3]"},
        {{"+A1", "+A2", "-5", "+A3"}, "[A:3]"},
        {{"+A1", "-0", "+A"}, "[A:1][A:]"},
        {{"+A1", "c", "+A2"}, "[A:2]"},
        {{"+A1", "+A2", "-1", "=Bxy"}, "[B:xy]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        LineStore store;
        for (const std::string& step : cases[i].steps) {
            std::string text = step.size() > 2 ? step.substr(2) : "";
            if (step[0] == '+')
                ASSERT_TRUE(store.add(text.data(), static_cast<int>(text.size()), step[1]));
            else if (step[0] == '=')
                ASSERT_TRUE(store.replace_newest(text.data(), static_cast<int>(text.size()), step[1]));
            else if (step[0] == '-')
                store.drop_oldest(std::stoi(step.substr(1)));
            else
                store.clear();
        }
        EXPECT_EQ(cases[i].expected, all_lines(store)) << "case " << i;
        // Past the newest line there is nothing to read.
        char out[4];
        EXPECT_EQ(0, store.length(store.count())) << "case " << i;
        EXPECT_EQ(0, store.copy(store.count(), out, sizeof out)) << "case " << i;
    }
}

// A million hex lines take their text plus a few bytes each (with the
// rings' room to grow), and the room of dropped lines is used again.
TEST(LineStore, AMillionLinesCostTheirTextAndAFewBytes)
{
    const std::string text = "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F";
    LineStore store;
    for (int n = 0; n < 1000000; ++n)
        ASSERT_TRUE(store.add(text.data(), static_cast<int>(text.size()), 'A'));
    size_t per_line = store.bytes_held() / 1000000;
    EXPECT_LE(per_line, 2 * (text.size() + 5)) << "bytes held per line";
    size_t held = store.bytes_held();
    store.drop_oldest(999999);
    EXPECT_EQ(1, store.count());
    EXPECT_EQ("A:" + text, line_of(store, 0));
    for (int n = 0; n < 999999; ++n)
        ASSERT_TRUE(store.add(text.data(), static_cast<int>(text.size()), 'A'));
    EXPECT_EQ(held, store.bytes_held()) << "bytes held once a million lines were dropped and added";
}
