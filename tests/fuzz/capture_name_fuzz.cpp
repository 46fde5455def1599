// Any pattern, time, port and buffer size: the name is written within a
// buffer of exactly that size, whole or not at all, and refused only when the
// whole name would not fit.
//
// Input: bytes 0-1 the buffer's size (0..299 units), bytes 2-7 the time and
// the port, then the pattern, a unit per byte (from 0x80 on, units above ASCII).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include "text/capture_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    int out_size = (data[0] | data[1] << 8) % 300;
    CaptureTime time = {data[2] * 40, data[3] % 13, data[4] % 32, data[5] % 24, data[6] % 60,
                        data[6] % 61};
    int port = data[7] * 3;
    std::u16string pattern;
    for (size_t i = 8; i < size && data[i]; ++i)
        pattern += static_cast<char16_t>(data[i] < 0x80 ? data[i] : 0x100 + data[i]);

    // Room for any name: two units of a pattern give at most eight.
    std::u16string whole(pattern.size() * 4 + 16, u'\0');
    int length = expand_capture_name(pattern.c_str(), time, port, &whole[0],
                                     static_cast<int>(whole.size()));
    if (length < 0 || static_cast<size_t>(length) >= whole.size() || whole[length] != 0)
        abort();
    char16_t* out = static_cast<char16_t*>(malloc((out_size ? out_size : 1) * sizeof(char16_t)));
    int got = expand_capture_name(pattern.c_str(), time, port, out, out_size);
    if (length < out_size) {
        if (got != length || memcmp(out, whole.c_str(), (length + 1) * sizeof(char16_t)) != 0)
            abort();
    } else if (got != 0 || (out_size > 0 && out[0] != 0)) {
        abort();
    }
    free(out);
    // Any name is checked without reading past its end.
    CaptureNameCheck check = check_capture_name(pattern.c_str());
    if (check.at < 0 || static_cast<size_t>(check.at) > pattern.size())
        abort();
    return 0;
}
