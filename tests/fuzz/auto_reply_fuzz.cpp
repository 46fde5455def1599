// Random rules over a small alphabet, fed random bytes in random pieces:
// with no rate limit and no echo skipping, the rules fired in each piece are
// exactly those a plain search over all the bytes finds ending in it (each
// rule on its own, looking again after each of its matches; rules in order
// for matches that end on the same byte). With the limits on, the same input
// never brings more than ten replies in a second.
// Input: a byte for the number of rules; per rule a length byte and that many
// bytes; then the received bytes, where a byte from 0xF0 up ends a piece.
// What follows most_bytes received bytes or most_bytes pieces is not read.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "text/auto_reply.h"

namespace {

const int most_bytes = 2048;

struct Input {
    int rules = 0;
    unsigned char match[auto_reply_rules][4];
    int match_length[auto_reply_rules];
    unsigned char bytes[most_bytes];
    int piece_end[most_bytes + 1];  // where each piece ends in `bytes`, and the last
    int length = 0;
    int pieces = 0;
};

unsigned char letter(uint8_t byte)
{
    return static_cast<unsigned char>('a' + byte % 4);  // 'd' is in no rule
}

bool read_input(const uint8_t* data, size_t size, Input& in)
{
    size_t at = 0;
    if (size < 1)
        return false;
    in.rules = data[at++] % auto_reply_rules + 1;
    for (int r = 0; r < in.rules; ++r) {
        if (at >= size)
            return false;
        in.match_length[r] = data[at++] % 4 + 1;
        for (int i = 0; i < in.match_length[r]; ++i)
            in.match[r][i] = at < size ? static_cast<unsigned char>('a' + data[at++] % 3) : 'a';
    }
    for (; at < size && in.length < most_bytes && in.pieces < most_bytes; ++at) {
        if (data[at] >= 0xF0)
            in.piece_end[in.pieces++] = in.length;
        else
            in.bytes[in.length++] = letter(data[at]);
    }
    in.piece_end[in.pieces++] = in.length;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Input in;
    in = Input();
    if (!read_input(data, size, in))
        return 0;

    // The plain search: for each byte, which rules end a match there.
    static int16_t expected[most_bytes][auto_reply_rules];
    static int expected_count[most_bytes];
    memset(expected_count, 0, sizeof expected_count);
    for (int r = 0; r < in.rules; ++r)
        for (int i = 0; i + in.match_length[r] <= in.length;) {
            if (memcmp(in.bytes + i, in.match[r], in.match_length[r]) == 0) {
                int end = i + in.match_length[r] - 1;
                expected[end][expected_count[end]++] = static_cast<int16_t>(r);
                i += in.match_length[r];
            } else {
                ++i;
            }
        }

    static AutoReply free_replies;
    static AutoReply limited;
    free_replies.per_second = 0;
    free_replies.echo_ms = 0;
    for (int r = 0; r < in.rules; ++r) {
        // Each reply is its own match: with echo skipping off it changes nothing.
        free_replies.set_rule(r, in.match[r], in.match_length[r], in.match[r], in.match_length[r]);
        limited.set_rule(r, in.match[r], in.match_length[r], in.match[r], in.match_length[r]);
    }
    for (int r = in.rules; r < auto_reply_rules; ++r) {
        free_replies.set_rule(r, nullptr, 0, nullptr, 0);
        limited.set_rule(r, nullptr, 0, nullptr, 0);
    }
    limited.clear_skipped();

    static int fired[most_bytes * auto_reply_rules];
    static int limited_count[most_bytes + 1];  // replies per piece with the limits on
    int start = 0;
    int in_second = 0;
    uint32_t now = 0xFFFFFF00u;  // the clock wraps during the input
    for (int p = 0; p < in.pieces; ++p) {
        int end = in.piece_end[p];
        int count = free_replies.feed(in.bytes + start, end - start, now, fired,
                                      most_bytes * auto_reply_rules);
        int want = 0;
        for (int b = start; b < end; ++b)
            for (int e = 0; e < expected_count[b]; ++e)
                if (want >= count || fired[want++] != expected[b][e])
                    abort();
        if (want != count)
            abort();
        // The pieces come 3 ms apart: those of the last second are the last 334.
        limited_count[p] = limited.feed(in.bytes + start, end - start, now, fired,
                                        auto_reply_max_rate);
        // Each reply leaves at once, and its echo is awaited.
        for (int f = 0; f < limited_count[p]; ++f) {
            limited.reply_queued(fired[f]);
            limited.reply_left(now);
        }
        in_second += limited_count[p] - (p >= 334 ? limited_count[p - 334] : 0);
        if (in_second > auto_reply_max_rate)
            abort();
        start = end;
        now += 3;
    }
    return 0;
}
