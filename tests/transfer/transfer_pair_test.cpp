// The sender and the receiver against each other over a line in memory that
// can damage or lose what crosses it, on a fake clock.
#include <gtest/gtest.h>
#include <climits>
#include <functional>
#include <set>
#include <string>
#include "tests/transfer/memory_files.h"
#include "transfer/file_receiver.h"
#include "transfer/file_sender.h"

namespace {

struct Mode {
    const char* name;
    TransferProtocol protocol;
    bool crc, one_k;
} const modes[] = {
    {"XMODEM-1K", TransferProtocol::xmodem, true, true},
    {"XMODEM-CRC", TransferProtocol::xmodem, true, false},
    {"XMODEM", TransferProtocol::xmodem, false, true},
    {"YMODEM", TransferProtocol::ymodem, true, true},
    {"YMODEM with sums", TransferProtocol::ymodem, false, true},
};

// What each side writes between two words of the other is one transmission,
// numbered from 0 on each side.
struct Line {
    std::set<int> damage, lose, lose_answers;
    int damage_from = INT_MAX, quiet_from = INT_MAX, answers_quiet_from = INT_MAX;
    std::function<void(FileSender&, FileReceiver&)> meddle;  // at every step
};

Line line(std::set<int> damage, std::set<int> lose = {}, std::set<int> lose_answers = {},
          int damage_from = INT_MAX, int quiet_from = INT_MAX, int answers_quiet_from = INT_MAX)
{
    Line made;
    made.damage = damage;
    made.lose = lose;
    made.lose_answers = lose_answers;
    made.damage_from = damage_from;
    made.quiet_from = quiet_from;
    made.answers_quiet_from = answers_quiet_from;
    return made;
}

struct Outcome {
    std::string sender, receiver;  // "ok" or the reason
    uint32_t ms = 0;
    uint64_t line_bytes = 0;       // what the sender wrote
};

std::string how(const TransferEngine& engine)
{
    return !engine.finished() ? "running" : engine.succeeded() ? "ok" : engine.reason();
}

Outcome run(FileSender& sender, FileReceiver& receiver, const Line& line)
{
    Outcome outcome;
    uint32_t now = 1000;
    sender.start(now);
    receiver.start(now);
    int sent = -1, answered = -1, offset = 0;
    bool sending = false;
    uint8_t piece[300];
    for (long step = 0; step < 20000000; ++step) {
        if (line.meddle)
            line.meddle(sender, receiver);
        int n = sender.output(piece, sizeof piece);
        if (n) {
            if (!sending)
                ++sent, offset = 0;
            sending = true;
            // A data byte, or the lone EOT.
            int at = offset == 0 && n == 1 ? 0 : 3 - offset;
            if ((line.damage.count(sent) || sent >= line.damage_from) && at >= 0 && at < n)
                piece[at] ^= 0x40;
            offset += n;
            outcome.line_bytes += static_cast<uint64_t>(n);
            if (!line.lose.count(sent) && sent < line.quiet_from)
                receiver.feed(piece, n, now);
        }
        int m = receiver.output(piece, sizeof piece);
        if (m) {
            if (sending || answered < 0)
                ++answered;
            sending = false;
            if (!line.lose_answers.count(answered) && answered < line.answers_quiet_from)
                sender.feed(piece, m, now);
        }
        if (sender.finished() && receiver.finished() && !sender.has_output() && !receiver.has_output())
            break;
        if (!n && !m) {
            now += 100;
            sender.tick(now);
            receiver.tick(now);
        }
    }
    outcome.sender = how(sender);
    outcome.receiver = how(receiver);
    outcome.ms = now - 1000;
    return outcome;
}

struct Pair {
    MemorySource source;
    MemorySink sink;
    FileSender sender;
    FileReceiver receiver;
    Pair(const Mode& mode, std::vector<MemoryFile> files)
        : sender(SenderOptions{mode.protocol, mode.one_k, 0}, &source),
          receiver(ReceiverOptions{mode.protocol, mode.crc, true, 3000}, &sink)
    {
        source.files = std::move(files);
    }
};

}  // namespace

TEST(TransferPair, CarriesEveryFileSizeInEveryMode)
{
    const uint32_t sizes[] = {0, 1, 127, 128, 129, 1023, 1024, 1025, 1 << 20};
    // XMODEM-1K's bytes on the line: blocks of 1029 bytes while 1024 are
    // left, then of 133, then EOT.
    const uint64_t line_bytes[] = {1, 134, 134, 134, 267, 1065, 1030, 1163, 1024 * 1029 + 1};
    for (const Mode& mode : modes) {
        for (size_t i = 0; i < sizeof sizes / sizeof sizes[0]; ++i) {
            Pair pair(mode, {{"f.bin", file_bytes(sizes[i]), 0}});
            Outcome got = run(pair.sender, pair.receiver, line({}));
            std::string where = std::string(mode.name) + ", " + std::to_string(sizes[i]) + " bytes";
            ASSERT_EQ("ok", got.sender) << where;
            ASSERT_EQ("ok", got.receiver) << where;
            ASSERT_EQ(1u, pair.sink.files.size()) << where;
            EXPECT_TRUE(pair.source.files[0].bytes == pair.sink.files[0].bytes)
                << where << ": received " << pair.sink.files[0].bytes.size() << " bytes";
            EXPECT_EQ(sizes[i], pair.sender.bytes_done()) << where;
            EXPECT_EQ(sizes[i], pair.receiver.bytes_done()) << where;
            EXPECT_EQ(1, pair.receiver.files_done()) << where;
            if (mode.protocol == TransferProtocol::xmodem && mode.one_k && mode.crc)
                EXPECT_EQ(line_bytes[i], got.line_bytes) << where;
        }
    }
}

