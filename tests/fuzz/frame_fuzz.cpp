// Any typed text in any mode, into a buffer of any size from 0 to 40 bytes,
// gives either an error or at most that many bytes, and never touches a byte
// past the buffer. Without a brace, each mode's bytes are also checked
// against a plain reading: plain text as typed, escapes as expand_escapes
// gives them, hex as whitespace-separated words of whole hex pairs.
// The first input byte chooses the mode (its value % 3) and the buffer's
// size (its value / 3 % 41); the rest is the typed text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "text/escapes.h"
#include "text/frame.h"

namespace {

// Hex mode's bytes read the simple way; -1 when some word is not all pairs
// of hex digits.
int reference_hex(const char* text, int length, unsigned char* out)
{
    int count = 0;
    int i = 0;
    while (i < length) {
        if (strchr(" \t\r\n", text[i]) && text[i]) {
            ++i;
            continue;
        }
        int end = i;
        while (end < length && !(text[end] && strchr(" \t\r\n", text[end])))
            ++end;
        if ((end - i) % 2)
            return -1;
        for (; i < end; i += 2) {
            int high = hex_digit_value(text[i]);
            int low = hex_digit_value(text[i + 1]);
            if (high < 0 || low < 0)
                return -1;
            out[count++] = static_cast<unsigned char>(high * 16 + low);
        }
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > 4096)
        return 0;
    FrameMode mode = static_cast<FrameMode>(data[0] % 3);
    int out_size = data[0] / 3 % 41;
    int length = static_cast<int>(size - 1);
    // Exactly `length` characters, so that a read past them is caught.
    char* typed = static_cast<char*>(malloc(size));
    memcpy(typed, data + 1, size - 1);
    unsigned char* out = static_cast<unsigned char*>(malloc(out_size ? out_size : 1));
    FrameError error;
    memset(&error, 0xff, sizeof error);
    int count = build_frame(typed, length, mode, out, out_size, &error);
    if (count < -1 || count > out_size)
        abort();
    if (!memchr(error.text, '\0', sizeof error.text) || (count >= 0) != (error.text[0] == '\0'))
        abort();

    if (!memchr(typed, '{', static_cast<size_t>(length))) {
        unsigned char* expected = static_cast<unsigned char*>(malloc(size));
        int expected_count = length;
        if (mode == frame_plain) {
            memcpy(expected, typed, static_cast<size_t>(length));
        } else if (mode == frame_escapes) {
            // expand_escapes stops at a NUL byte; compare only texts without one.
            char* text = static_cast<char*>(malloc(size));
            memcpy(text, typed, static_cast<size_t>(length));
            text[length] = '\0';
            expected_count = strlen(text) == static_cast<size_t>(length)
                                 ? expand_escapes(text, reinterpret_cast<char*>(expected), length)
                                 : -2;
            free(text);
        } else {
            expected_count = reference_hex(typed, length, expected);
        }
        if (expected_count != -2) {
            bool fits = expected_count >= 0 && expected_count <= out_size;
            if (fits ? count != expected_count || memcmp(out, expected, count) != 0 : count != -1)
                abort();
            if (expected_count > out_size && strcmp(error.text, "Too long") != 0)
                abort();
        }
        free(expected);
    }
    free(out);
    free(typed);
    return 0;
}
