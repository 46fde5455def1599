// Any chunks, any limit, days that move on at any chunk, written the way the
// window writes them into a model of files. Every byte lands in one file, in
// order, and (by day) only in a file of its own day. As received, no file
// exceeds the limit and one ends short of it only at midnight. As shown, a
// file ends only between lines, exceeds the limit only as one line alone, and
// ends before midnight only when the next line would not have fitted.
//
// Input: byte 0 the limit (0..31, 0 none), byte 1 the mode (bit 0 as shown,
// bit 1 by day), then chunks: a byte with the chunk's size (low six bits)
// and whether the day moves on before it (top bit), then its bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "text/capture_rotation.h"

namespace {

struct File {
    size_t begin;  // where its bytes begin in the input
    std::string bytes;
    int32_t day;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    CaptureRotation rotation;
    const uint64_t limit = rotation.size_limit = data[0] % 32;
    const bool lines = rotation.whole_lines = (data[1] & 1) != 0;
    const bool daily = rotation.daily = (data[1] & 2) != 0;
    std::string input;
    std::vector<bool> line_end(1, false);  // line_end[n]: a line ends after n bytes
    CaptureTime now = {2026, 12, 1, 12, 0, 0};
    std::vector<File> files(1, File{0, "", now.day});
    rotation.start(now);
    for (size_t at = 2; at < size;) {
        uint8_t head = data[at++];
        now.day += head >> 7;
        int left = static_cast<int>(size - at < (head & 0x3fu) ? size - at : head & 0x3fu);
        const char* bytes = reinterpret_cast<const char*>(data + at);
        at += static_cast<size_t>(left);
        for (int i = 0; i < left; ++i) {
            input += bytes[i];
            line_end.push_back(bytes[i] == '\n' || i + 1 == left);
        }
        for (bool just_started = false; left > 0;) {
            int take = rotation.room(bytes, left, now);
            if (take < 0 || take > left || (take == 0 && just_started))
                abort();
            just_started = take == 0;
            if (take == 0) {
                files.push_back({input.size() - static_cast<size_t>(left), "", now.day});
                rotation.start(now);
                continue;
            }
            if (daily && now.day != files.back().day)
                abort();
            files.back().bytes.append(bytes, static_cast<size_t>(take));
            rotation.wrote(take);
            bytes += take;
            left -= take;
        }
    }

    std::string all;
    for (size_t i = 0; i < files.size(); ++i) {
        const File& file = files[i];
        all += file.bytes;
        size_t end = file.begin + file.bytes.size();
        bool one_line = true;
        for (size_t n = file.begin + 1; n < end; ++n)
            one_line = one_line && !line_end[n];
        if ((limit && file.bytes.size() > limit && !(lines && one_line)) ||
            (lines && !file.bytes.empty() && !line_end[end]))
            abort();
        if (i + 1 == files.size() || (daily && files[i + 1].day != file.day))
            continue;
        // It ended for its size: full, or too full for the next line.
        size_t next_line = end + 1;
        while (lines && !line_end[next_line])
            ++next_line;
        if (!limit || (!lines && file.bytes.size() != limit) ||
            (lines && file.bytes.size() + (next_line - end) <= limit))
            abort();
    }
    if (all != input)
        abort();
    return 0;
}
