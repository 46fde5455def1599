#include "text/receive_view.h"
#include "text/utf8.h"

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

void ReceiveView::set_colours(bool on)
{
    colours_ = on;
    escapes_.reset();
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
    length_ = bytes_ = partial_count_ = 0;
}

void ReceiveView::start_line()
{
    length_ = bytes_ = 0;
    text_[0] = '\0';
    open_ = true;
    listed_ = changed_ = false;
    written_ = AnsiState();
    if (stamps_)
        put_text(stamp_);
    if (mode_ == ReceiveMode::hex && hex_offsets_) {
        // Eight digits, more once the session passes 4 GiB.
        char shown[16 + 3];
        int digits = 8;
        while (digits < 16 && offset_ >> (digits * 4))
            ++digits;
        for (int i = 0; i < digits; ++i)
            shown[i] = hex_digits[offset_ >> ((digits - 1 - i) * 4) & 15];
        shown[digits] = shown[digits + 1] = ' ';
        shown[digits + 2] = '\0';
        put_text(shown);
    }
}

// Ends the line in progress, listed whole: a UTF-8 sequence still incomplete
// stays <HH>. A CR just received still pairs with an LF that follows.
void ReceiveView::finish_line(ReceiveSink& sink)
{
    if (!open_)
        return;
    if (partial_count_) {
        put_partial();
        partial_count_ = 0;
    }
    emit(sink);
    bool after_cr = after_cr_;
    end_line();
    after_cr_ = after_cr;
}

// Before visible text in the Lines view, a marker when the colour differs
// from the one the line is in so far.
void ReceiveView::put_colour()
{
    if (!colours_ || mode_ != ReceiveMode::lines || escapes_.colour() == written_)
        return;
    char marker[colour_marker_max_bytes + 1];
    write_colour_marker(escapes_.colour(), marker);
    put_text(marker);
    written_ = escapes_.colour();
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

// The lines view shows control bytes and bytes that are not part of a UTF-8
// sequence as <HH>; every view shows NUL so.
void ReceiveView::put_shown(unsigned char byte, bool lines_view)
{
    bool control = byte < 0x20 || byte == 0x7f;
    if (byte == 0 || (lines_view && ((control && byte != '\t') || byte >= 0x80))) {
        put_escaped(byte);
    } else {
        char shown[2] = {static_cast<char>(byte), '\0'};
        put_text(shown);
    }
}

void ReceiveView::put_byte(unsigned char byte, bool lines_view)
{
    put_colour();
    put_shown(byte, lines_view);
    ++bytes_;
}

void ReceiveView::put_escaped(unsigned char byte)
{
    char shown[5] = {'<', hex_digits[byte >> 4], hex_digits[byte & 15], '>', '\0'};
    put_text(shown);
}

// The bytes of a UTF-8 sequence begun, as <HH>, for good when it breaks
// off, in the colour now. They were counted when they came.
void ReceiveView::put_partial()
{
    if (partial_count_)
        put_colour();
    put_partial_bytes();
}

// ...for now while it is incomplete, in the colour of the text before it.
void ReceiveView::put_partial_bytes()
{
    for (int i = 0; i < partial_count_; ++i)
        put_escaped(partial_[i]);
}

// Hands the line in progress to the list: a new list line the first time,
// the newest list line after that.
void ReceiveView::emit(ReceiveSink& sink)
{
    if (!open_ || !changed_)
        return;
    // A sequence still incomplete shows as <HH> for now, in the colour of
    // the text before it, so that the line depends only on the bytes so far
    // and not on where reads ended; the line is replaced once it completes
    // or breaks off.
    int length = length_;
    put_partial_bytes();
    if (listed_)
        sink.replace_newest_line(text_);
    else
        sink.add_received_line(text_);
    length_ = length;
    text_[length_] = '\0';
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
        // A sequence's bytes are not text, but count towards the line in
        // progress; one never starts a line nor ends one at the limit, and a
        // full line ends at the next text instead.
        if (colours_ && !escapes_.take(byte)) {
            if (open_ && bytes_ < receive_line_max_bytes)
                ++bytes_;
            continue;
        }
        if (byte == '\n' && after_cr_) {
            after_cr_ = false;  // the LF of a CR LF, perhaps split across reads
            continue;
        }
        after_cr_ = false;
        if (partial_count_) {
            if (utf8_continues(partial_[0], partial_count_, byte)) {
                partial_[partial_count_++] = byte;
                ++bytes_;
                changed_ = true;
                if (partial_count_ == partial_length_) {
                    partial_[partial_count_] = 0;
                    partial_count_ = 0;
                    put_colour();
                    put_text(reinterpret_cast<const char*>(partial_));
                }
                continue;
            }
            put_partial();
            partial_count_ = 0;
        }
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
        // A full line goes on in the next list line, a UTF-8 sequence whole;
        // an end right after it ends the full line rather than adding an
        // empty one.
        int length = byte >= 0x80 ? utf8_sequence_length(byte) : 1;
        if (open_ && bytes_ + (length > 1 ? length : 1) > receive_line_max_bytes) {
            emit(sink);
            end_line();
        }
        if (!open_)
            start_line();
        if (length > 1) {
            partial_[0] = byte;
            partial_count_ = 1;
            partial_length_ = length;
            ++bytes_;
            changed_ = true;
            continue;
        }
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
        ++offset_;
    }
    emit(sink);
}

void ReceiveView::show_sent(const unsigned char* bytes, int count, ReceiveSink& sink)
{
    if (mode_ != ReceiveMode::lines || !bytes || count < 0)
        return;
    finish_line(sink);
    bool after_cr = after_cr_;
    if (count > 0 && bytes[count - 1] == '\n')
        --count;
    if (count > 0 && bytes[count - 1] == '\r')
        --count;
    int i = 0;
    do {
        start_line();
        while (i < count) {
            int length = utf8_sequence_length(bytes[i]);
            for (int k = 1; k < length; ++k)
                if (i + k >= count || !utf8_continues(bytes[i], k, bytes[i + k]))
                    length = 0;
            if (bytes_ + (length > 1 ? length : 1) > receive_line_max_bytes)
                break;
            if (length > 1) {
                char sequence[5] = {};
                for (int k = 0; k < length; ++k)
                    sequence[k] = static_cast<char>(bytes[i + k]);
                put_text(sequence);
                i += length;
                bytes_ += length;
            } else {
                put_shown(bytes[i++], true);
                ++bytes_;
            }
        }
        sink.add_own_line(text_, LineKind::sent);
    } while (i < count);
    end_line();
    after_cr_ = after_cr;
}

void ReceiveView::show_marker(const char* text, ReceiveSink& sink)
{
    finish_line(sink);
    sink.add_own_line(text ? text : "", LineKind::marker);
}
