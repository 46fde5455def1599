// The same bytes cut into reads at different places show the same lines in
// the Lines and Hex views, and the Hex view decodes back to the bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "text/receive_view.h"
#include "tests/text/list_sink.h"

namespace {

// The first byte picks the view and seeds where the reads are cut.
std::vector<std::string> show(ReceiveMode mode, const uint8_t* data, size_t size,
                              unsigned cut_seed)
{
    ReceiveView view;
    view.set_mode(mode);
    ListSink sink;
    size_t at = 0;
    while (at < size) {
        cut_seed = cut_seed * 1103515245u + 12345u;
        size_t piece = cut_seed % 300 + (cut_seed & 1);
        if (piece > size - at)
            piece = size - at;
        view.show(data + at, static_cast<int>(piece), sink);
        at += piece;
    }
    if (sink.replaced_on_empty)
        abort();
    return sink.lines;
}

int hex_value(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

// Whether `text` is well-formed UTF-8, decoded code point by code point: the
// list is given it as UTF-16, and a malformed line would lose bytes there.
bool well_formed_utf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc0 ? 2 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        unsigned long point = length == 1 ? lead : lead & (0x7f >> length);
        for (size_t k = 1; k < length; ++k) {
            unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80)
                return false;
            point = point << 6 | (next & 0x3f);
        }
        const unsigned long shortest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < shortest[length] || point > 0x10ffff || (point >= 0xd800 && point <= 0xdfff))
            return false;
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    unsigned seed = data[0];
    ++data;
    --size;
    std::vector<std::string> whole = show(ReceiveMode::lines, data, size, 0xffffffffu);
    if (show(ReceiveMode::lines, data, size, seed) != whole)
        abort();
    for (const std::string& line : whole)
        if (line.size() > static_cast<size_t>(receive_line_text_size) || !well_formed_utf8(line))
            abort();
    std::vector<std::string> hex = show(ReceiveMode::hex, data, size, seed);
    std::string decoded;
    for (const std::string& line : hex) {
        if (line.size() > 47)
            abort();
        for (size_t i = 0; i + 1 < line.size(); i += 3)
            decoded += static_cast<char>(hex_value(line[i]) * 16 + hex_value(line[i + 1]));
    }
    if (decoded != std::string(reinterpret_cast<const char*>(data), size))
        abort();
    if (show(ReceiveMode::hex, data, size, 0xffffffffu) != hex)
        abort();
    show(ReceiveMode::as_received, data, size, seed);
    return 0;
}
