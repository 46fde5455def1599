#pragma once
#include <cstdint>
#include "transfer/transfer_engine.h"

struct ReceiverOptions {
    TransferProtocol protocol = TransferProtocol::xmodem;
    // Ask for blocks with the 16-bit CRC ('C'). XMODEM turns to the 8-bit
    // sum (NAK) after three asks that went unanswered.
    bool crc = true;
    // XMODEM (and a YMODEM file sent with no size): drop the 0x1A bytes
    // that end the last block, the padding. XMODEM can't tell the padding
    // from a file's own last bytes, so by default every byte is kept: a
    // file that really ends in 0x1A bytes would lose them.
    bool trim_padding = false;
    // How often to ask the sender to start while it says nothing (the asks
    // stop after 60 s).
    uint32_t ask_every_ms = 3000;
};

// Receives one file by XMODEM, or a batch of files by YMODEM, handing the
// data to the sink a block at a time.
//
// Each good block is answered with ACK, a damaged one with NAK (a garbled
// start is let pass until the line has been quiet for a second), a repeat
// of the last one with ACK and dropped. A block out of order ends the
// transfer. After 10 NAKs for one block, or 10 answers of 10 s with nothing
// back, it gives up. The end of an XMODEM file (EOT) is answered with ACK;
// YMODEM answers the first EOT with NAK and only a second one ends the file.
// A YMODEM file keeps the size its sender gave, not the padding, and its
// name is made safe for the chosen folder (see make_safe_file_name).
class FileReceiver : public TransferEngine {
public:
    FileReceiver(const ReceiverOptions& options, TransferSink* sink);

    // Asks the sender to start. XMODEM begins the sink's file here.
    void start(uint32_t now_ms);
    // Returns how many of the bytes it took: fewer than `count` when the
    // transfer ended before the rest, which is then the device's again.
    int feed(const uint8_t* bytes, int count, uint32_t now_ms);
    void tick(uint32_t now_ms);
    // Ends the transfer as "Cancelled" and tells the sender.
    void cancel();

private:
    enum class Step : uint8_t { idle, wait_block, in_block, skip };

    void take(uint8_t byte, uint32_t now);
    void block_arrived(uint32_t now);
    void header_arrived(const uint8_t* data, int length, uint32_t now);
    bool keep_data(const uint8_t* data, int length);
    bool write_held(bool last);
    bool write(const uint8_t* data, int count);
    void eot_arrived(uint32_t now);
    void begin_asking(uint32_t now);
    void ask(uint32_t now);
    void answer(uint8_t byte, uint32_t now);
    void refuse(bool timed_out, uint32_t now);
    void abort_transfer();
    void stop();

    ReceiverOptions options_;
    TransferSink* sink_;
    Step step_ = Step::idle;
    bool crc_ = true;
    bool want_header_ = false;   // YMODEM: block 0 is next
    bool file_open_ = false;
    bool asking_ = false;        // no block has come since the last ask
    bool got_block_ = false;     // a block of this file (or its header) came
    bool eot_refused_ = false;
    int asks_ = 0;
    int retries_ = 0;
    uint32_t block_ = 1;          // the block expected, counted from 0 or 1
    uint32_t ask_began_ = 0;
    uint32_t since_ = 0;          // the last answer sent
    uint32_t last_byte_ = 0;
    uint32_t written_ = 0;
    uint8_t frame_[1029];
    int have_ = 0;
    int need_ = 0;
    // A file whose size is not known keeps its newest block back until the
    // next one or the end comes, to drop the padding from the last.
    uint8_t held_[1024];
    int held_length_ = 0;
};
