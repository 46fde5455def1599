#include "text/escapes.h"

namespace {

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(c | 0x20);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

}  // namespace

int expand_escapes(const char* text, char* out, int out_size)
{
    if (!text || !out || out_size <= 0)
        return 0;
    int length = 0;
    while (*text && length < out_size) {
        char c = *text++;
        if (c == '\\' && *text) {
            char kind = static_cast<char>(*text | 0x20);
            if (kind == 'r' || kind == 'n' || kind == 't' || *text == '\\') {
                c = kind == 'r' ? '\r' : kind == 'n' ? '\n' : kind == 't' ? '\t' : '\\';
                ++text;
            } else if (kind == 'x' && hex_value(text[1]) >= 0 && hex_value(text[2]) >= 0) {
                c = static_cast<char>(hex_value(text[1]) * 16 + hex_value(text[2]));
                text += 3;
            }
        }
        out[length++] = c;
    }
    return length;
}
