#include "transfer/transfer_engine.h"
#include <cstring>

namespace {
// Enough that one reaches the far end's reading of answers even when a few
// are eaten as the end of a block.
constexpr int cancel_count = 8;
}  // namespace

TransferEngine::TransferEngine()
{
    memset(&file_, 0, sizeof file_);
    reason_[0] = '\0';
}

int TransferEngine::output(uint8_t* out, int room)
{
    int count = out_end_ - out_start_;
    if (count > room)
        count = room;
    if (count <= 0)
        return 0;
    memcpy(out, out_ + out_start_, static_cast<size_t>(count));
    out_start_ += count;
    return count;
}

void TransferEngine::queue(const uint8_t* bytes, int count)
{
    if (out_start_ == out_end_) {
        out_start_ = out_end_ = 0;
    } else if (out_start_ > 0 && out_end_ + count > static_cast<int>(sizeof out_)) {
        memmove(out_, out_ + out_start_, static_cast<size_t>(out_end_ - out_start_));
        out_end_ -= out_start_;
        out_start_ = 0;
    }
    int room = static_cast<int>(sizeof out_) - out_end_;
    if (count > room)
        count = room;
    memcpy(out_ + out_end_, bytes, static_cast<size_t>(count));
    out_end_ += count;
}

void TransferEngine::queue_cancel()
{
    // Nothing of what waits has gone yet: none of it needs finishing.
    if (out_start_ == 0)
        drop_output();
    uint8_t cans[cancel_count];
    memset(cans, transfer_byte::can, sizeof cans);
    queue(cans, cancel_count);
}

bool TransferEngine::second_cancel(uint8_t byte)
{
    cans_ = byte == transfer_byte::can ? cans_ + 1 : 0;
    return cans_ >= 2;
}

void TransferEngine::append_reason(const char* text)
{
    size_t used = strlen(reason_);
    size_t room = sizeof reason_ - 1 - used;
    size_t length = strnlen(text, room);
    memcpy(reason_ + used, text, length);
    reason_[used + length] = '\0';
}

void TransferEngine::fail(const char* before, long number, const char* after)
{
    if (state_ != State::running)
        return;
    state_ = State::failed;
    reason_[0] = '\0';
    append_reason(before);
    if (number >= 0) {
        char digits[12];
        int length = 0;
        char reversed[12];
        unsigned long value = static_cast<unsigned long>(number);
        do {
            reversed[length++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value);
        for (int i = 0; i < length; ++i)
            digits[i] = reversed[length - 1 - i];
        digits[length] = '\0';
        append_reason(digits);
    }
    append_reason(after);
}

void TransferEngine::fail_naming_file(const char* before, const char* after)
{
    if (state_ != State::running)
        return;
    fail(before);
    append_reason(file_.name[0] ? file_.name : "the file");
    append_reason(after);
}
