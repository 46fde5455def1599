// Bytes cut into reads at random places, shown in the Lines view with
// colours: the visible text is the text a plain stripper leaves of the whole
// input in one go, shown with colours off; the lines do not depend on where
// the reads were cut; no ESC is left in the visible text; and the colour runs
// cover the visible text exactly.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "tests/text/list_sink.h"
#include "text/ansi_text.h"
#include "text/receive_view.h"

namespace {

const char esc = 0x1b;

bool control(unsigned char c) { return c < 0x20 || c >= 0x7f; }

// Where the sequence beginning with the ESC at `at` stops: the bytes before
// the returned position are taken out, reading goes on there.
size_t sequence_end(const std::string& in, size_t at)
{
    size_t n = in.size();
    if (at + 1 >= n)
        return n;
    unsigned char kind = static_cast<unsigned char>(in[at + 1]);
    if (kind == esc || control(kind))
        return at + 1;
    bool csi = kind == '[';
    bool string = kind == ']' || kind == 'P' || kind == 'X' || kind == '^' || kind == '_';
    if (!csi && !string && kind >= 0x30)
        return at + 2;
    size_t most = string ? 1024 : 64;
    for (size_t j = at + 2; j < n; ++j) {
        unsigned char c = static_cast<unsigned char>(in[j]);
        if (j - at >= most || c == esc)
            return j;
        if (string) {
            if (c == 0x07)
                return j + 1;
            if (c < 0x20)
                return j;
        } else if (control(c)) {
            return j;
        } else if (csi ? c >= 0x40 : c >= 0x30) {
            return j + 1;
        }
    }
    return n;
}

std::string stripped_input(const std::string& in)
{
    std::string out;
    for (size_t i = 0; i < in.size();) {
        if (in[i] == esc)
            i = sequence_end(in, i);
        else
            out += in[i++];
    }
    return out;
}

std::vector<std::string> show(const std::string& in, bool colours, unsigned cut_seed)
{
    ReceiveView view;
    view.set_mode(ReceiveMode::lines);
    view.set_colours(colours);
    ListSink sink;
    for (size_t at = 0; at < in.size();) {
        cut_seed = cut_seed * 1103515245u + 12345u;
        size_t piece = cut_seed % 40 + (cut_seed & 1);
        if (piece > in.size() - at)
            piece = in.size() - at;
        view.show(reinterpret_cast<const unsigned char*>(in.data() + at), static_cast<int>(piece), sink);
        at += piece;
    }
    return sink.lines;
}

std::string visible(const std::string& line)
{
    std::string out(line.size(), '\0');
    out.resize(static_cast<size_t>(strip_colour_codes(line.data(), static_cast<int>(line.size()), &out[0])));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    unsigned seed = data[0];
    std::string in(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string any = visible(in);
    if (any.find(esc) != std::string::npos || any.size() > in.size())
        abort();

    std::vector<std::string> lines = show(in, true, seed);
    if (show(in, true, 0xffffffffu) != lines)
        abort();
    std::string shown;
    for (const std::string& line : lines) {
        if (line.size() >= static_cast<size_t>(receive_line_text_size))
            abort();
        std::string text = visible(line);
        if (text.find(esc) != std::string::npos)
            abort();
        int covered = 0;
        ColourRuns runs(line.data(), static_cast<int>(line.size()));
        for (ColourRun run; runs.next(run);) {
            if (run.start != covered || run.length <= 0)
                abort();
            covered += run.length;
        }
        if (covered != static_cast<int>(text.size()))
            abort();
        shown += text;
    }
    std::string expected;
    for (const std::string& line : show(stripped_input(in), false, 0xffffffffu))
        expected += line;
    if (shown != expected)
        abort();
    return 0;
}
