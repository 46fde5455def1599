#pragma once
#include <cstdint>
#include "transfer/transfer_file.h"

// What a sender and a receiver share: the bytes waiting to be written to the
// line, how the transfer ended and why, and its progress.
//
// An engine is driven by one thread at a time (or under one lock): feed()
// with the bytes read from the line, tick() every 100 ms or so for its
// time-outs, and output() for what it wants written, taken in pieces of any
// size. After finished() the last bytes (an ACK, a row of CANs) may still
// wait in output(): write them too.
class TransferEngine {
public:
    TransferEngine(const TransferEngine&) = delete;
    TransferEngine& operator=(const TransferEngine&) = delete;

    // Copies up to `room` of the bytes waiting to be written to `out`;
    // returns how many (0 when none wait).
    int output(uint8_t* out, int room);
    bool has_output() const { return out_end_ != out_start_; }

    bool finished() const { return state_ != State::running; }
    bool succeeded() const { return state_ == State::succeeded; }
    // Why the transfer failed ("Receiver cancelled", "Block 12 refused 10
    // times", ...); "" while it runs or when it succeeded.
    const char* reason() const { return reason_; }

    // The file under way (or the last one): its name ("" for XMODEM), the
    // bytes of it done so far and its size (0 when not known).
    const char* file_name() const { return file_.name; }
    uint32_t bytes_done() const { return bytes_done_; }
    uint32_t bytes_total() const { return file_.size_known ? file_.size : 0; }
    int files_done() const { return files_done_; }

protected:
    TransferEngine();
    ~TransferEngine() = default;

    // Adds bytes to those waiting; what finds no room is dropped (a block
    // never waits beside another, so only answers piling up on a stalled
    // line could be).
    void queue(const uint8_t* bytes, int count);
    void queue_byte(uint8_t byte) { queue(&byte, 1); }
    // Tells the far end that the transfer ends: a row of CANs, after the
    // rest of a block already begun (so that the far end reads them as
    // such), in place of one not yet begun.
    void queue_cancel();
    void drop_output() { out_start_ = out_end_ = 0; }
    // Counts a CAN; true at the second in a row. Any other byte resets it.
    bool second_cancel(uint8_t byte);

    void succeed() { state_ = State::succeeded; }
    // Ends the transfer with the reason `before` `number` `after` (the
    // number left out when negative); a second failure keeps the first.
    void fail(const char* before, long number = -1, const char* after = "");
    // The same with the current file's name in the middle.
    void fail_naming_file(const char* before, const char* after);

    TransferFile file_;
    uint32_t bytes_done_ = 0;
    int files_done_ = 0;

private:
    enum class State : uint8_t { running, succeeded, failed };
    void append_reason(const char* text);

    // The longest thing waiting: a 1024-byte block with its five bytes of
    // frame, then a row of CANs.
    uint8_t out_[1048];
    int out_start_ = 0;
    int out_end_ = 0;
    State state_ = State::running;
    int cans_ = 0;
    char reason_[transfer_name_room + 48];
};
