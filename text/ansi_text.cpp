#include "text/ansi_text.h"
#include <cstring>

namespace {

constexpr unsigned char esc = 0x1b;
constexpr unsigned char bel = 0x07;

// The sixteen colours as 0x00BBGGRR: black, red, green, yellow, blue,
// magenta, cyan, white, then the bright ones.
const uint32_t sixteen[16] = {
    0x000000, 0x0000CD, 0x00CD00, 0x00CDCD, 0xEE0000, 0xCD00CD, 0xCDCD00, 0xE5E5E5,
    0x7F7F7F, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF5C5C, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

uint32_t grey(uint32_t level) { return level << 16 | level << 8 | level; }

// The parameter values kept: larger ones mean nothing here, and a long
// string of digits must not overflow.
constexpr int most_param_value = 9999;

int added_digit(int value, unsigned char digit)
{
    value = value * 10 + (digit - '0');
    return value > most_param_value ? most_param_value : value;
}

// Reads ESC [ digits-and-semicolons m at text[0]; returns its length, or 0
// when the text has no such marker there. The parameters go to `params`
// (most `room`), their number to `count`.
int read_marker(const char* text, int length, int* params, int room, int& count)
{
    count = 0;
    if (length < 3 || text[1] != '[')
        return 0;
    int value = 0;
    for (int i = 2; i < length; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            value = added_digit(value, static_cast<unsigned char>(c));
        } else if (c == ';' || c == 'm') {
            if (count < room)
                params[count++] = value;
            value = 0;
            if (c == 'm')
                return i + 1;
        } else {
            return 0;
        }
    }
    return 0;
}

// Writes ";n" for a number of at most three digits.
char* put_param(char* at, int value)
{
    *at++ = ';';
    if (value >= 100)
        *at++ = static_cast<char>('0' + value / 100);
    if (value >= 10)
        *at++ = static_cast<char>('0' + value / 10 % 10);
    *at++ = static_cast<char>('0' + value % 10);
    return at;
}

// One colour of a marker: 30-37 or 90-97 style for the sixteen (`base` 30
// or 40), 38;5;n or 38;2;r;g;b style otherwise.
char* put_colour(char* at, uint32_t colour, int base)
{
    uint32_t value = colour & 0xFFFFFF;
    if (colour >= ansi_direct) {
        at = put_param(put_param(at, base + 8), 2);
        at = put_param(at, static_cast<int>(value & 0xFF));
        at = put_param(at, static_cast<int>(value >> 8 & 0xFF));
        return put_param(at, static_cast<int>(value >> 16));
    }
    if (colour >= ansi_indexed) {
        if (value < 8)
            return put_param(at, base + static_cast<int>(value));
        if (value < 16)
            return put_param(at, base + 60 + static_cast<int>(value) - 8);
        return put_param(put_param(put_param(at, base + 8), 5), static_cast<int>(value));
    }
    return at;
}

uint32_t shown_colour(uint32_t colour, bool bright)
{
    if (colour >= ansi_direct)
        return colour & 0xFFFFFF;
    if (colour >= ansi_indexed) {
        int index = static_cast<int>(colour & 0xFF);
        return ansi_palette(bright && index < 8 ? index + 8 : index);
    }
    return colour_default;
}

}  // namespace

uint32_t ansi_palette(int index)
{
    if (index < 0 || index > 255)
        return 0;
    if (index < 16)
        return sixteen[index];
    if (index >= 232)
        return grey(static_cast<uint32_t>(8 + (index - 232) * 10));
    const uint32_t levels[6] = {0, 95, 135, 175, 215, 255};
    int cube = index - 16;
    return levels[cube % 6] << 16 | levels[cube / 6 % 6] << 8 | levels[cube / 36];
}

void apply_sgr(AnsiState& state, const int* params, int count)
{
    if (count <= 0)
        state = AnsiState();
    for (int i = 0; i < count; ++i) {
        int code = params[i];
        if (code == 0) {
            state = AnsiState();
        } else if (code == 1 || code == 22) {
            state.bold = code == 1;
        } else if (code == 4 || code == 24) {
            state.underline = code == 4;
        } else if (code == 7 || code == 27) {
            state.reverse = code == 7;
        } else if ((code >= 30 && code <= 37) || (code >= 90 && code <= 97)) {
            state.foreground = ansi_indexed + static_cast<uint32_t>(code < 90 ? code - 30 : code - 82);
        } else if ((code >= 40 && code <= 47) || (code >= 100 && code <= 107)) {
            state.background = ansi_indexed + static_cast<uint32_t>(code < 100 ? code - 40 : code - 92);
        } else if (code == 39) {
            state.foreground = ansi_default;
        } else if (code == 49) {
            state.background = ansi_default;
        } else if (code == 38 || code == 48) {
            uint32_t& colour = code == 38 ? state.foreground : state.background;
            if (i + 2 < count && params[i + 1] == 5) {
                if (params[i + 2] <= 255)
                    colour = ansi_indexed + static_cast<uint32_t>(params[i + 2]);
                i += 2;
            } else if (i + 4 < count && params[i + 1] == 2) {
                const int* rgb = params + i + 2;
                if (rgb[0] <= 255 && rgb[1] <= 255 && rgb[2] <= 255)
                    colour = ansi_direct + static_cast<uint32_t>(rgb[2] << 16 | rgb[1] << 8 | rgb[0]);
                i += 4;
            } else {
                return;
            }
        }
    }
}

