// Each engine alone, fed what the far end would say and the time, and what
// it answers compared step by step.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/transfer/memory_files.h"
#include "text/checksums.h"
#include "transfer/file_receiver.h"
#include "transfer/file_sender.h"

namespace {

struct Step {
    uint32_t wait_ms;    // then
    std::string bytes;   // fed, then
    std::string expect;  // what the engine writes, in short
    int times = 1;       // the step done so often
    bool take = true;    // false: its output waits for the next step
};

// A block as a sender frames it, padded.
std::string block(uint8_t number, const std::string& data, bool crc = true, int length = 128)
{
    std::string b(1, length == 128 ? '\x01' : '\x02');
    b += static_cast<char>(number);
    b += static_cast<char>(~number);
    b += data + std::string(static_cast<size_t>(length) - data.size(), '\x1a');
    const auto* bytes = reinterpret_cast<const uint8_t*>(b.data() + 3);
    if (crc) {
        uint16_t value = crc16_xmodem(bytes, static_cast<size_t>(length));
        b += static_cast<char>(value >> 8);
        b += static_cast<char>(value);
    } else {
        b += static_cast<char>(checksum_sum8(bytes, static_cast<size_t>(length)));
    }
    return b;
}

// ACK as 'A', NAK as 'N', CAN as 'X', EOT as 'E', a block as S or K
// (128 or 1024 bytes) and its number.
std::string in_short(const uint8_t* bytes, int count, bool crc)
{
    std::string s;
    for (int i = 0; i < count; ++i) {
        uint8_t b = bytes[i];
        if (b == 1 || b == 2) {
            s += (b == 1 ? "S" : "K") + std::to_string(bytes[i + 1]);
            i += 2 + (b == 1 ? 128 : 1024) + (crc ? 2 : 1);
        } else {
            s += b == 6 ? 'A' : b == 0x15 ? 'N' : b == 0x18 ? 'X' : b == 4 ? 'E' : static_cast<char>(b);
        }
    }
    return s;
}

template <typename Engine>
void play(Engine& engine, const std::vector<Step>& steps, bool crc, const std::string& where)
{
    uint32_t now = 77;
    engine.start(now);
    static uint8_t out[4096];
    int waiting = 0;
    for (size_t k = 0; k < steps.size(); ++k) {
        for (int t = 0; t < steps[k].times; ++t) {
            for (uint32_t w = 0; w < steps[k].wait_ms; w += 100)
                engine.tick(now += 100);
            engine.feed(reinterpret_cast<const uint8_t*>(steps[k].bytes.data()),
                        static_cast<int>(steps[k].bytes.size()), now);
            if (!steps[k].take)
                break;
            waiting += engine.output(out + waiting, static_cast<int>(sizeof out) - waiting);
            ASSERT_EQ(steps[k].expect, in_short(out, waiting, crc)) << where << ", step " << k << ", time " << t;
            waiting = 0;
        }
    }
}

std::string how(const TransferEngine& engine)
{
    return !engine.finished() ? "running" : engine.succeeded() ? "ok" : engine.reason();
}

}  // namespace

