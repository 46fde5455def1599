#pragma once
#include <cstddef>
#include <cstdint>

// The keys a terminal sends other than characters.
enum class TerminalKey : uint8_t {
    enter,
    backspace,
    tab,
    escape,
    up,
    down,
    right,
    left,
    home,
    end,
    insert,
    delete_key,
    page_up,
    page_down,
    f1, f2, f3, f4, f5, f6, f7, f8, f9, f10, f11, f12,
};

enum KeyModifier : uint8_t {
    key_shift = 1,
    key_alt = 2,
    key_control = 4,
};

enum class EnterSends : uint8_t { cr, cr_lf, lf };

struct KeyOptions {
    EnterSends enter = EnterSends::cr;
    // Backspace sends BS (0x08) rather than DEL (0x7F).
    bool backspace_sends_bs = false;
    // The device asked for application cursor keys (ESC O A rather than
    // ESC [ A).
    bool application_cursor_keys = false;
};

// Room enough for any one key's bytes.
constexpr size_t key_bytes_room = 16;

// Writes the bytes a key sends, as xterm sends them, into `out`
// (key_bytes_room bytes) and returns how many. Alt puts ESC in front.
size_t encode_key(TerminalKey key, unsigned modifiers, const KeyOptions& options, char* out);

// Writes the bytes a typed character sends: its UTF-8, or with Control
// the control byte (Ctrl+C is 0x03, Ctrl+Space 0x00), ESC in front with
// Alt. Returns 0 for a code point that is not a character.
size_t encode_char(uint32_t code_point, unsigned modifiers, char* out);

// Writes `text` as pasted: line ends become CR, and with bracketed paste
// it is framed by ESC [ 200 ~ and ESC [ 201 ~ (the end marker taken out of
// the text, so the text cannot end the paste early). Returns the length
// written; `out` needs length + 12 bytes.
size_t encode_paste(const char* text, size_t length, bool bracketed, char* out);
