#include "transfer/file_receiver.h"
#include <cstring>
#include "text/checksums.h"
#include "transfer/file_header.h"

namespace {
constexpr uint32_t ask_limit_ms = 60000;
constexpr uint32_t answer_wait_ms = 10000;
// A block whose bytes stop coming this long is taken as damaged; so is a
// garbled one once the line has been quiet this long.
constexpr uint32_t stalled_ms = 2000;
constexpr uint32_t quiet_ms = 1000;
constexpr int most_retries = 10;  // the reason below says "10 retries"
constexpr int crc_asks = 3;
}  // namespace

FileReceiver::FileReceiver(const ReceiverOptions& options, TransferSink* sink)
    : options_(options), sink_(sink), crc_(options.crc)
{
}

void FileReceiver::start(uint32_t now)
{
    if (step_ != Step::idle || finished())
        return;
    if (options_.protocol == TransferProtocol::xmodem) {
        if (!sink_->begin_file(file_)) {
            fail("The file was refused");
            return;
        }
        file_open_ = true;
        block_ = 1;
    } else {
        want_header_ = true;
        block_ = 0;
    }
    step_ = Step::wait_block;
    last_byte_ = now;
    begin_asking(now);
}

int FileReceiver::feed(const uint8_t* bytes, int count, uint32_t now)
{
    int i = 0;
    for (; i < count && !finished() && step_ != Step::idle; ++i) {
        last_byte_ = now;
        take(bytes[i], now);
    }
    return i;
}

void FileReceiver::tick(uint32_t now)
{
    if (finished() || step_ == Step::idle)
        return;
    if (step_ == Step::in_block) {
        if (now - last_byte_ >= stalled_ms)
            refuse(false, now);
    } else if (step_ == Step::skip) {
        if (now - last_byte_ >= quiet_ms)
            refuse(false, now);
    } else if (asking_) {
        if (now - ask_began_ >= ask_limit_ms) {
            fail("No answer from the sender");
            abort_transfer();
        } else if (now - since_ >= options_.ask_every_ms) {
            ask(now);
        }
    } else if (now - since_ >= answer_wait_ms) {
        refuse(true, now);
    }
}

void FileReceiver::cancel()
{
    if (finished())
        return;
    fail("Cancelled");
    abort_transfer();
}

void FileReceiver::take(uint8_t byte, uint32_t now)
{
    if (step_ == Step::in_block) {
        frame_[have_++] = byte;
        if (have_ == need_) {
            step_ = Step::wait_block;
            block_arrived(now);
        }
    } else if (step_ == Step::wait_block) {
        if (second_cancel(byte)) {
            fail("Sender cancelled");
            stop();
        } else if (byte == transfer_byte::soh || byte == transfer_byte::stx) {
            frame_[0] = byte;
            have_ = 1;
            need_ = 3 + (byte == transfer_byte::soh ? 128 : 1024) + (crc_ ? 2 : 1);
            step_ = Step::in_block;
        } else if (byte == transfer_byte::eot) {
            eot_arrived(now);
        }
        // Anything else is noise, or an answer's echo: let it pass.
    }
}

void FileReceiver::block_arrived(uint32_t now)
{
    uint8_t number = frame_[1];
    if ((number ^ frame_[2]) != 0xff) {
        // Not a block's start after all: let the rest of whatever it was pass.
        step_ = Step::skip;
        return;
    }
    int length = frame_[0] == transfer_byte::soh ? 128 : 1024;
    const uint8_t* data = frame_ + 3;
    const uint8_t* check = data + length;
    bool good = crc_ ? crc16_xmodem(data, static_cast<size_t>(length)) == (check[0] << 8 | check[1])
                     : checksum_sum8(data, static_cast<size_t>(length)) == check[0];
    if (!good) {
        asking_ = false;
        refuse(false, now);
        return;
    }
    uint8_t expected = static_cast<uint8_t>(block_);
    if (number != expected) {
        if (got_block_ && number == static_cast<uint8_t>(expected - 1)) {
            // Our ACK was lost and the sender tried again.
            answer(transfer_byte::ack, now);
            if (want_header_ == false && block_ == 1 && options_.protocol == TransferProtocol::ymodem)
                answer(crc_ ? transfer_byte::crc : transfer_byte::nak, now);
            return;
        }
        if (options_.protocol == TransferProtocol::ymodem && want_header_ && number == 1)
            fail("The sender gave no file name: is it set to XMODEM?");
        else if (options_.protocol == TransferProtocol::xmodem && !got_block_ && number == 0)
            fail("The sender gave a file name: is it set to YMODEM?");
        else
            fail("Blocks out of order: block ", static_cast<long>(block_), " was due");
        abort_transfer();
        return;
    }
    asking_ = false;
    retries_ = 0;
    eot_refused_ = false;
    got_block_ = true;
    if (want_header_) {
        header_arrived(data, length, now);
        return;
    }
    if (!keep_data(data, length))
        return;
    ++block_;
    answer(transfer_byte::ack, now);
}

