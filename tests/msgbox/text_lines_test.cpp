// Splitting a message into lines, as measuring and painting both do.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "msgbox/text_lines.h"
#include "tests/support/text_helpers.h"

namespace {

std::vector<std::string> split(const char* text)
{
    std::vector<std::string> lines;
    const char* cursor = text;
    TextLine line;
    while (take_line(cursor, line))
        lines.emplace_back(line.start, line.length);
    return lines;
}

TEST(TextLines, SplitAtEachNewlineAndSkipOneAfterALine)
{
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"one", "[one]"},
        {"one\ntwo", "[one][two]"},
        {"one\ntwo\n", "[one][two]"},
        {"one\n\ntwo", "[one][][two]"},
        {"one\n\n", "[one][]"},
        {"\n", "[]"},
        {"\nlead", "[][lead]"},
        {"a\rb\n", "[a\rb]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].expected, joined(split(cases[i].text), "[", "]"))
            << "case " << i << ": \"" << cases[i].text << "\"";
}

TEST(TextLines, NullTextHasNoLines)
{
    const char* cursor = nullptr;
    TextLine line;
    EXPECT_EQ(0, take_line(cursor, line));
}

}  // namespace
