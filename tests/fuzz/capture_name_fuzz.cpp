// Any pattern, time, port and buffer size: the name is written within a
// buffer of exactly that size, whole or not at all (refused only when the
// whole name would not fit). The folders to make are prefixes that end
// before a separator, in order; a numbered name is the name with "-N"
// inserted in its last part; the session's names remember what was recorded.
//
// Input: bytes 0-1 the buffer's size (0..299 units), byte 2 the number,
// bytes 3-8 the time and the port, then the pattern, a unit per byte (bytes
// from 0x80 on become units above ASCII).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include "text/capture_name.h"

namespace {

bool is_separator(char16_t c)
{
    return c == u'\\' || c == u'/';
}

// A name written into a buffer of exactly `out_size` units: either `whole`
// or, when that does not fit, refused and empty.
void check_fitted(const std::u16string& whole, const char16_t* out, int got, int out_size)
{
    if (whole.size() < static_cast<size_t>(out_size)) {
        if (got != static_cast<int>(whole.size()) ||
            memcmp(out, whole.c_str(), (whole.size() + 1) * sizeof(char16_t)) != 0)
            abort();
    } else if (got != 0 || (out_size > 0 && out[0] != 0)) {
        abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 9)
        return 0;
    int out_size = (data[0] | data[1] << 8) % 300;
    int number = data[2];
    CaptureTime time = {data[3] * 40, data[4] % 13, data[5] % 32, data[6] % 24, data[7] % 60,
                        data[7] % 61};
    int port = data[8] * 3;
    std::u16string pattern;
    for (size_t i = 9; i < size && data[i]; ++i)
        pattern += static_cast<char16_t>(data[i] < 0x80 ? data[i] : 0x100 + data[i]);

    // Room for anything: a two-unit token gives at most 13 units.
    std::u16string whole(pattern.size() * 7 + 16, u'\0');
    int length = expand_capture_name(pattern.c_str(), time, port, &whole[0],
                                     static_cast<int>(whole.size()));
    if (length < 0 || static_cast<size_t>(length) >= whole.size() || whole[length] != 0)
        abort();
    whole.resize(static_cast<size_t>(length));
    char16_t* out = static_cast<char16_t*>(malloc((out_size ? out_size : 1) * sizeof(char16_t)));
    check_fitted(whole, out, expand_capture_name(pattern.c_str(), time, port, out, out_size),
                 out_size);

    int folders = 0;
    for (int end = 0, last = 0; (end = next_capture_folder(whole.c_str(), end)) > 0; last = end) {
        if (end <= last || end >= length || !is_separator(whole[end]) ||
            is_separator(whole[end - 1]) || ++folders > length)
            abort();
    }

    std::u16string numbered(whole.size() + 16, u'\0');
    int numbered_length = numbered_capture_name(whole.c_str(), number, &numbered[0],
                                                static_cast<int>(numbered.size()));
    numbered.resize(static_cast<size_t>(numbered_length));
    if (number < 1 || length == 0) {
        if (numbered_length != 0)
            abort();
    } else {
        size_t at = 0;
        while (at < whole.size() && whole[at] == numbered[at])
            ++at;
        std::string mark = number > 1 ? "-" + std::to_string(number) : "";
        std::u16string inserted(mark.begin(), mark.end());
        size_t part = whole.size();
        while (part > 0 && !is_separator(whole[part - 1]))
            --part;
        if (numbered.compare(at, inserted.size(), inserted) != 0 ||
            numbered.compare(at + inserted.size(), std::u16string::npos, whole, at) != 0 ||
            (number > 1 && at < part))
            abort();
        check_fitted(numbered, out,
                     numbered_capture_name(whole.c_str(), number, out, out_size), out_size);
    }
    free(out);

    CaptureNames names;
    if (names.number_for(whole.c_str()) != 1)
        abort();
    names.record(whole.c_str(), number);
    int expected = number >= 1 && length < capture_path_room ? number + 1 : 1;
    if (names.number_for(whole.c_str()) != expected)
        abort();
    return 0;
}