void FileReceiver::header_arrived(const uint8_t* data, int length, uint32_t now)
{
    if (is_batch_end(data)) {
        answer(transfer_byte::ack, now);
        succeed();
        step_ = Step::idle;
        return;
    }
    TransferFile file;
    if (!parse_file_header(data, length, &file)) {
        fail("The sender's file name was garbled");
        abort_transfer();
        return;
    }
    file_ = file;
    bytes_done_ = 0;
    written_ = 0;
    held_length_ = 0;
    if (!sink_->begin_file(file_)) {
        fail_naming_file("The file ", " was refused");
        abort_transfer();
        return;
    }
    file_open_ = true;
    want_header_ = false;
    block_ = 1;
    answer(transfer_byte::ack, now);
    // The sender waits for a new ask before the data.
    begin_asking(now);
}

bool FileReceiver::keep_data(const uint8_t* data, int length)
{
    if (!file_.size_known) {
        if (!write_held(false))
            return false;
        memcpy(held_, data, static_cast<size_t>(length));
        held_length_ = length;
        bytes_done_ = written_ + static_cast<uint32_t>(length);
        return true;
    }
    // What passes the size the sender gave is padding.
    uint32_t left = file_.size - written_;
    int count = left < static_cast<uint32_t>(length) ? static_cast<int>(left) : length;
    return write(data, count);
}

// Writes the block held back, without its padding when it is the last.
bool FileReceiver::write_held(bool last)
{
    int length = held_length_;
    if (last && options_.trim_padding)
        while (length > 0 && held_[length - 1] == transfer_byte::pad)
            --length;
    held_length_ = 0;
    return write(held_, length);
}

bool FileReceiver::write(const uint8_t* data, int count)
{
    if (count > 0 && !sink_->write(data, count)) {
        fail_naming_file("Could not write ", "");
        abort_transfer();
        return false;
    }
    written_ += static_cast<uint32_t>(count);
    bytes_done_ = written_;
    return true;
}

void FileReceiver::eot_arrived(uint32_t now)
{
    if (want_header_) {
        // YMODEM between files: the sender did not hear our ACK of its EOT.
        if (files_done_ > 0) {
            answer(transfer_byte::ack, now);
            answer(crc_ ? transfer_byte::crc : transfer_byte::nak, now);
        }
        return;
    }
    if (options_.protocol == TransferProtocol::ymodem && !eot_refused_) {
        eot_refused_ = true;
        answer(transfer_byte::nak, now);
        return;
    }
    if (!write_held(true))
        return;
    answer(transfer_byte::ack, now);
    file_open_ = false;
    sink_->end_file(true);
    ++files_done_;
    if (options_.protocol == TransferProtocol::xmodem) {
        succeed();
        step_ = Step::idle;
        return;
    }
    want_header_ = true;
    got_block_ = false;
    eot_refused_ = false;
    block_ = 0;
    retries_ = 0;
    begin_asking(now);
}

void FileReceiver::begin_asking(uint32_t now)
{
    asking_ = true;
    ask_began_ = now;
    asks_ = 0;
    ask(now);
}

void FileReceiver::ask(uint32_t now)
{
    if (options_.protocol == TransferProtocol::xmodem && crc_ && !got_block_ && asks_ >= crc_asks)
        crc_ = false;
    ++asks_;
    answer(crc_ ? transfer_byte::crc : transfer_byte::nak, now);
}

void FileReceiver::answer(uint8_t byte, uint32_t now)
{
    queue_byte(byte);
    since_ = now;
}

// A block that did not arrive whole and sound: asked for again, or the
// transfer given up after the last retry.
void FileReceiver::refuse(bool timed_out, uint32_t now)
{
    step_ = Step::wait_block;
    if (++retries_ > most_retries) {
        if (timed_out)
            fail("No answer from the sender");
        else
            fail("Block ", static_cast<long>(block_), " still damaged after 10 retries");
        abort_transfer();
        return;
    }
    if (asking_)
        ask(now);
    else
        answer(transfer_byte::nak, now);
}

void FileReceiver::abort_transfer()
{
    queue_cancel();
    stop();
}

void FileReceiver::stop()
{
    step_ = Step::idle;
    if (file_open_) {
        // The block held back was sound: the part of the file kept gets it.
        if (held_length_ > 0)
            sink_->write(held_, held_length_);
        held_length_ = 0;
        file_open_ = false;
        sink_->end_file(false);
    }
}
