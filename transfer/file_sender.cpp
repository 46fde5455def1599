#include "transfer/file_sender.h"
#include <cstring>
#include "text/checksums.h"
#include "transfer/file_header.h"

namespace {
constexpr uint32_t start_wait_ms = 60000;
constexpr uint32_t answer_wait_ms = 10000;
constexpr int most_tries = 10;  // the reasons below say "10 times"
}  // namespace

FileSender::FileSender(const SenderOptions& options, TransferSource* source)
    : options_(options), source_(source)
{
}

void FileSender::start(uint32_t now)
{
    if (step_ != Step::idle || finished())
        return;
    have_file_ = source_->next_file(&file_);
    if (!have_file_ && options_.protocol == TransferProtocol::xmodem) {
        fail("No file to send");
        return;
    }
    wait_for_request(Step::wait_start, now);
}

int FileSender::feed(const uint8_t* bytes, int count, uint32_t now)
{
    arm_timer(now);
    int i = 0;
    for (; i < count && !finished() && step_ != Step::idle; ++i) {
        if (second_cancel(bytes[i])) {
            drop_output();
            fail("Receiver cancelled");
        } else if (!has_output()) {
            answer(bytes[i], now);
        }
    }
    return i;
}

void FileSender::tick(uint32_t now)
{
    arm_timer(now);
    if (finished() || !timing_ || now - since_ < limit_)
        return;
    if (step_ == Step::wait_ack) {
        retry(false);
    } else {
        fail("No answer from the receiver");
        queue_cancel();
    }
}

void FileSender::cancel()
{
    if (finished())
        return;
    queue_cancel();
    fail("Cancelled");
}

void FileSender::arm_timer(uint32_t now)
{
    if (!timing_ && !has_output()) {
        timing_ = true;
        since_ = now;
    }
}

void FileSender::wait_for_request(Step step, uint32_t now)
{
    step_ = step;
    timing_ = true;
    since_ = now;
    limit_ = start_wait_ms;
}

void FileSender::answer(uint8_t byte, uint32_t now)
{
    bool request = byte == transfer_byte::crc || byte == transfer_byte::nak;
    switch (step_) {
    case Step::wait_start:
        if (!request)
            return;
        crc_ = byte == transfer_byte::crc;
        if (options_.protocol == TransferProtocol::ymodem) {
            send_header();
        } else {
            block_ = 1;
            send_next_block();
        }
        break;
    case Step::wait_data_start:
        if (request) {
            crc_ = byte == transfer_byte::crc;
            send_next_block();
        }
        break;
    case Step::wait_ack:
        if (byte == transfer_byte::ack)
            acknowledged(now);
        else if (byte == transfer_byte::nak)
            retry(true);
        break;
    case Step::idle:
        break;
    }
}

void FileSender::acknowledged(uint32_t now)
{
    switch (sent_) {
    case Sent::header:
        wait_for_request(Step::wait_data_start, now);
        break;
    case Sent::data:
        bytes_done_ += static_cast<uint32_t>(block_bytes_);
        ++block_;
        send_next_block();
        break;
    case Sent::eot:
        ++files_done_;
        if (options_.protocol == TransferProtocol::xmodem) {
            succeed();
        } else {
            // The finished file stays the one shown when the batch ends here.
            TransferFile next;
            have_file_ = source_->next_file(&next);
            if (have_file_)
                file_ = next;
            wait_for_request(Step::wait_start, now);
        }
        break;
    case Sent::batch_end:
        succeed();
        break;
    }
}

void FileSender::send_header()
{
    sent_ = have_file_ ? Sent::header : Sent::batch_end;
    int length = build_file_header(have_file_ ? &file_ : nullptr, frame_ + 3);
    if (have_file_)
        bytes_done_ = 0;
    block_ = 1;
    send_frame(length, 0);
}

void FileSender::send_next_block()
{
    uint32_t left = file_.size - bytes_done_;
    if (left == 0) {
        sent_ = Sent::eot;
        frame_[0] = transfer_byte::eot;
        frame_length_ = 1;
        send_frame(0, 0);
        return;
    }
    bool one_k = options_.protocol == TransferProtocol::ymodem || (crc_ && options_.one_k);
    int length = one_k && left >= 1024 ? 1024 : 128;
    block_bytes_ = left < static_cast<uint32_t>(length) ? static_cast<int>(left) : length;
    if (source_->read(bytes_done_, frame_ + 3, block_bytes_) != block_bytes_) {
        fail_naming_file("Could not read ", "");
        queue_cancel();
        return;
    }
    memset(frame_ + 3 + block_bytes_, transfer_byte::pad, static_cast<size_t>(length - block_bytes_));
    sent_ = Sent::data;
    send_frame(length, static_cast<uint8_t>(block_));
}

// Frames the `data_length` bytes at frame_ + 3 as block `number` (or, with
// no data, sends the one byte at frame_[0]) and queues it for its first try.
void FileSender::send_frame(int data_length, uint8_t number)
{
    if (data_length) {
        frame_[0] = data_length == 1024 ? transfer_byte::stx : transfer_byte::soh;
        frame_[1] = number;
        frame_[2] = static_cast<uint8_t>(~number);
        uint8_t* check = frame_ + 3 + data_length;
        if (crc_) {
            uint16_t crc = crc16_xmodem(frame_ + 3, static_cast<size_t>(data_length));
            check[0] = static_cast<uint8_t>(crc >> 8);
            check[1] = static_cast<uint8_t>(crc);
            frame_length_ = data_length + 5;
        } else {
            check[0] = checksum_sum8(frame_ + 3, static_cast<size_t>(data_length));
            frame_length_ = data_length + 4;
        }
    }
    step_ = Step::wait_ack;
    tries_ = 0;
    refused_ = false;
    retry(false);
}

// Sends the frame (again), or gives up after its last try.
void FileSender::retry(bool refused)
{
    refused_ = refused_ || refused;
    if (tries_ >= most_tries) {
        give_up();
        return;
    }
    ++tries_;
    queue(frame_, frame_length_);
    timing_ = false;
    limit_ = answer_wait_ms;
    if (options_.line_rate)
        limit_ += static_cast<uint32_t>(frame_length_) * 10000u / options_.line_rate;
}

void FileSender::give_up()
{
    if (!refused_)
        fail("No answer from the receiver");
    else if (sent_ == Sent::data)
        fail("Block ", static_cast<long>(block_), " refused 10 times");
    else if (sent_ == Sent::header)
        fail_naming_file("The name of ", " refused 10 times");
    else
        fail(sent_ == Sent::eot ? "End of file refused 10 times" : "End of batch refused 10 times");
    queue_cancel();
}
