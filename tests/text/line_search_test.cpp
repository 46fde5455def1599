#include "text/line_search.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/support/text_helpers.h"
#include "text/line_store.h"

namespace {

void add_lines(LineStore& store, const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        store.add(line.data(), static_cast<int>(line.size()), 1);
}

std::string line_of(const LineStore& store, int index)
{
    std::string text(static_cast<size_t>(store.length(index)), '\0');
    text.resize(static_cast<size_t>(store.copy(index, &text[0], static_cast<int>(text.size()))));
    return text;
}

}  // namespace

TEST(LineSearch, ContainsLooksAtTheVisibleText)
{
    struct Case {
        std::string text, needle;
        bool match_case, expected;
    } cases[] = {
        {"OK", "ok", false, true},
        {"OK", "ok", true, false},
        {"OK", "OK", true, true},
        {"\x1b[0;31mER\x1b[0mROR", "error", false, true},
        {"\x1b[0;31mx", "[0", false, false},
        {"x\x1b[12", "[12", false, true},
        {"aab", "ab", false, true},
        {"abc", "abcd", false, false},
        {"abc", "", true, true},
        {"", "a", false, false},
        {"\xc3\x89" "cole", "\xc3\xa9" "cole", false, false},
        {"caf\xc3\xa9", "AF\xc3\xa9", false, true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(c.expected, contains(c.text.data(), static_cast<int>(c.text.size()), c.needle.data(),
                                       static_cast<int>(c.needle.size()), c.match_case))
            << "case " << i << ": " << printable(c.text) << " / " << printable(c.needle);
    }
}

// Each step's result in turn ("-2" going on, "-1" not found), after the
// oldest `drop` lines went following the first step.
TEST(LineSearch, FinderWrapsAndGoesInSteps)
{
    const std::vector<std::string> lines = {"alpha", "beta", "gamma", "BETA", "delta"};
    struct Case {
        int from;
        bool down;
        std::string needle;
        bool match_case;
        int step;
        int drop;
        std::string expected;
    } cases[] = {
        {2, true, "beta", false, 10, 0, "3"},
        {4, true, "beta", false, 10, 0, "1"},
        {0, false, "beta", false, 10, 0, "3"},
        {2, true, "beta", true, 10, 0, "1"},
        {99, false, "a", false, 10, 0, "4"},
        {-1, true, "a", false, 10, 0, "0"},
        {2, true, "zeta", false, 10, 0, "-1"},
        {2, true, "alpha", false, 1, 0, "-2 -2 -2 0"},
        {2, true, "zeta", false, 2, 0, "-2 -2 -1"},
        {0, true, "BETA", true, 1, 2, "-2 -2 1"},
        {1, true, "alpha", false, 1, 1, "-2 -2 -2 -2 -1"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        LineStore store;
        add_lines(store, lines);
        LineFinder finder;
        finder.begin(store, c.from, c.down);
        std::string results;
        for (int steps = 0; steps < 20; ++steps) {
            int found = finder.step(store, c.needle.data(), static_cast<int>(c.needle.size()),
                                    c.match_case, c.step);
            results += (results.empty() ? "" : " ") + std::to_string(found);
            if (found != line_search_going_on)
                break;
            if (steps == 0)
                store.drop_oldest(c.drop);
        }
        EXPECT_EQ(c.expected, results) << "case " << i << ": from " << c.from << ", " << c.needle;
    }
}

// Scripts: "+TEXT" adds a line, "=TEXT" replaces the newest, "-N" drops the
// N oldest, "c" clears, "fTEXT" filters for TEXT, "rN" rebuilds N lines.
// The list comes out as "[store index:text]".
TEST(LineSearch, FilterFollowsTheStore)
{
    struct Case {
        std::vector<std::string> steps;
        std::string expected;
    } cases[] = {
        {{"fok", "r9", "+OK", "+no", "+ok!"}, "[0:OK][2:ok!]"},
        {{"fok", "r9", "+o", "=ok"}, "[0:ok]"},
        {{"fok", "r9", "+ok", "=oops"}, ""},
        {{"fok", "r9", "=ok"}, "[0:ok]"},
        {{"fa", "r9", "+a1", "+b", "+a2", "-2"}, "[0:a2]"},
        {{"fa", "r9", "+a1", "c", "+a2"}, "[0:a2]"},
        {{"+a1", "+b", "+a2", "fa", "r1", "+a3", "r9"}, "[0:a1][2:a2][3:a3]"},
        {{"+a", "+b", "fb", "r2", "=bb", "+c", "=b2"}, "[1:bb][2:b2]"},
        {{"+a1", "+a2", "+a3", "fa", "r1", "-2", "r9"}, "[0:a3]"},
        {{"+a", "fa"}, ""},
        {{"f", "+x", "+y"}, "[0:x][1:y]"},
        {{"+\x1b[0;31mr\x1b[0;32med", "+rd", "fRED", "r9"}, "[0:\x1b[0;31mr\x1b[0;32med]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        LineStore store;
        LineFilter filter;
        for (const std::string& step : cases[i].steps) {
            std::string rest = step.substr(1);
            if (step[0] == '+') {
                store.add(rest.data(), static_cast<int>(rest.size()), 1);
                filter.line_added(store);
            } else if (step[0] == '=') {
                store.replace_newest(rest.data(), static_cast<int>(rest.size()), 1);
                filter.newest_replaced(store);
            } else if (step[0] == '-' || step[0] == 'c') {
                if (step[0] == 'c')
                    store.clear();
                else
                    store.drop_oldest(std::stoi(rest));
                filter.lines_dropped(store);
            } else if (step[0] == 'f') {
                filter.set_text(store, rest.data(), static_cast<int>(rest.size()));
            } else {
                filter.rebuild(store, std::stoi(rest));
            }
        }
        std::string list;
        for (int k = 0; k < filter.count(); ++k)
            list += "[" + std::to_string(filter.store_index(k)) + ":" +
                    line_of(store, filter.store_index(k)) + "]";
        EXPECT_EQ(printable(cases[i].expected), printable(list)) << "case " << i;
    }
}

TEST(LineSearch, ShownIndexFindsAStoreLineAmongTheKept)
{
    LineStore store;
    add_lines(store, {"x", "a", "x", "a", "a"});
    LineFilter filter;
    filter.set_text(store, "a", 1);
    ASSERT_TRUE(filter.rebuild(store, 5));
    const int expected[] = {0, 0, 1, 1, 2, 3};  // store indices 0 to 5
    for (int index = 0; index < 6; ++index)
        EXPECT_EQ(expected[index], filter.shown_index(index)) << "store index " << index;
}
