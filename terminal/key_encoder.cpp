#include "terminal/key_encoder.h"
#include <cstdio>
#include <cstring>

namespace {

size_t put_utf8(uint32_t c, char* out)
{
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | (c >> 6));
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (c >> 12));
        out[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (c >> 18));
    out[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

// A key sent as ESC [ number ~, or ESC [ number ; modifiers ~.
size_t tilde_key(int number, unsigned modifiers, char* out)
{
    int written = modifiers != 0 ? snprintf(out, key_bytes_room, "\x1b[%d;%u~", number, modifiers + 1)
                                 : snprintf(out, key_bytes_room, "\x1b[%d~", number);
    return static_cast<size_t>(written);
}

// A key sent as ESC [ letter (or ESC O letter when `ss3`), or with
// modifiers as ESC [ 1 ; modifiers letter.
size_t letter_key(char letter, bool ss3, unsigned modifiers, char* out)
{
    if (modifiers != 0)
        return static_cast<size_t>(snprintf(out, key_bytes_room, "\x1b[1;%u%c", modifiers + 1, letter));
    out[0] = 0x1B;
    out[1] = ss3 ? 'O' : '[';
    out[2] = letter;
    return 3;
}

}  // namespace

size_t encode_key(TerminalKey key, unsigned modifiers, const KeyOptions& options, char* out)
{
    modifiers &= key_shift | key_alt | key_control;
    bool app = options.application_cursor_keys;
    size_t length = 0;
    // Keys that send a byte or two take Alt as an ESC in front.
    char* simple = out;
    bool alt = (modifiers & key_alt) != 0;
    if (alt)
        *simple++ = 0x1B;
    switch (key) {
    case TerminalKey::enter:
        length = 0;
        if (options.enter != EnterSends::lf)
            simple[length++] = '\r';
        if (options.enter != EnterSends::cr)
            simple[length++] = '\n';
        return length + alt;
    case TerminalKey::backspace:
        simple[0] = options.backspace_sends_bs ? 0x08 : 0x7F;
        return 1 + alt;
    case TerminalKey::tab:
        if (modifiers & key_shift) {
            memcpy(out, "\x1b[Z", 3);
            return 3;
        }
        simple[0] = '\t';
        return 1 + alt;
    case TerminalKey::escape:
        simple[0] = 0x1B;
        return 1 + alt;
    case TerminalKey::up:
        return letter_key('A', app, modifiers, out);
    case TerminalKey::down:
        return letter_key('B', app, modifiers, out);
    case TerminalKey::right:
        return letter_key('C', app, modifiers, out);
    case TerminalKey::left:
        return letter_key('D', app, modifiers, out);
    case TerminalKey::home:
        return letter_key('H', app, modifiers, out);
    case TerminalKey::end:
        return letter_key('F', app, modifiers, out);
    case TerminalKey::insert:
        return tilde_key(2, modifiers, out);
    case TerminalKey::delete_key:
        return tilde_key(3, modifiers, out);
    case TerminalKey::page_up:
        return tilde_key(5, modifiers, out);
    case TerminalKey::page_down:
        return tilde_key(6, modifiers, out);
    case TerminalKey::f1:
    case TerminalKey::f2:
    case TerminalKey::f3:
    case TerminalKey::f4:
        return letter_key(static_cast<char>('P' + (static_cast<int>(key) - static_cast<int>(TerminalKey::f1))), true,
                          modifiers, out);
    default: {
        // F5 to F12 are numbered with gaps where the old keyboards had keys.
        static const int numbers[] = {15, 17, 18, 19, 20, 21, 23, 24};
        int index = static_cast<int>(key) - static_cast<int>(TerminalKey::f5);
        if (index < 0 || index >= 8)
            return 0;
        return tilde_key(numbers[index], modifiers, out);
    }
    }
}

size_t encode_char(uint32_t c, unsigned modifiers, char* out)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    size_t length = 0;
    if (modifiers & key_alt)
        out[length++] = 0x1B;
    if (modifiers & key_control) {
        if (c >= 'a' && c <= 'z')
            c -= 'a' - 'A';
        if ((c >= '@' && c <= '_') || c == ' ' || c == '?') {
            out[length++] = c == ' ' ? 0 : c == '?' ? 0x7F : static_cast<char>(c & 0x1F);
            return length;
        }
        if (c >= '2' && c <= '8') {
            // The digit row as xterm maps it: Ctrl+2 NUL, Ctrl+3 to 7 ESC to
            // US, Ctrl+8 DEL.
            static const char digits[] = {0x00, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x7F};
            out[length++] = digits[c - '2'];
            return length;
        }
    }
    return length + put_utf8(c, out + length);
}

size_t encode_paste(const char* text, size_t length, bool bracketed, char* out)
{
    static const char begin[] = "\x1b[200~";
    static const char end[] = "\x1b[201~";
    size_t written = 0;
    if (bracketed) {
        memcpy(out, begin, 6);
        written = 6;
    }
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < length && text[i + 1] == '\n')
            continue;  // CR LF is one line end
        if (bracketed && c == 0x1B && i + 6 <= length && memcmp(text + i, end, 6) == 0) {
            i += 5;
            continue;
        }
        out[written++] = c == '\n' ? '\r' : c;
    }
    if (bracketed) {
        memcpy(out + written, end, 6);
        written += 6;
    }
    return written;
}
