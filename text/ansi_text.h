#pragma once
#include <cstdint>

// Colours in received text. Devices colour their output with the escape
// sequences terminals understand; the Lines view takes every sequence out of
// the text and keeps the colour ones as one short sequence of its own (a
// colour marker) before the text they colour: ESC [ 0 ; ... m, giving the
// whole colour from scratch. A stored line thus carries its colours with it,
// and ESC appears in it only in markers (the view shows a received ESC as
// <1B> when colours are off).

// A colour as the received text chose it: ansi_default, ansi_indexed + n for
// entry n of the 256-colour palette, or ansi_direct + 0xBBGGRR.
constexpr uint32_t ansi_default = 0;
constexpr uint32_t ansi_indexed = 0x01000000;
constexpr uint32_t ansi_direct = 0x02000000;

struct AnsiState {
    uint32_t foreground = ansi_default;
    uint32_t background = ansi_default;
    bool bold = false;
    bool underline = false;
    bool reverse = false;  // foreground and background swapped
};
inline bool operator==(const AnsiState& a, const AnsiState& b)
{
    return a.foreground == b.foreground && a.background == b.background && a.bold == b.bold &&
           a.underline == b.underline && a.reverse == b.reverse;
}
inline bool operator!=(const AnsiState& a, const AnsiState& b) { return !(a == b); }

// Palette entry `index` (0-15 the usual sixteen, 16-231 a 6x6x6 cube, 232-255
// greys) as 0x00BBGGRR; black for an index out of range.
uint32_t ansi_palette(int index);

// Applies the parameters of one SGR sequence (ESC [ params m) to `state`:
// 0 reset, 1 bold, 22 not bold, 4 and 24 underline on and off, 7 and 27
// reverse on and off, 30-37 and 90-97 foreground, 40-47 and
// 100-107 background, 39 and 49 the defaults, 38;5;n and 48;5;n a palette
// entry, 38;2;r;g;b and 48;2;r;g;b a colour of its own. No parameters at all
// mean 0. Other codes change nothing; a 38 or 48 that is cut short or of
// another form ends the sequence there, as what follows can't be read.
void apply_sgr(AnsiState& state, const int* params, int count);

// The longest colour marker: ESC [ 0 ; 1 ; 4 ; 7 ; 38;2;r;g;b ; 48;2;r;g;b m.
constexpr int colour_marker_max_bytes = 44;
// Writes the marker that sets `state` from scratch, and a NUL, to `out`
// (colour_marker_max_bytes + 1 bytes); returns its length.
int write_colour_marker(const AnsiState& state, char* out);

// The bytes to skip at text[0], an ESC: a whole colour marker (ESC [ digits
// and semicolons m), or the ESC alone when no marker follows. `length` is
// what is left of the text from there.
int colour_code_length(const char* text, int length);

// Copies the visible text of a stored line to `out` (at least `length`
// bytes, or `text` itself): the markers and any other ESC taken out.
// Returns its length.
int strip_colour_codes(const char* text, int length, char* out);

// What the list's drawing takes for "no colour of its own".
constexpr uint32_t colour_default = 0xFF000000;

// A piece of a stored line's visible text in one colour: `start` and
// `length` count bytes of the visible text; the colours are 0x00BBGGRR or
// colour_default. A bold foreground of the first eight palette entries is
// already the bright one; `bold` is there for a bold font. `reverse` asks
// for the two colours swapped (a default one standing for the row's).
struct ColourRun {
    int start;
    int length;
    uint32_t foreground;
    uint32_t background;
    bool bold;
    bool underline;
    bool reverse;
};

// Goes through a stored line's runs, first to last:
//   ColourRuns runs(text, length);
//   for (ColourRun run; runs.next(run);) ...
class ColourRuns {
public:
    ColourRuns(const char* text, int length) : text_(text), length_(length > 0 ? length : 0) {}
    // The next run; false after the last.
    bool next(ColourRun& run);

private:
    const char* text_;
    int length_;
    int at_ = 0;       // in the stored text
    int visible_ = 0;  // visible bytes before at_
    AnsiState state_;
};

// The longest escape sequence taken out: one that is still going on after
// this many bytes (string sequences: after escape_string_max_bytes) is
// abandoned: its bytes so far are dropped and what follows is text again.
// Real sequences are far shorter; a broken one thus never hides more than
// this much of what the device sent.
constexpr int escape_sequence_max_bytes = 64;
// Window titles and links (ESC ] ... BEL) can be longer.
constexpr int escape_string_max_bytes = 1024;

// Finds the escape sequences in received bytes, one byte at a time, so that
// a sequence split across reads is taken whole, and follows the colour the
// SGR sequences among them set. It knows:
//   ESC [ parameters intermediates final   (CSI; SGR when the final is m)
//   ESC ] P X ^ or _ ... up to BEL or ESC \   (strings such as titles)
//   ESC intermediates final                 (two-byte and charset sequences)
// A byte that has no place in a sequence (a control byte such as CR or LF,
// DEL, or a byte of 0x80 and above outside a string) abandons it: the bytes
// so far are dropped and that byte is text as if the sequence weren't
// there; an ESC begins a new sequence. A sequence left unfinished at the end
// of the input simply stays unfinished.
class EscapeFilter {
public:
    // Whether `byte` is text; false when it belongs to an escape sequence.
    bool take(unsigned char byte);
    // The colour the sequences so far have set.
    const AnsiState& colour() const { return colour_; }
    // Forgets a sequence begun and the colour.
    void reset() { *this = EscapeFilter(); }

private:
    enum State : unsigned char { ground, escape, escape_intermediate, csi, string };
    static constexpr int most_params = 16;  // an SGR's parameters past these are not read
    void begin_csi();
    void csi_byte(unsigned char byte);

    AnsiState colour_;
    State state_ = ground;
    int length_ = 0;       // bytes of the sequence so far
    bool sgr_ = false;     // the CSI so far can be an SGR (digits and semicolons only)
    int params_[most_params] = {};
    int param_count_ = 0;  // parameters begun
};
