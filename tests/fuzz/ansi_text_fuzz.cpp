// Bytes cut into reads at random places, shown in the Lines view with
// colours: the lines do not depend on where the reads were cut; their
// visible text, without ESC, is what a plain stripper leaves of the whole
// input shown with colours off; the colour runs cover it exactly.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "tests/text/list_sink.h"
#include "text/ansi_text.h"
#include "text/receive_view.h"

namespace {

// Where the sequence whose ESC is at `at` stops: the bytes before go,
// reading goes on there.
size_t sequence_end(const std::string& in, size_t at)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(in[i]); };
    if (at + 1 >= in.size())
        return in.size();
    unsigned char kind = byte(at + 1);
    bool csi = kind == '[', string = kind == ']' || kind == 'P' || kind == 'X' || kind == '^' || kind == '_';
    if (kind < 0x20 || kind >= 0x7f)
        return at + 1;
    if (!csi && !string && kind >= 0x30)
        return at + 2;
    for (size_t j = at + 2; j < in.size(); ++j) {
        if (j - at >= (string ? 1024u : 64u) || byte(j) == 0x1b)
            return j;
        if (string && byte(j) < 0x20)
            return byte(j) == 0x07 ? j + 1 : j;
        if (!string && (byte(j) < 0x20 || byte(j) >= 0x7f))
            return j;
        if (!string && byte(j) >= (csi ? 0x40 : 0x30))
            return j + 1;
    }
    return in.size();
}

std::vector<std::string> show(const std::string& in, bool colours, unsigned cut_seed)
{
    ReceiveView view;
    view.set_mode(ReceiveMode::lines);
    view.set_colours(colours);
    ListSink sink;
    for (size_t at = 0, piece; at < in.size(); at += piece) {
        cut_seed = cut_seed * 1103515245u + 12345u;
        piece = cut_seed % 40 + (cut_seed & 1) < in.size() - at ? cut_seed % 40 + (cut_seed & 1) : in.size() - at;
        view.show(reinterpret_cast<const unsigned char*>(in.data() + at), static_cast<int>(piece), sink);
    }
    return sink.lines;
}

std::string visible(std::string line)
{
    line.resize(static_cast<size_t>(strip_colour_codes(line.data(), static_cast<int>(line.size()), &line[0])));
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    std::string in(reinterpret_cast<const char*>(data + 1), size - 1), plain, shown, expected;
    if (visible(in).find('\x1b') != std::string::npos)
        abort();
    std::vector<std::string> lines = show(in, true, data[0]);
    if (show(in, true, 0xffffffffu) != lines)
        abort();
    for (const std::string& line : lines) {
        int covered = 0;
        ColourRuns runs(line.data(), static_cast<int>(line.size()));
        for (ColourRun run; runs.next(run); covered += run.length)
            if (run.start != covered || run.length <= 0)
                abort();
        std::string text = visible(line);
        if (line.size() >= static_cast<size_t>(receive_line_text_size) || covered != static_cast<int>(text.size()) ||
            text.find('\x1b') != std::string::npos)
            abort();
        shown += text;
    }
    for (size_t i = 0; i < in.size();)
        i = in[i] == '\x1b' ? sequence_end(in, i) : (plain += in[i], i + 1);
    for (const std::string& line : show(plain, false, 0xffffffffu))
        expected += line;
    if (shown != expected)
        abort();
    return 0;
}
