#include "text/escapes.h"

int hex_digit_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(c | 0x20);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int read_escape(const char* text, int length, char* byte)
{
    char c = text[0];
    *byte = c;
    if (c != '\\' || length < 2)
        return 1;
    char kind = static_cast<char>(text[1] | 0x20);
    if (kind == 'r' || kind == 'n' || kind == 't' || text[1] == '\\') {
        *byte = kind == 'r' ? '\r' : kind == 'n' ? '\n' : kind == 't' ? '\t' : '\\';
        return 2;
    }
    if (kind == 'x' && length >= 4 && hex_digit_value(text[2]) >= 0 &&
        hex_digit_value(text[3]) >= 0) {
        *byte = static_cast<char>(hex_digit_value(text[2]) * 16 + hex_digit_value(text[3]));
        return 4;
    }
    return 1;
}

int expand_escapes(const char* text, char* out, int out_size)
{
    if (!text || !out || out_size <= 0)
        return 0;
    int rest = 0;
    while (text[rest])
        ++rest;
    int length = 0;
    while (rest > 0 && length < out_size) {
        int used = read_escape(text, rest, &out[length++]);
        text += used;
        rest -= used;
    }
    return length;
}
