#include "text/auto_reply.h"

namespace {

const uint32_t rate_window_ms = 1000;

// Copies `length` bytes to `copy` and works out where to go on after a
// mismatch (the usual prefix function of string search).
void learn(const unsigned char* bytes, int length, unsigned char* copy, uint8_t* fallback)
{
    for (int i = 0; i < length; ++i)
        copy[i] = bytes[i];
    if (length > 0)
        fallback[0] = 0;
    int known = 0;
    for (int i = 1; i < length; ++i) {
        while (known > 0 && bytes[i] != bytes[known])
            known = fallback[known - 1];
        if (bytes[i] == bytes[known])
            ++known;
        fallback[i] = static_cast<uint8_t>(known);
    }
}

}  // namespace

bool AutoReply::set_rule(int index, const unsigned char* match, int match_length,
                         const unsigned char* reply, int reply_length)
{
    if (index < 0 || index >= auto_reply_rules)
        return false;
    Rule& rule = rules[index];
    bool fits = match_length >= 0 && match_length <= auto_reply_max_bytes && reply_length >= 0 &&
                reply_length <= auto_reply_max_bytes && (match || !match_length) &&
                (reply || !reply_length);
    rule.match_length = 0;
    rule.reply_length = 0;
    if (fits) {
        learn(match, match_length, rule.match.bytes, rule.match.fallback);
        learn(reply, reply_length, rule.reply.bytes, rule.reply.fallback);
        rule.match_length = static_cast<int16_t>(match_length);
        rule.reply_length = static_cast<int16_t>(reply_length);
    }
    restart();
    return fits;
}

void AutoReply::restart()
{
    for (Rule& rule : rules)
        rule.seen = 0;
    echo_count = 0;
    echo_seen = 0;
}

// Answers rule `index` unless the rate or the caller's list is full.
void AutoReply::answer(int index, uint32_t now_ms, Fired& fired)
{
    int limit = per_second < 0 || per_second > auto_reply_max_rate ? auto_reply_max_rate : per_second;
    if (limit > 0 && reply_times_used >= limit) {
        uint32_t oldest = reply_times[(reply_next + auto_reply_max_rate - limit) % auto_reply_max_rate];
        if (now_ms - oldest < rate_window_ms) {
            ++skipped_count;
            return;
        }
    }
    if (fired.count >= fired.size) {
        ++skipped_count;
        return;
    }
    fired.list[fired.count++] = index;
    reply_times[reply_next] = now_ms;
    reply_next = (reply_next + 1) % auto_reply_max_rate;
    if (reply_times_used < auto_reply_max_rate)
        ++reply_times_used;
}

// With the list of awaited echoes full, this one is not awaited.
void AutoReply::reply_queued(int index)
{
    const int most = static_cast<int>(sizeof echoes / sizeof echoes[0]);
    if (echo_ms && index >= 0 && index < auto_reply_rules && rules[index].reply_length &&
        echo_count < most)
        echoes[(echo_first + echo_count++) % most] = Echo{0, static_cast<int8_t>(index), false};
}

// A report with no reply waiting for it (one queued before a restart) is
// ignored.
void AutoReply::reply_left(uint32_t now_ms)
{
    const int most = static_cast<int>(sizeof echoes / sizeof echoes[0]);
    for (int i = 0; i < echo_count; ++i) {
        Echo& echo = echoes[(echo_first + i) % most];
        if (!echo.armed) {
            echo.armed = true;
            echo.left_ms = now_ms;
            return;
        }
    }
}

// One received byte that is not an echo, through every rule.
void AutoReply::match(unsigned char byte, uint32_t now_ms, Fired& fired)
{
    for (int index = 0; index < auto_reply_rules; ++index) {
        Rule& rule = rules[index];
        if (!rule.match_length)
            continue;
        int seen = rule.seen;
        while (seen > 0 && byte != rule.match.bytes[seen])
            seen = rule.match.fallback[seen - 1];
        if (byte == rule.match.bytes[seen])
            ++seen;
        if (seen == rule.match_length) {
            seen = 0;
            answer(index, now_ms, fired);
        }
        rule.seen = static_cast<int16_t>(seen);
    }
}

// The first `count` bytes held as a possible echo were not one after all:
// they are matched as received.
void AutoReply::release_echo(int count, uint32_t now_ms, Fired& fired)
{
    const unsigned char* held = rules[echoes[echo_first].rule].reply.bytes;
    for (int i = 0; i < count; ++i)
        match(held[i], now_ms, fired);
}

// The oldest awaited echo is over: seen whole, or its time is up (then the
// bytes held for it are matched).
void AutoReply::end_echo(uint32_t now_ms, Fired& fired)
{
    int held = echo_seen;
    echo_seen = 0;
    // Matching what was held may await new echoes; they go behind this one.
    release_echo(held, now_ms, fired);
    echo_first = (echo_first + 1) % static_cast<int>(sizeof echoes / sizeof echoes[0]);
    --echo_count;
}

int AutoReply::feed(const unsigned char* data, int length, uint32_t now_ms, int* fired_list,
                    int fired_size)
{
    Fired fired = {fired_list, fired_list ? fired_size : 0, 0};
    if (!data)
        length = 0;
    for (int i = 0;; ++i) {
        while (echo_count && echoes[echo_first].armed &&
               now_ms - echoes[echo_first].left_ms >= echo_ms)
            end_echo(now_ms, fired);
        if (i >= length)
            break;
        unsigned char byte = data[i];
        if (!echo_count || !echoes[echo_first].armed) {
            match(byte, now_ms, fired);
            continue;
        }
        const Text& echo = rules[echoes[echo_first].rule].reply;
        int echo_length = rules[echoes[echo_first].rule].reply_length;
        while (echo_seen > 0 && byte != echo.bytes[echo_seen]) {
            // Keep the longest end of what was held that may still begin the echo.
            int kept = echo.fallback[echo_seen - 1];
            int released = echo_seen - kept;
            echo_seen = kept;
            release_echo(released, now_ms, fired);
        }
        if (byte != echo.bytes[echo_seen]) {
            match(byte, now_ms, fired);
        } else if (++echo_seen == echo_length) {
            echo_seen = 0;
            end_echo(now_ms, fired);
        }
    }
    return fired.count;
}

bool answers_itself(const unsigned char* match, int match_length, const unsigned char* reply,
                    int reply_length)
{
    if (match_length <= 0)
        return false;
    for (int at = 0; at + match_length <= reply_length; ++at) {
        int same = 0;
        while (same < match_length && reply[at + same] == match[same])
            ++same;
        if (same == match_length)
            return true;
    }
    return false;
}
