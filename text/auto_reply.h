#pragma once
#include <cstdint>

// Automatic replies: up to eight rules, each a text to wait for in what the
// port receives and the bytes to send when it arrives (the window expands
// both from what the user typed before it sets them).
//
// Matching: a rule fires each time its bytes arrive, with or without a line
// end after them and however the reads split them; between reads each rule
// keeps only how much of its text it has seen so far. Each rule matches on
// its own and, after a match, looks again from the byte after it, so "aa"
// fires twice in "aaaa", not three times; two rules may both fire on the same
// bytes ("ab" and "b" in "ab"), in rule order when they end on the same byte.
//
// Echo: a device that echoes what it is sent would otherwise answer each
// reply with the text that triggered it, for ever. So each reply queued
// (`reply_queued`) is expected back, in the order sent, for `echo_ms` after
// the writer said it left (`reply_left`): a reply queued behind a file, paced,
// held by the line or slow at a low rate echoes late. Received bytes that
// form the whole reply are skipped and match no rule. Bytes that begin the reply but turn out not to
// be it are matched after all, in their order, as soon as that shows, or
// when the time is up; so with a device that does not echo no match is lost,
// though one may come a read or so later. An echo mixed with other output is not
// recognised: the rate limit then bounds what follows.
//
// Rate: at most `per_second` replies in any 1000 ms (a sliding window over
// the times given to feed, which may wrap past 2^32); a match beyond that is
// not answered but counted in skipped().

const int auto_reply_rules = 8;
const int auto_reply_max_bytes = 200;  // the longest match or reply text
const int auto_reply_max_rate = 10;    // replies in any second, at most

class AutoReply {
public:
    // Replies allowed in any 1000 ms, 1 to auto_reply_max_rate; 0 for no limit.
    int per_second = auto_reply_max_rate;
    // How long a reply's echo is waited for; 0 skips no echo.
    uint32_t echo_ms = 1000;

    // Sets rule `index` (0 to 7); an empty match turns the rule off. A text
    // longer than auto_reply_max_bytes is refused: the rule is turned off and
    // false returned (as for an index out of range). Every rule then starts
    // matching afresh and no echo is waited for.
    bool set_rule(int index, const unsigned char* match, int match_length,
                  const unsigned char* reply, int reply_length);
    const unsigned char* reply(int index) const { return rules[index].reply.bytes; }
    int reply_length(int index) const { return rules[index].reply_length; }

    // Takes the `length` bytes just received at `now_ms` and writes the
    // index of each rule to answer, in order, to `fired` (room for
    // `fired_size`; a match beyond that is skipped like one over the rate).
    // Returns how many. A read of no bytes still ends echo waits that are due.
    int feed(const unsigned char* data, int length, uint32_t now_ms, int* fired, int fired_size);

    // The reply of rule `index` was queued to go out; the writer will say
    // when it has left.
    void reply_queued(int index);
    // The oldest queued reply has left (or was dropped) at `now_ms`: its
    // echo is awaited from then on.
    void reply_left(uint32_t now_ms);

    // Matches not answered because of the rate, since the last clear.
    int skipped() const { return skipped_count; }
    void clear_skipped() { skipped_count = 0; }
    // Forgets partial matches and awaited echoes, as for a port opened anew.
    void restart();

private:
    // A text with, for each length n of a start of it, the longest shorter
    // start that ends its first n bytes: where to go on after a mismatch.
    struct Text {
        unsigned char bytes[auto_reply_max_bytes];
        uint8_t fallback[auto_reply_max_bytes];
    };
    struct Rule {
        Text match;
        Text reply;
        int16_t match_length = 0;
        int16_t reply_length = 0;
        int16_t seen = 0;  // how many bytes of the match have just arrived
    };
    struct Echo {
        uint32_t left_ms;
        int8_t rule;
        bool armed;  // false until the reply has left
    };
    struct Fired {
        int* list;
        int size;
        int count;
    };

    void match(unsigned char byte, uint32_t now_ms, Fired& fired);
    void answer(int rule, uint32_t now_ms, Fired& fired);
    void release_echo(int count, uint32_t now_ms, Fired& fired);
    void end_echo(uint32_t now_ms, Fired& fired);

    Rule rules[auto_reply_rules];
    uint32_t reply_times[auto_reply_max_rate] = {};  // ring of the latest replies' times
    int reply_next = 0;
    int reply_times_used = 0;
    // Ring of replies whose echo is awaited, oldest first: room for more than
    // the writer's queue holds and a second's replies.
    Echo echoes[32] = {};
    int echo_first = 0;
    int echo_count = 0;
    int echo_seen = 0;  // how many bytes of the oldest awaited echo have arrived
    int skipped_count = 0;
};

// Whether a rule would fire on its own reply (the reply with what is appended
// to it holds the text the rule waits for): a device that echoes would then
// be answered for ever.
bool answers_itself(const unsigned char* match, int match_length, const unsigned char* reply,
                    int reply_length);
