// Patterns matched against received lines: what matches, the first group,
// and the reasons a pattern is refused.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "script/line_pattern.h"

namespace {

TEST(LinePattern, Matches)
{
    const struct {
        const char* pattern;
        const char* line;
        bool matches;
        const char* group1;
    } cases[] = {
        {"OK", "xOKy", true, ""},
        {"^OK$", "OK", true, ""},
        {"^OK$", "OK ", false, ""},
        {"^\\+CSQ: (\\d+),", "+CSQ: 17,99", true, "17"},
        {"a(b|cd)e", "acde", true, "cd"},
        {"(a+?)a", "aaa", true, "a"},
        {"(a*)b", "aaab", true, "aaa"},
        {"x{2,3}(y?)", "xxxy", true, "y"},
        {"x{2}z", "xz", false, ""},
        {"[^0-9]+(\\d)", "ab7", true, "7"},
        {"[\\d.]+", "1.5", true, ""},
        {"\\bon\\b", "turn on now", true, ""},
        {"\\bon\\b", "only", false, ""},
        {"(?:ab)+(c)", "ababc", true, "c"},
        {"\\x41\\.", "A.", true, ""},
        {"(x)?y", "y", true, ""},
        {"(a*)*b", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false, ""},
        {"\\s\\S\\w\\W\\D", " a_!x", true, ""},
    };
    int index = 0;
    for (const auto& c : cases) {
        LinePattern pattern;
        char error[64];
        ASSERT_TRUE(pattern.compile(c.pattern, static_cast<int>(strlen(c.pattern)), error))
            << "case " << index << ": " << error;
        int starts[10];
        int ends[10];
        bool matched = pattern.search(c.line, static_cast<int>(strlen(c.line)), starts, ends);
        EXPECT_EQ(c.matches, matched) << "case " << index << ": " << c.pattern << " on " << c.line;
        if (matched) {
            std::string group = starts[1] >= 0 ? std::string(c.line + starts[1], ends[1] - starts[1]) : "";
            EXPECT_EQ(c.group1, group) << "case " << index << ": " << c.pattern;
        }
        ++index;
    }
}

TEST(LinePattern, Refused)
{
    const struct {
        const char* pattern;
        const char* error;
    } cases[] = {
        {"(a", "unclosed ("},   {"a)", "unmatched )"},          {"[a", "unclosed ["},
        {"*a", "nothing to repeat"}, {"a**", "nothing to repeat"}, {"^*", "nothing to repeat"},
        {"a{3,1}", "count out of order"}, {"a{1000}", "count above 100"}, {"a{x}", "{ needs a count"},
        {"[z-a]", "range out of order"}, {"(?=a)", "look-arounds are not supported"},
        {"\\1", "unsupported escape"}, {"\\x4", "\\x needs two hex digits"},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "more than 9 groups"},
        {"(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:(?:a)))))))))))))))))))))))))", "groups nested too deep"},
        {"a{100}{0,100}", "nothing to repeat"}, {"(a{100}){100}", "pattern too long"},
    };
    int index = 0;
    for (const auto& c : cases) {
        LinePattern pattern;
        char error[64] = "untouched";
        EXPECT_FALSE(pattern.compile(c.pattern, static_cast<int>(strlen(c.pattern)), error)) << "case " << index;
        EXPECT_STREQ(c.error, error) << "case " << index << ": " << c.pattern;
        ++index;
    }
}

}  // namespace
