#include "text/capture_line.h"

int format_capture_line(const char* stamp, const char* text, int length, char* out, int out_size)
{
    int stamp_length = 0;
    while (stamp && stamp[stamp_length])
        ++stamp_length;
    if (!out || length < 0 || (length && !text) || out_size - 2 - stamp_length < length)
        return 0;
    int at = 0;
    for (int i = 0; i < stamp_length; ++i)
        out[at++] = stamp[i];
    for (int i = 0; i < length; ++i)
        out[at++] = text[i];
    out[at++] = '\r';
    out[at++] = '\n';
    return at;
}