TEST(TransferPair, YmodemCarriesABatchWithNamesSizesAndTimes)
{
    Pair pair(modes[3], {{"empty", {}, 0}, {"dir/b.txt", file_bytes(1025), 01234}, {"c", file_bytes(129, 2), 7}});
    pair.source.files[2].bytes.back() = transfer_byte::pad;  // kept: the size says so
    Outcome got = run(pair.sender, pair.receiver, line({}));
    EXPECT_EQ("ok", got.sender);
    EXPECT_EQ("ok", got.receiver);
    EXPECT_EQ("begin empty 0 0;end 1;begin b.txt 1025 668;end 1;begin c 129 7;end 1;", pair.sink.calls);
    ASSERT_EQ(3u, pair.sink.files.size());
    for (size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(pair.source.files[i].bytes == pair.sink.files[i].bytes) << "file " << i;
    EXPECT_EQ(3, pair.sender.files_done());
    EXPECT_EQ(3, pair.receiver.files_done());
    EXPECT_STREQ("c", pair.receiver.file_name());
}

// 5000 bytes by XMODEM-1K: transmissions 0 to 3 are 1K blocks, 4 to 11
// blocks of 128, 12 the EOT; the receiver's answer 0 is its first 'C',
// answer k the ACK of block k.
TEST(TransferPair, RecoversFromDamageAndLossOrGivesUpWithItsReason)
{
    struct Case {
        int mode;
        Line line;
        std::string sender, receiver;
        bool whole;
        uint32_t most_ms;
    } cases[] = {
        {0, line({2, 3}), "ok", "ok", true, 100},
        {0, line({}, {2}), "ok", "ok", true, 11000},
        {0, line({}, {}, {2}), "ok", "ok", true, 11000},
        {0, line({12}), "ok", "ok", true, 11000},
        {3, line({}, {0}), "ok", "ok", true, 11000},
        {3, line({}, {}, {1}), "ok", "ok", true, 11000},
        {0, line({}, {}, {}, 3), "Block 4 refused 10 times", "Sender cancelled", false, 100},
        {0, line({}, {}, {}, INT_MAX, 3), "Block 4 refused 10 times", "No answer from the sender", false, 120000},
        {0, line({}, {}, {}, INT_MAX, INT_MAX, 2), "No answer from the receiver", "Sender cancelled", false, 101000},
        {0, line({}, {}, {}, INT_MAX, INT_MAX, 0), "No answer from the receiver", "No answer from the sender", false, 60000},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        Pair pair(modes[cases[i].mode], {{"f.bin", file_bytes(5000), 0}});
        Outcome got = run(pair.sender, pair.receiver, cases[i].line);
        EXPECT_EQ(cases[i].sender, got.sender) << "case " << i;
        EXPECT_EQ(cases[i].receiver, got.receiver) << "case " << i;
        EXPECT_LE(got.ms, cases[i].most_ms) << "case " << i;
        bool whole = pair.sink.files.size() == 1 && pair.sink.files[0].bytes == pair.source.files[0].bytes;
        EXPECT_EQ(cases[i].whole, whole) << "case " << i;
        if (!cases[i].whole && !pair.sink.files.empty())
            EXPECT_EQ("end 0;", pair.sink.calls.substr(pair.sink.calls.size() - 6)) << "case " << i;
    }
}

TEST(TransferPair, EitherSideCancels)
{
    struct Case {
        std::function<void(FileSender&, FileReceiver&)> meddle;
        std::string sender, receiver;
    } cases[] = {
        {[](FileSender&, FileReceiver& r) { if (r.bytes_done() >= 2048) r.cancel(); },
         "Receiver cancelled", "Cancelled"},
        {[](FileSender& s, FileReceiver&) { if (s.bytes_done() >= 2048) s.cancel(); },
         "Cancelled", "Sender cancelled"},
        // Half of block 2 gone: the rest goes before the CANs.
        {[](FileSender& s, FileReceiver&) { if (s.bytes_done() == 1024 && s.has_output()) s.cancel(); },
         "Cancelled", "Sender cancelled"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        for (int mode : {0, 3}) {
            Pair pair(modes[mode], {{"f.bin", file_bytes(5000), 0}});
            Line meddling;
            meddling.meddle = cases[i].meddle;
            Outcome got = run(pair.sender, pair.receiver, meddling);
            EXPECT_EQ(cases[i].sender, got.sender) << "case " << i << ", " << modes[mode].name;
            EXPECT_EQ(cases[i].receiver, got.receiver) << "case " << i << ", " << modes[mode].name;
            EXPECT_LE(got.ms, 100u) << "case " << i << ", " << modes[mode].name;
            EXPECT_EQ("end 0;", pair.sink.calls.substr(pair.sink.calls.size() - 6)) << "case " << i;
        }
    }
}
