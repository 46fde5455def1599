#pragma once
#include <cstddef>
#include <cstdint>

// A control sequence introduced by ESC [ (CSI), read whole.
struct CsiSequence {
    static constexpr int max_params = 16;
    // '?', '>', '<' or '=' when the sequence began with one, else 0.
    char leader;
    // An intermediate byte (0x20 to 0x2F) before the final one, else 0.
    char intermediate;
    char final;
    int count;
    // -1 for a parameter left empty. Values past 65535 are held at 65535.
    int params[max_params];
    // Whether params[i] followed a ':' (a sub-parameter), as in 38:2:r:g:b.
    bool sub[max_params];

    // Parameter `i`, or `fallback` when it is missing or empty.
    int param(int i, int fallback) const
    {
        return i < count && params[i] >= 0 ? params[i] : fallback;
    }
};

// What the parser makes of the bytes, handed to whoever keeps the screen.
class SequenceEvents {
public:
    // A run of printable ASCII characters (0x20 to 0x7E).
    virtual void print_ascii(const char* text, size_t length) = 0;
    // One character beyond ASCII (an invalid UTF-8 byte gives U+FFFD).
    virtual void print(uint32_t code_point) = 0;
    // A C0 control: 0x00 to 0x1F, ESC excepted.
    virtual void control(uint8_t byte) = 0;
    // ESC, at most one intermediate byte (else 0), and its final byte.
    virtual void escape(char intermediate, char final) = 0;
    virtual void csi(const CsiSequence& sequence) = 0;
    // An operating system command (ESC ] ... BEL or ESC \), cut to
    // SequenceParser::max_osc bytes.
    virtual void osc(const char* text, size_t length) = 0;

protected:
    ~SequenceEvents() = default;
};

// Turns the bytes a device sends into events: text (UTF-8), controls,
// escape sequences, CSI and OSC. A sequence cut by the end of one read is
// carried over into the next. Device control strings and the other strings
// (DCS, SOS, PM, APC) and malformed sequences are swallowed whole.
class SequenceParser {
public:
    static constexpr size_t max_osc = 256;

    explicit SequenceParser(SequenceEvents* events) : events_(events) {}

    void feed(const uint8_t* bytes, size_t count);
    // Forgets any half-read sequence or character.
    void reset();

private:
    enum class State : uint8_t {
        ground,
        escape,
        escape_intermediate,
        csi_param,
        csi_intermediate,
        csi_ignore,
        osc,
        osc_escape,
        string,
        string_escape,
    };

    void take(uint8_t byte);
    void take_utf8(uint8_t byte);
    void begin_csi();
    void csi_byte(uint8_t byte);
    void escape_byte(uint8_t byte);
    void end_osc();

    SequenceEvents* events_;
    State state_ = State::ground;
    char intermediate_ = 0;
    CsiSequence csi_{};
    bool csi_param_begun_ = false;
    // A UTF-8 character being read: its lead byte, the bytes still to come.
    uint8_t utf8_lead_ = 0;
    int utf8_index_ = 0;
    int utf8_length_ = 0;
    uint32_t utf8_code_ = 0;
    size_t osc_length_ = 0;
    char osc_[max_osc];
};