int write_colour_marker(const AnsiState& state, char* out)
{
    char* at = out;
    *at++ = static_cast<char>(esc);
    *at++ = '[';
    *at++ = '0';
    if (state.bold)
        at = put_param(at, 1);
    if (state.underline)
        at = put_param(at, 4);
    if (state.reverse)
        at = put_param(at, 7);
    at = put_colour(at, state.foreground, 30);
    at = put_colour(at, state.background, 40);
    *at++ = 'm';
    *at = '\0';
    return static_cast<int>(at - out);
}

int colour_code_length(const char* text, int length)
{
    int count;
    int marker = read_marker(text, length, nullptr, 0, count);
    return marker ? marker : 1;
}

int strip_colour_codes(const char* text, int length, char* out)
{
    int shown = 0;
    for (int i = 0; i < length;) {
        const void* found = memchr(text + i, esc, static_cast<size_t>(length - i));
        int plain = found ? static_cast<int>(static_cast<const char*>(found) - text) - i : length - i;
        memmove(out + shown, text + i, static_cast<size_t>(plain));
        shown += plain;
        i += plain;
        if (i < length)
            i += colour_code_length(text + i, length - i);
    }
    return shown;
}

bool ColourRuns::next(ColourRun& run)
{
    while (at_ < length_) {
        if (static_cast<unsigned char>(text_[at_]) == esc) {
            int params[16];
            int count;
            int marker = read_marker(text_ + at_, length_ - at_, params, 16, count);
            if (marker)
                apply_sgr(state_, params, count);
            at_ += marker ? marker : 1;
            continue;
        }
        int start = at_;
        while (at_ < length_ && static_cast<unsigned char>(text_[at_]) != esc)
            ++at_;
        run.start = visible_;
        run.length = at_ - start;
        run.foreground = shown_colour(state_.foreground, state_.bold);
        run.background = shown_colour(state_.background, false);
        run.bold = state_.bold;
        run.underline = state_.underline;
        run.reverse = state_.reverse;
        visible_ += run.length;
        return true;
    }
    return false;
}

void EscapeFilter::begin_csi()
{
    state_ = csi;
    sgr_ = true;
    param_count_ = 1;
    params_[0] = 0;
}

void EscapeFilter::csi_byte(unsigned char byte)
{
    if (byte >= '0' && byte <= '9') {
        if (param_count_ <= most_params)
            params_[param_count_ - 1] = added_digit(params_[param_count_ - 1], byte);
    } else if (byte == ';') {
        if (++param_count_ <= most_params)
            params_[param_count_ - 1] = 0;
    } else if (byte < 0x40) {
        sgr_ = false;  // sub-parameters, private markers and intermediates
    } else {
        if (byte == 'm' && sgr_)
            apply_sgr(colour_, params_, param_count_ < most_params ? param_count_ : most_params);
        state_ = ground;
    }
}

bool EscapeFilter::take(unsigned char byte)
{
    if (state_ != ground) {
        int most = state_ == string ? escape_string_max_bytes : escape_sequence_max_bytes;
        if (length_ >= most)
            state_ = ground;  // abandoned; this byte is looked at afresh
    }
    if (byte == esc) {
        // Ends a string (ESC \ is then a sequence of its own) or abandons
        // a sequence cut short, and begins a new one.
        state_ = escape;
        length_ = 1;
        return false;
    }
    if (state_ == ground)
        return true;
    ++length_;
    if (state_ == string) {
        if (byte == bel) {
            state_ = ground;
            return false;
        }
        if (byte < 0x20) {
            state_ = ground;  // abandoned: a line end is never hidden in a title
            return true;
        }
        return false;
    }
    if (byte < 0x20 || byte >= 0x7f) {
        state_ = ground;
        return true;
    }
    if (state_ == csi) {
        csi_byte(byte);
    } else if (byte < 0x30) {
        state_ = escape_intermediate;
    } else if (state_ == escape && byte == '[') {
        begin_csi();
    } else if (state_ == escape &&
               (byte == ']' || byte == 'P' || byte == 'X' || byte == '^' || byte == '_')) {
        state_ = string;
    } else {
        state_ = ground;  // the final byte of a two-byte or charset sequence
    }
    return false;
}
