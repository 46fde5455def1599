#include "text/frame.h"

#include "text/checksums.h"
#include "text/escapes.h"

namespace {

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool is_name_char(char c)
{
    return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '_';
}

// How many name characters the token at `text` ("{name}") has; 0 when the
// `length` characters there do not begin with a token.
int token_name_length(const char* text, int length)
{
    int end = 1;
    while (end < length && is_name_char(text[end]))
        ++end;
    return end > 1 && end < length && text[end] == '}' ? end - 1 : 0;
}

// Fills `error` with `prefix` followed by `count` characters of `detail`,
// cut to fit, and returns -1.
int fail(FrameError* error, const char* prefix, const char* detail = nullptr, int count = 0)
{
    if (!error)
        return -1;
    const int room = static_cast<int>(sizeof error->text) - 1;
    int length = 0;
    while (*prefix && length < room)
        error->text[length++] = *prefix++;
    for (int i = 0; i < count && length < room; ++i)
        error->text[length++] = detail[i];
    error->text[length] = '\0';
    return -1;
}

// "Unknown checksum: {name}", a long name cut so that the text stays short.
int fail_unknown(FrameError* error, const char* name, int name_length)
{
    const int most = 24;
    char shown[most + 2];
    int count = name_length <= most ? name_length : most - 3;
    for (int i = 0; i < count; ++i)
        shown[i] = name[i];
    if (name_length > most)
        for (int i = 0; i < 3; ++i)
            shown[count++] = '.';
    shown[count++] = '}';
    return fail(error, "Unknown checksum: {", shown, count);
}

}  // namespace

int build_frame(const char* typed, int length, FrameMode mode, unsigned char* out, int out_size,
                FrameError* error)
{
    if (error)
        error->text[0] = '\0';
    if (!typed || length < 0)
        length = 0;
    if (!out || out_size < 0)
        out_size = 0;
    int count = 0;
    int i = 0;
    while (i < length) {
        const char* at = typed + i;
        int rest = length - i;
        if (mode != frame_plain && *at == '{') {
            int name_length = token_name_length(at, rest);
            if (name_length > 0) {
                unsigned char sum[4];
                int width = checksum_by_name(at + 1, name_length, out, count, sum);
                if (width == 0)
                    return fail_unknown(error, at + 1, name_length);
                if (width > out_size - count)
                    return fail(error, "Too long");
                for (int b = 0; b < width; ++b)
                    out[count++] = sum[b];
                i += name_length + 2;
                continue;
            }
        }
        char byte = *at;
        int used = 1;
        if (mode == frame_hex) {
            if (is_space(*at)) {
                ++i;
                continue;
            }
            int high = hex_digit_value(at[0]);
            int low = rest > 1 ? hex_digit_value(at[1]) : -1;
            if (high < 0 || low < 0)
                return fail(error, "Not hex: ", at, rest > 1 && !is_space(at[1]) ? 2 : 1);
            byte = static_cast<char>(high * 16 + low);
            used = 2;
        } else if (mode == frame_escapes) {
            used = read_escape(at, rest, &byte);
        }
        if (count >= out_size)
            return fail(error, "Too long");
        out[count++] = static_cast<unsigned char>(byte);
        i += used;
    }
    return count;
}
