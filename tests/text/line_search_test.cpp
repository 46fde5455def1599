#include "text/line_search.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "tests/support/text_helpers.h"
#include "text/line_store.h"

TEST(LineSearch, ContainsLooksAtTheVisibleText)
{
    struct Case {
        std::string text, needle;
        bool match_case, expected;
    } cases[] = {
        {"OK", "ok", false, true}, {"OK", "ok", true, false}, {"\x1b[0;31mER\x1b[0mROR", "error", false, true},
        {"\x1b[0;31mx", "[0", false, false}, {"x\x1b[12", "[12", true, true}, {"aab", "ab", true, true},
        {"abc", "abcd", false, false}, {"", "", true, true}, {"\xc3\x89" "cole", "\xc3\xa9" "cole", false, false},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(c.expected, contains(c.text.data(), static_cast<int>(c.text.size()), c.needle.data(),
                                       static_cast<int>(c.needle.size()), c.match_case))
            << "case " << i << ": " << printable(c.text) << " / " << printable(c.needle);
    }
}

// Each step's result in turn (-2 going on, -1 not found); the oldest `drop`
// lines go after the first step.
TEST(LineSearch, FinderWrapsAndGoesInSteps)
{
    struct Case {
        int from;
        bool down, match_case;
        const char* needle;
        int step, drop;
        std::string expected;
    } cases[] = {
        {2, true, false, "beta", 10, 0, "3"},   {4, true, false, "beta", 10, 0, "1"},
        {0, false, false, "beta", 10, 0, "3"},  {2, true, true, "beta", 10, 0, "1"},
        {99, false, false, "a", 10, 0, "4"},    {2, true, false, "zeta", 2, 0, "-2 -2 -1"},
        {2, true, false, "alpha", 1, 0, "-2 -2 -2 0"}, {0, true, true, "BETA", 1, 2, "-2 -2 1"},
        {1, true, false, "alpha", 1, 1, "-2 -2 -2 -2 -1"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        LineStore store;
        for (const char* line : {"alpha", "beta", "gamma", "BETA", "delta"})
            store.add(line, static_cast<int>(strlen(line)), 1);
        LineFinder finder;
        finder.begin(store, c.from, c.down);
        std::string results;
        for (int found = line_search_going_on; found == line_search_going_on && results.size() < 40;) {
            found = finder.step(store, c.needle, static_cast<int>(strlen(c.needle)), c.match_case, c.step);
            store.drop_oldest(results.empty() ? c.drop : 0);
            results += (results.empty() ? "" : " ") + std::to_string(found);
        }
        EXPECT_EQ(c.expected, results) << "case " << i << ": from " << c.from << ", " << c.needle;
    }
}

// Steps: "+TEXT" adds a line, "=TEXT" replaces the newest, "-N" drops the N
// oldest, "c" clears, "fTEXT" filters for TEXT, "rN" rebuilds N lines. The
// list comes out as "[store index:text]".
TEST(LineSearch, FilterFollowsTheStore)
{
    struct Case {
        std::vector<std::string> steps;
        std::string expected;
    } cases[] = {
        {{"fok", "r9", "+OK", "+no", "+ok!"}, "[0:OK][2:ok!]"},
        {{"fok", "r9", "=o", "=ok", "+ok", "=oops"}, "[0:ok]"},
        {{"fa", "r9", "+a1", "+b", "+a2", "-2"}, "[0:a2]"},
        {{"fa", "r9", "+a1", "c", "+a2"}, "[0:a2]"},
        {{"+a1", "+b", "+a2", "fa", "r1", "+a3", "=a4", "r9"}, "[0:a1][2:a2][3:a4]"},
        {{"+a", "+b", "fb", "r2", "=bb", "+c", "=b2"}, "[1:bb][2:b2]"},
        {{"+a1", "+a2", "+a3", "fa", "r1", "-2", "r9"}, "[0:a3]"},
        {{"+a", "fa"}, ""},
        {{"+\x1b[0;31mr\x1b[0;32med", "+rd", "fRED", "r9"}, "[0:\x1b[0;31mr\x1b[0;32med]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        LineStore store;
        LineFilter filter;
        for (const std::string& step : cases[i].steps) {
            const char* rest = step.c_str() + 1;
            int length = static_cast<int>(step.size()) - 1;
            if (step[0] == '+' && store.add(rest, length, 1))
                filter.line_added(store);
            else if (step[0] == '=' && store.replace_newest(rest, length, 1))
                filter.newest_replaced(store);
            else if (step[0] == 'c' || step[0] == '-')
                step[0] == 'c' ? store.clear() : store.drop_oldest(atoi(rest));
            if (step[0] == 'c' || step[0] == '-')
                filter.lines_dropped(store);
            else if (step[0] == 'f')
                filter.set_text(store, rest, length);
            else if (step[0] == 'r')
                filter.rebuild(store, atoi(rest));
        }
        std::string list;
        for (int k = 0; k < filter.count(); ++k) {
            std::string text(static_cast<size_t>(store.length(filter.store_index(k))), '\0');
            store.copy(filter.store_index(k), &text[0], static_cast<int>(text.size()));
            list += "[" + std::to_string(filter.store_index(k)) + ":" + text + "]";
        }
        EXPECT_EQ(printable(cases[i].expected), printable(list)) << "case " << i;
    }
}
