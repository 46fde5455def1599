#pragma once
#include <cstdint>
#include "transfer/transfer_engine.h"

struct SenderOptions {
    TransferProtocol protocol = TransferProtocol::xmodem;
    // XMODEM-1K: 1024-byte blocks when the receiver asks for the CRC ('C').
    // Plain XMODEM sends 128-byte blocks, which every receiver takes (boot
    // loaders often take nothing else). YMODEM always sends 1024-byte ones.
    bool one_k = false;
    // The line's rate in bits per second, 0 when not known: the time the
    // driver may still need to put a block on the line is added to the 10 s
    // an answer may take.
    uint32_t line_rate = 0;
};

// Sends one file by XMODEM, or a batch of files by YMODEM, reading each
// block from the source when it is due (the file is never held whole).
//
// It starts at the receiver's first 'C' (16-bit CRC) or NAK (8-bit sum),
// waiting up to 60 s for it; other bytes before it are ignored. With 1K
// blocks (YMODEM, XMODEM-1K) blocks are 1024 bytes while at least 1024
// bytes of the file are left and 128 bytes after that, so the last block
// carries fewer than 128 bytes of padding (0x1A); otherwise every block is
// 128 bytes. XMODEM with the 8-bit sum sends 128-byte blocks only. Each block
// is tried 10 times, waiting 10 s for each answer; the end of the file (EOT)
// is sent again when refused.
class FileSender : public TransferEngine {
public:
    FileSender(const SenderOptions& options, TransferSource* source);

    void start(uint32_t now_ms);
    // The bytes the receiver sent. Answers that come before the whole block
    // has been taken by output() answer an earlier one and are ignored.
    // Returns how many of the bytes it took: fewer than `count` when the
    // transfer ended before the rest, which is then the device's again.
    int feed(const uint8_t* bytes, int count, uint32_t now_ms);
    void tick(uint32_t now_ms);
    // Ends the transfer as "Cancelled" and tells the receiver.
    void cancel();

private:
    enum class Step : uint8_t { idle, wait_start, wait_data_start, wait_ack };
    enum class Sent : uint8_t { header, data, eot, batch_end };

    void answer(uint8_t byte, uint32_t now);
    void acknowledged(uint32_t now);
    void wait_for_request(Step step, uint32_t now);
    void send_header();
    void send_next_block();
    void send_frame(int data_length, uint8_t number);
    void retry(bool refused);
    void give_up();
    void arm_timer(uint32_t now);

    SenderOptions options_;
    TransferSource* source_;
    Step step_ = Step::idle;
    Sent sent_ = Sent::data;
    bool have_file_ = false;
    bool crc_ = true;
    uint32_t block_ = 1;         // the data block's number, counted from 1
    int block_bytes_ = 0;        // the file's bytes in it
    int tries_ = 0;
    bool refused_ = false;       // a NAK came for the frame out now
    // The time-out runs from `since_` once the frame has been taken.
    bool timing_ = false;
    uint32_t since_ = 0;
    uint32_t limit_ = 0;
    uint8_t frame_[1029];
    int frame_length_ = 0;
};
