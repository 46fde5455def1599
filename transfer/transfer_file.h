#pragma once
#include <cstdint>

// What the XMODEM and YMODEM engines share with the program: the files they
// carry, where a sender's bytes come from and where a receiver's go.

enum class TransferProtocol : uint8_t { xmodem, ymodem };

// The bytes that steer a transfer.
namespace transfer_byte {
constexpr uint8_t soh = 0x01;  // a block of 128 bytes follows
constexpr uint8_t stx = 0x02;  // a block of 1024 bytes follows
constexpr uint8_t eot = 0x04;  // the file has ended
constexpr uint8_t ack = 0x06;
constexpr uint8_t nak = 0x15;  // "again"; to start: blocks with the 8-bit sum
constexpr uint8_t can = 0x18;  // two in a row end the transfer
constexpr uint8_t crc = 'C';   // to start: blocks with the 16-bit CRC
constexpr uint8_t pad = 0x1a;  // fills the last block of a file
}  // namespace transfer_byte

// Room for a file's name (UTF-8 as the far end sent it) and its NUL.
constexpr int transfer_name_room = 256;

struct TransferFile {
    char name[transfer_name_room];  // without a folder; "" for XMODEM
    uint32_t size;                  // in bytes, when size_known
    bool size_known;
    uint32_t mtime;                 // seconds since 1970 (UTC), 0 when not known
};

// Where a sender's files come from, one at a time.
class TransferSource {
public:
    // Fills in the next file to send. false when there is none: XMODEM asks
    // once; YMODEM asks again after each file, and false ends the batch.
    virtual bool next_file(TransferFile* file) = 0;
    // Copies `count` bytes of the current file from `offset` to `out` (the
    // engine asks each block's bytes once, in order, never past the size it
    // was given). Returns how many; fewer than `count` ends the transfer as
    // "Could not read NAME".
    virtual int read(uint32_t offset, uint8_t* out, int count) = 0;

protected:
    ~TransferSource() = default;
};

// Where a receiver's files go.
class TransferSink {
public:
    // A file begins. Its name is safe to put in the chosen folder: no folder,
    // drive or device part, never "." or "..". XMODEM gives no name and no
    // size, once, when the receiver starts. false refuses the file, which
    // ends the transfer (no end_file follows).
    virtual bool begin_file(const TransferFile& file) = 0;
    // The file's next bytes (never past its size when the sender gave one).
    // false when they could not be kept, which ends the transfer.
    virtual bool write(const uint8_t* bytes, int count) = 0;
    // The file ended: whole (true) or cut short by a cancel or a failure.
    virtual void end_file(bool whole) = 0;

protected:
    ~TransferSink() = default;
};
