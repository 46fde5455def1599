#include "text/auto_reply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct Feed {
    const char* bytes;
    uint32_t ms;
};

// Sets rule i to match[i] -> reply[i] for each non-null match.
void set_rules(AutoReply& replies, const char* const* match, const char* const* reply, int count)
{
    for (int i = 0; i < count; ++i)
        if (match[i])
            replies.set_rule(i, reinterpret_cast<const unsigned char*>(match[i]),
                             static_cast<int>(strlen(match[i])),
                             reinterpret_cast<const unsigned char*>(reply[i]),
                             static_cast<int>(strlen(reply[i])));
}

// The rules each feed fired, as digits, feeds apart by spaces ("." none):
// "0 . 01". Each reply is queued and leaves at once.
std::string fed(AutoReply& replies, const Feed* feeds, int count, uint32_t start_ms = 0)
{
    std::string seen;
    for (int i = 0; i < count && feeds[i].bytes; ++i) {
        int fired[16];
        int n = replies.feed(reinterpret_cast<const unsigned char*>(feeds[i].bytes),
                             static_cast<int>(strlen(feeds[i].bytes)), start_ms + feeds[i].ms,
                             fired, 16);
        seen += i ? " " : "";
        seen += n ? "" : ".";
        for (int f = 0; f < n; ++f) {
            seen += static_cast<char>('0' + fired[f]);
            replies.reply_queued(fired[f]);
            replies.reply_left(start_ms + feeds[i].ms);
        }
    }
    return seen;
}

}  // namespace

TEST(AutoReply, FiresOnItsTextHoweverTheReadsSplitIt)
{
    const char* match[] = {"login: "};
    const char* reply[] = {"root\r"};
    const char text[] = "\r\nhost login: \r\n";
    for (size_t first = 0; first <= strlen(text); ++first)
        for (size_t second = first; second <= strlen(text); ++second) {
            std::string a(text, first), b(text + first, second - first), c(text + second);
            Feed feeds[] = {{a.c_str(), 0}, {b.c_str(), 1}, {c.c_str(), 2}};
            AutoReply replies;
            set_rules(replies, match, reply, 1);
            std::string seen = fed(replies, feeds, 3);
            EXPECT_EQ(1u, std::count(seen.begin(), seen.end(), '0'))
                << "split at " << first << " and " << second << ": fired " << seen;
        }
}

TEST(AutoReply, MatchesEachRuleOnItsOwnWithoutOverlap)
{
    struct Case {
        const char* match[2];
        Feed feeds[3];
        const char* fired;
    } cases[] = {
        {{"login:", nullptr}, {{"log", 0}, {"in:", 5}}, ". 0"},
        {{"login:", nullptr}, {{"login", 0}, {"x:", 5}}, ". ."},
        {{"aa", nullptr}, {{"aaaa", 0}, {"a", 5}}, "00 ."},
        {{"aab", nullptr}, {{"aaab", 0}}, "0"},
        {{"OK", "ERROR"}, {{"OK\r\nERR", 0}, {"OR\r\nOK", 5}}, "0 10"},
        {{"ab", "b"}, {{"ab", 0}, {"b", 5}}, "01 1"},
        {{nullptr, "x"}, {{"xx", 0}}, "11"},
    };
    const char* reply[] = {"", ""};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        AutoReply replies;
        set_rules(replies, cases[i].match, reply, 2);
        EXPECT_EQ(cases[i].fired, fed(replies, cases[i].feeds, 3)) << "case " << i;
    }
}

TEST(AutoReply, AnswersTenASecondAndCountsTheRest)
{
    // The feeds of one second and after, from several clock readings, some
    // of which wrap past 2^32 on the way.
    Feed feeds[] = {{"aaaaa", 0},    {"aaaa", 100}, {"a", 999},    {"aa", 999},
                    {"a", 1000},     {"aaaaa", 1000}, {"a", 1099},  {"aaaa", 1100},
                    {"a", 1100},     {"aaaaaaaaaaaa", 5000}};
    const char* fired = "00000 0000 0 . 0 0000 . 0000 . 0000000000";
    const int skipped = 2 + 1 + 1 + 1 + 2;
    const uint32_t starts[] = {0, 0xFFFFFFFFu - 999, 0xFFFFFFFFu, 0x80000000u};
    const char* match[] = {"a"};
    const char* reply[] = {""};
    for (size_t i = 0; i < sizeof starts / sizeof starts[0]; ++i) {
        AutoReply replies;
        set_rules(replies, match, reply, 1);
        EXPECT_EQ(fired, fed(replies, feeds, 10, starts[i])) << "case " << i << ": from " << starts[i];
        EXPECT_EQ(skipped, replies.skipped()) << "case " << i << ": from " << starts[i];
    }
}

TEST(AutoReply, SkipsTheEchoOfWhatItSent)
{
    struct Case {
        uint32_t echo_ms;
        Feed feeds[4];
        const char* fired;
    } cases[] = {
        {1000, {{"Hi", 0}, {"Hi\r", 10}, {"Hi", 20}}, "0 . 0"},
        {1000, {{"Hi", 0}, {"H", 10}, {"i", 20}, {"\rHi", 30}}, "0 . . 0"},
        {1000, {{"Hi there\r\n", 0}, {"Hi\r", 10}}, "0 ."},
        {1000, {{"HiHi", 0}, {"Hi\rHi\r", 10}}, "00 ."},
        {1000, {{"Hi", 0}, {"Hi\r", 1000}}, "0 0"},
        {1000, {{"Hi", 0}, {"HHi", 10}, {"?", 20}}, "0 . 0"},
        {1000, {{"Hi", 0}, {"HHi", 10}, {"", 1000}}, "0 . 0"},
        {1000, {{"AB", 0}, {"BA", 10}, {"B", 20}}, "12 . 2"},
        {1000, {{"AB", 0}, {"AB", 10}}, "12 1"},
        {0, {{"Hi", 0}, {"Hi\r", 10}}, "0 0"},
    };
    const char* match[] = {"Hi", "A", "B"};
    const char* reply[] = {"Hi\r", "B", "A"};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        AutoReply replies;
        replies.echo_ms = cases[i].echo_ms;
        set_rules(replies, match, reply, 3);
        EXPECT_EQ(cases[i].fired, fed(replies, cases[i].feeds, 4)) << "case " << i;
    }
}

TEST(AutoReply, RefusesRulesThatDoNotFit)
{
    unsigned char text[auto_reply_max_bytes + 1];
    memset(text, 'a', sizeof text);
    struct Case {
        int index, match_length, reply_length;
        bool kept;
    } cases[] = {
        {0, auto_reply_max_bytes, auto_reply_max_bytes, true},
        {7, 1, 0, true},
        {1, auto_reply_max_bytes + 1, 1, false},
        {2, 1, auto_reply_max_bytes + 1, false},
        {8, 1, 1, false},
        {-1, 1, 1, false},
        {3, 0, 1, false},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        AutoReply replies;
        bool set = replies.set_rule(cases[i].index, text, cases[i].match_length, text,
                                    cases[i].reply_length);
        int fired[auto_reply_max_rate];
        int count = replies.feed(text, sizeof text, 0, fired, auto_reply_max_rate);
        EXPECT_EQ(cases[i].kept, set && count > 0) << "case " << i << ": set " << set
                                                    << ", fired " << count;
    }
}

