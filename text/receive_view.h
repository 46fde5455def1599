#pragma once

// Turns received bytes into list lines, in one of three views:
//   as_received  each chunk one line exactly as received (NUL shown as <00>)
//   lines        a new line at each CR, LF or CR LF; the unfinished line grows
//                in place; UTF-8 sequences kept as they are, other control
//                bytes and bytes of no sequence shown as <HH>
//   hex          "00 41 FF", at most 16 bytes a line, a new line each tick
// With time stamps on, each new line begins with "hh:mm:ss.mmm ".

enum class ReceiveMode { as_received = 0, lines = 1, hex = 2 };

// Where the view puts its lines: the newest line of the list is replaced
// while the line it shows is still growing.
class ReceiveSink {
public:
    virtual void add_received_line(const char* text) = 0;
    virtual void replace_newest_line(const char* text) = 0;

protected:
    ~ReceiveSink() = default;
};

// The most received bytes one list line holds.
constexpr int receive_line_max_bytes = 255;
// Room for the longest line text: a stamp, every byte shown as <HH>, the NUL.
constexpr int receive_line_text_size = 13 + receive_line_max_bytes * 4 + 1;

class ReceiveView {
public:
    // Switching views ends the line in progress; lines already shown stay.
    void set_mode(ReceiveMode mode);
    ReceiveMode mode() const { return mode_; }
    void set_time_stamps(bool on) { stamps_ = on; }
    bool time_stamps() const { return stamps_; }

    // A new tick: the time given stamps the lines it starts, and the hex
    // view begins a new line. An out-of-range number shows as its maximum.
    void begin_tick(int hour, int minute, int second, int millisecond);
    // Shows one read's bytes (count may be 0; the as-received view takes at
    // most receive_line_max_bytes per call, the caller's chunk size).
    void show(const unsigned char* bytes, int count, ReceiveSink& sink);
    // Forgets the line in progress, as after the list was emptied.
    void end_line();

private:
    void start_line();
    void put_byte(unsigned char byte, bool lines_view);
    void put_escaped(unsigned char byte);
    void put_partial();
    void put_text(const char* text);
    void emit(ReceiveSink& sink);
    void show_lines(const unsigned char* bytes, int count, ReceiveSink& sink);
    void show_hex(const unsigned char* bytes, int count, ReceiveSink& sink);

    ReceiveMode mode_ = ReceiveMode::as_received;
    bool stamps_ = false;
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
