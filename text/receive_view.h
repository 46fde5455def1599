#pragma once
#include <cstdint>
#include "text/ansi_text.h"

// Turns received bytes into list lines, in one of three views:
//   as_received  each chunk one line exactly as received (NUL shown as <00>)
//   lines        a new line at each CR, LF or CR LF; the unfinished line grows
//                in place; UTF-8 sequences kept as they are, other control
//                bytes and bytes of no sequence shown as <HH>
//   hex          "00 41 FF", at most 16 bytes a line, a new line each tick
// With time stamps on, each new line begins with "hh:mm:ss.mmm ".
// With colours on, the Lines view takes escape sequences out of the text and
// keeps the colours they set as colour markers (see ansi_text.h); the colour
// lasts across lines until the device resets it. With hex offsets on, each
// Hex view line begins with its first byte's offset: "000001F0  01 03".

enum class ReceiveMode { as_received = 0, lines = 1, hex = 2 };

// The lines that are not the device's: a command sent, or a line the
// window writes itself ("-- COM7 lost 11:05:02 --").
enum class LineKind : char { received, sent, marker };

// Where the view puts its lines: the newest line of the list is replaced
// while the line it shows is still growing.
class ReceiveSink {
public:
    virtual void add_received_line(const char* text) = 0;
    virtual void replace_newest_line(const char* text) = 0;
    // A sent or marker line; never replaced afterwards. A sink that draws
    // them alike shows them as received lines.
    virtual void add_own_line(const char* text, LineKind) { add_received_line(text); }

protected:
    ~ReceiveSink() = default;
};

// The most received bytes one list line holds.
constexpr int receive_line_max_bytes = 255;
// Room for the longest line text: a stamp, every byte shown as <HH>, the
// colour markers (one where the line begins, one more per colour sequence of
// at least three bytes, and one for a UTF-8 sequence completed at the limit),
// the NUL. A sequence's bytes count towards the line, and may pass its limit
// by the three bytes that complete a UTF-8 sequence.
constexpr int receive_line_text_size =
    13 + receive_line_max_bytes * 4 + ((receive_line_max_bytes + 3) / 3 + 2) * colour_marker_max_bytes + 1;

class ReceiveView {
public:
    // Switching views ends the line in progress; lines already shown stay.
    void set_mode(ReceiveMode mode);
    ReceiveMode mode() const { return mode_; }
    void set_time_stamps(bool on) { stamps_ = on; }
    bool time_stamps() const { return stamps_; }
    // Colours in the Lines view; switching ends the line in progress and
    // forgets the colour and any sequence begun.
    void set_colours(bool on);
    bool colours() const { return colours_; }
    // Offsets before the Hex view's lines. The offset counts the bytes the
    // Hex view showed since the view was made or reset_offset().
    void set_hex_offsets(bool on) { hex_offsets_ = on; }
    bool hex_offsets() const { return hex_offsets_; }
    void reset_offset() { offset_ = 0; }

    // A new tick: the time given stamps the lines it starts, and the hex
    // view begins a new line. An out-of-range number shows as its maximum.
    void begin_tick(int hour, int minute, int second, int millisecond);
    // Shows one read's bytes (count may be 0; the as-received view takes at
    // most receive_line_max_bytes per call, the caller's chunk size).
    void show(const unsigned char* bytes, int count, ReceiveSink& sink);
    // In the Lines view, a command that was sent, as a line of its own
    // (kind sent): its bytes without the CR, LF or CR LF that ends them,
    // shown as received text is (never coloured), after the time stamp; more
    // than receive_line_max_bytes go on in further sent lines. A received
    // line in progress is finished first, and the bytes after start a new
    // one. The other views show nothing for it.
    void show_sent(const unsigned char* bytes, int count, ReceiveSink& sink);
    // In any view, a line the window writes itself (kind marker), shown as
    // given, after finishing a line in progress like show_sent.
    void show_marker(const char* text, ReceiveSink& sink);
    // Forgets the line in progress, as after the list was emptied.
    void end_line();

private:
    void start_line();
    void finish_line(ReceiveSink& sink);
    void put_colour();
    void put_shown(unsigned char byte, bool lines_view);
    void put_byte(unsigned char byte, bool lines_view);
    void put_escaped(unsigned char byte);
    void put_partial();
    void put_partial_bytes();
    void put_text(const char* text);
    void emit(ReceiveSink& sink);
    void show_lines(const unsigned char* bytes, int count, ReceiveSink& sink);
    void show_hex(const unsigned char* bytes, int count, ReceiveSink& sink);

    ReceiveMode mode_ = ReceiveMode::as_received;
    bool stamps_ = false;
    bool colours_ = false;
    bool hex_offsets_ = false;
    uint64_t offset_ = 0;  // bytes the hex view showed
    EscapeFilter escapes_;
    AnsiState written_;    // the colour the line in progress is in, so far
    char stamp_[14] = {};  // "hh:mm:ss.mmm " once a tick began
    char text_[receive_line_text_size] = {};
    int length_ = 0;       // characters in text_
    int bytes_ = 0;        // received bytes in the line in progress
    bool open_ = false;    // a line is in progress
    bool listed_ = false;  // ...and the list already shows it
    bool changed_ = false; // ...and it changed since it was shown
    bool after_cr_ = false;  // the last byte ended a line with CR
    unsigned char partial_[5] = {};  // a UTF-8 sequence begun, its NUL
    int partial_count_ = 0;          // bytes of it received
    int partial_length_ = 0;         // bytes it takes
};
