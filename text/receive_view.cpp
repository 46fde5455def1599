#include "text/receive_view.h"

namespace {

const char hex_digits[] = "0123456789ABCDEF";

// Writes `value` as `width` decimal digits; a value outside 0..limit
// (negative ones included) is written as limit.
void put_number(char* at, int number, int limit, int width)
{
    unsigned value = static_cast<unsigned>(number);
    if (value > static_cast<unsigned>(limit))
        value = static_cast<unsigned>(limit);
    for (int i = width - 1; i >= 0; --i) {
        at[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

bool is_line_end(unsigned char byte) { return byte == '\r' || byte == '\n'; }

}  // namespace

void ReceiveView::set_mode(ReceiveMode mode)
{
    if (mode != ReceiveMode::lines && mode != ReceiveMode::hex)
        mode = ReceiveMode::as_received;
    mode_ = mode;
    end_line();
}

void ReceiveView::begin_tick(int hour, int minute, int second, int millisecond)
{
    stamp_[2] = stamp_[5] = ':';
    stamp_[8] = '.';
    stamp_[12] = ' ';
    put_number(stamp_, hour, 23, 2);
    put_number(stamp_ + 3, minute, 59, 2);
    put_number(stamp_ + 6, second, 59, 2);
    put_number(stamp_ + 9, millisecond, 999, 3);
    if (mode_ == ReceiveMode::hex)
        end_line();
}

void ReceiveView::end_line()
{
    open_ = listed_ = changed_ = after_cr_ = false;
    length_ = bytes_ = 0;
}

void ReceiveView::start_line()
{
    length_ = bytes_ = 0;
    text_[0] = '\0';
    open_ = true;
    listed_ = changed_ = false;
    if (stamps_)
        put_text(stamp_);
}

// The text buffer holds a full line of bytes shown as <HH> after a stamp;
// the bound check only guards against a caller breaking that limit.
void ReceiveView::put_text(const char* text)
{
    for (; *text && length_ < receive_line_text_size - 1; ++text)
        text_[length_++] = *text;
    text_[length_] = '\0';
    changed_ = true;
}

void ReceiveView::put_byte(unsigned char byte, bool escape_controls)
{
    char shown[5] = {static_cast<char>(byte), '\0'};
    bool control = byte < 0x20 || byte == 0x7f;
    if (byte == 0 || (escape_controls && control && byte != '\t')) {
        shown[0] = '<';
        shown[1] = hex_digits[byte >> 4];
        shown[2] = hex_digits[byte & 15];
        shown[3] = '>';
        shown[4] = '\0';
    }
    put_text(shown);
    ++bytes_;
}

// Hands the line in progress to the list: a new list line the first time,
// the newest list line after that.
void ReceiveView::emit(ReceiveSink& sink)
{
    if (!open_ || !changed_)
        return;
    if (listed_)
        sink.replace_newest_line(text_);
    else
        sink.add_received_line(text_);
    listed_ = true;
    changed_ = false;
}

void ReceiveView::show(const unsigned char* bytes, int count, ReceiveSink& sink)
{
    if (!bytes || count <= 0)
        return;
    if (mode_ == ReceiveMode::lines) {
        show_lines(bytes, count, sink);
        return;
    }
    if (mode_ == ReceiveMode::hex) {
        show_hex(bytes, count, sink);
        return;
    }
    if (count > receive_line_max_bytes)
        count = receive_line_max_bytes;  // the caller reads no more at once
    start_line();
    for (int i = 0; i < count; ++i)
        put_byte(bytes[i], false);
    emit(sink);
    end_line();
}

void ReceiveView::show_lines(const unsigned char* bytes, int count, ReceiveSink& sink)
{
    for (int i = 0; i < count; ++i) {
        unsigned char byte = bytes[i];
        if (byte == '\n' && after_cr_) {
            after_cr_ = false;  // the LF of a CR LF, perhaps split across reads
            continue;
        }
        after_cr_ = false;
        if (is_line_end(byte)) {
            if (!open_) {
                start_line();  // an empty line
                changed_ = true;
            }
            emit(sink);
            end_line();
            after_cr_ = byte == '\r';
            continue;
        }
        // A full line goes on in the next list line; an end right after it
        // ends the full line rather than adding an empty one.
        if (open_ && bytes_ >= receive_line_max_bytes) {
            emit(sink);
            end_line();
        }
        if (!open_)
            start_line();
        put_byte(byte, true);
    }
    emit(sink);
}

void ReceiveView::show_hex(const unsigned char* bytes, int count, ReceiveSink& sink)
{
    for (int i = 0; i < count; ++i) {
        if (open_ && bytes_ >= 16) {
            emit(sink);
            end_line();
        }
        if (!open_)
            start_line();
        char shown[4] = {' ', hex_digits[bytes[i] >> 4], hex_digits[bytes[i] & 15], '\0'};
        put_text(bytes_ ? shown : shown + 1);
        ++bytes_;
    }
    emit(sink);
}