TEST(EngineScript, ReceiverAnswersEachBlock)
{
    const std::string x8 = "XXXXXXXX", hello = "hello" + std::string(123, '\x1a');
    std::string damaged = block(1, "hello");
    damaged[9] ^= 1;
    struct Case {
        TransferProtocol protocol;
        bool crc;
        std::vector<Step> steps;
        std::string result, calls, data;
        bool remove_padding = false;
    } cases[] = {
        // Asks with 'C' three times, then with NAK for the 8-bit sum, for 60 s.
        {TransferProtocol::xmodem, true, {{0, "", "C"}, {3000, "", "C", 2}, {3000, "", "N", 17}, {3000, "", x8}},
         "No answer from the sender", "begin  ? 0;end 0;", ""},
        // XMODEM's end is answered at once; every byte is kept, 0x1A too.
        {TransferProtocol::xmodem, false, {{0, "ab\x06", "N"}, {0, block(1, "hi\x1a\x1a", false), "A"},
                                           {0, "\x04", "A"}}, "ok", "begin  ? 0;end 1;", "hi" + std::string(126, '\x1a')},
        // A repeat is dropped; the padding of the last block only is, when asked.
        {TransferProtocol::xmodem, true, {{0, "", "C"}, {0, block(1, "hello"), "A"}, {0, block(1, "hello"), "A"},
                                          {0, block(2, "world", true, 1024), "A"}, {0, "\x04", "A"}},
         "ok", "begin  ? 0;end 1;", hello + "world", true},
        {TransferProtocol::xmodem, true, {{0, "", "C"}, {0, damaged, "N"}, {0, block(1, "hi"), "A"}}, "running", "begin  ? 0;", ""},
        {TransferProtocol::xmodem, true, {{0, "", "C"}, {0, damaged, "N", 10}, {0, damaged, x8}},
         "Block 1 still damaged after 10 retries", "begin  ? 0;end 0;", ""},
        // A garbled start: the rest passes, and after a quiet second comes the ask.
        {TransferProtocol::xmodem, true, {{0, "", "C"}, {0, "\x01\x05\x05" + std::string(200, '\x01'), ""}, {1000, "", "C"}},
         "running", "begin  ? 0;", ""},
        {TransferProtocol::xmodem, true, {{0, "", "C"}, {0, block(1, "a"), "A"}, {0, block(3, "c"), x8}},
         "Blocks out of order: block 2 was due", "begin  ? 0;end 0;", "a" + std::string(127, '\x1a')},
        {TransferProtocol::xmodem, true, {{0, "", "C"}, {0, block(1, "a"), "A"}, {0, "\x18\x18", ""}},
         "Sender cancelled", "begin  ? 0;end 0;", "a" + std::string(127, '\x1a')},
        {TransferProtocol::xmodem, true, {{0, "", "C"}, {0, block(0, "a"), x8}},
         "The sender gave a file name: is it set to YMODEM?", "begin  ? 0;end 0;", ""},
        // The size wins over the padding and the block; the name loses its folders.
        {TransferProtocol::ymodem, true, {{0, "", "C"}, {0, block(0, std::string("../x.txt\0" "100 17", 15)), "AC"},
                                          {0, block(0, std::string("../x.txt\0" "100 17", 15)), "AC"},
                                          {0, block(1, std::string(128, '\x1a')), "A"}, {0, block(2, "zz"), "A"},
                                          {0, "\x04", "N"}, {0, "\x04", "AC"}, {0, "\x04", "AC"}, {0, block(0, std::string(128, '\0')), "A"}},
         "ok", "begin x.txt 100 15;end 1;", std::string(100, '\x1a')},
        {TransferProtocol::ymodem, true, {{0, "", "C"}, {0, block(1, "a"), x8}},
         "The sender gave no file name: is it set to XMODEM?", "", ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        MemorySink sink;
        ReceiverOptions options;
        options.protocol = cases[i].protocol;
        options.crc = cases[i].crc;
        options.trim_padding = cases[i].remove_padding;
        FileReceiver receiver(options, &sink);
        play(receiver, cases[i].steps, cases[i].crc, "case " + std::to_string(i));
        EXPECT_EQ(cases[i].result, how(receiver)) << "case " << i;
        EXPECT_EQ(cases[i].calls, sink.calls) << "case " << i;
        std::string data;
        if (!sink.files.empty())
            data.assign(sink.files[0].bytes.begin(), sink.files[0].bytes.end());
        EXPECT_EQ(cases[i].data, data) << "case " << i;
    }
}

TEST(EngineScript, SenderWaitsForTheReceiverAndRepeats)
{
    const std::string x8 = "XXXXXXXX";
    struct Case {
        TransferProtocol protocol;
        uint32_t size;
        bool crc;
        std::vector<Step> steps;
        std::string result;
        bool one_k = false;
    } cases[] = {
        // Bytes before the first 'C' are stale, and so is a second one.
        {TransferProtocol::xmodem, 1100, true, {{59000, "xy\x06", ""}, {0, "CC", "K1"}, {0, "\x06", "S2"}, {0, "\x15", "S2"},
                                                {0, "\x06", "E"}, {0, "\x15", "E"}, {0, "\x06", ""}}, "ok", true},
        // Plain XMODEM answers 'C' with 128-byte blocks.
        {TransferProtocol::xmodem, 300, true, {{0, "C", "S1"}, {0, "\x06", "S2"}, {0, "\x06", "S3"}, {0, "\x06", "E"},
                                               {0, "\x06", ""}}, "ok"},
        {TransferProtocol::xmodem, 200, false, {{0, "\x15", "S1"}, {0, "\x06", "S2"}, {0, "\x06", "E"}, {0, "\x06", ""}}, "ok"},
        // An answer before the block has gone answers an older one.
        {TransferProtocol::xmodem, 1100, true, {{0, "C", "", 1, false}, {0, "\x06", "K1"}, {0, "\x06", "S2"}}, "running", true},
        {TransferProtocol::ymodem, 10, true, {{0, "C", "S0"}, {0, "\x06", ""}, {0, "C", "S1"}, {0, "\x06", "E"},
                                              {0, "\x06", ""}, {0, "C", "S0"}, {0, "\x06", ""}}, "ok"},
        {TransferProtocol::xmodem, 10, true, {{59900, "", ""}, {100, "", x8}}, "No answer from the receiver"},
        {TransferProtocol::xmodem, 10, true, {{0, "C", "S1"}, {0, "\x15", "S1", 9}, {0, "\x15", x8}}, "Block 1 refused 10 times"},
        {TransferProtocol::xmodem, 10, true, {{0, "C", "S1"}, {10100, "", "S1", 9}, {10100, "", x8}},
         "No answer from the receiver"},
        {TransferProtocol::xmodem, 10, true, {{0, "C", "S1"}, {0, "\x18", ""}, {0, "\x18", ""}}, "Receiver cancelled"},
    };
    // The time-outs count from the first tick that finds the block gone.
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        MemorySource source;
        source.files = {{"f", file_bytes(cases[i].size), 0}};
        SenderOptions options;
        options.protocol = cases[i].protocol;
        options.one_k = cases[i].one_k;
        FileSender sender(options, &source);
        play(sender, cases[i].steps, cases[i].crc, "case " + std::to_string(i));
        EXPECT_EQ(cases[i].result, how(sender)) << "case " << i;
    }
}
