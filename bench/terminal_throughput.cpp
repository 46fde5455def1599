// How many bytes a second the terminal emulator takes, side by side with
// libvterm's screen layer fed the same streams: plain log lines that
// scroll, lines coloured with SGR, and a full-screen program's cursor moves
// and erases. Built natively and optimised by bench/terminal_throughput.sh.
#include <vterm.h>
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <string>
#include "terminal/terminal_emulator.h"

namespace {

std::string plain_lines()
{
    std::string out;
    for (int i = 0; out.size() < 16u << 20; ++i)
        out += "[" + std::to_string(100000 + i) + "] sensor 3: temperature 21.5 C, pressure 1013 hPa, ok\r\n";
    return out;
}

std::string coloured_lines()
{
    std::string out;
    for (int i = 0; out.size() < 16u << 20; ++i) {
        out += "\x1b[32m" + std::to_string(100000 + i) + "\x1b[0m \x1b[1;33mWARN\x1b[0m ";
        out += "\x1b[36mnet\x1b[0m: link \x1b[38;5;208mflapping\x1b[0m on port " + std::to_string(i % 48) + "\r\n";
    }
    return out;
}

// What top or an editor sends: the cursor placed, a field written, the rest
// of the line erased, now and then the screen cleared or a region scrolled.
std::string full_screen()
{
    std::string out;
    for (int i = 0; out.size() < 16u << 20; ++i) {
        int row = 1 + i % 24;
        out += "\x1b[" + std::to_string(row) + ";1H";
        out += "\x1b[7m " + std::to_string(i % 9999) + " \x1b[m process " + std::to_string(i) + "  S  0.3  1.2";
        out += "\x1b[K";
        if (i % 97 == 0)
            out += "\x1b[H\x1b[2J";
        if (i % 31 == 0)
            out += "\x1b[5;20r\x1b[20H\n\n\x1b[r";
        if (i % 13 == 0)
            out += "\x1b[3;10H\x1b[4P\x1b[2@\x1b[1L\x1b[1M";
    }
    return out;
}

double seconds_since(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Bytes go in as a port's reads would: 4 KB at a time.
double ours(const std::string& stream)
{
    TerminalEmulator terminal;
    terminal.resize(80, 24);
    auto start = std::chrono::steady_clock::now();
    for (size_t at = 0; at < stream.size(); at += 4096) {
        size_t count = stream.size() - at < 4096 ? stream.size() - at : 4096;
        terminal.feed(reinterpret_cast<const uint8_t*>(stream.data() + at), count);
        terminal.clear_replies();
        terminal.screen().clear_damage();
    }
    return stream.size() / seconds_since(start) / 1e6;
}

double theirs(const std::string& stream)
{
    VTerm* vt = vterm_new(24, 80);
    vterm_set_utf8(vt, 1);
    VTermScreen* screen = vterm_obtain_screen(vt);
    vterm_screen_enable_altscreen(screen, 1);
    vterm_screen_reset(screen, 1);
    auto start = std::chrono::steady_clock::now();
    for (size_t at = 0; at < stream.size(); at += 4096) {
        size_t count = stream.size() - at < 4096 ? stream.size() - at : 4096;
        vterm_input_write(vt, stream.data() + at, count);
        vterm_screen_flush_damage(screen);
    }
    double rate = stream.size() / seconds_since(start) / 1e6;
    vterm_free(vt);
    return rate;
}

}  // namespace

int main()
{
    struct Stream {
        const char* name;
        std::string bytes;
    } streams[] = {
        {"plain log lines", plain_lines()},
        {"SGR-coloured lines", coloured_lines()},
        {"full-screen program", full_screen()},
    };
    printf("%-22s %12s %12s %8s\n", "stream (80 x 24)", "ours MB/s", "libvterm", "ratio");
    for (const Stream& stream : streams) {
        // The best of three runs of each, to leave out a busy moment.
        double best_ours = 0;
        double best_theirs = 0;
        for (int run = 0; run < 3; ++run) {
            double a = ours(stream.bytes);
            double b = theirs(stream.bytes);
            best_ours = a > best_ours ? a : best_ours;
            best_theirs = b > best_theirs ? b : best_theirs;
        }
        printf("%-22s %12.1f %12.1f %7.2fx\n", stream.name, best_ours, best_theirs, best_ours / best_theirs);
    }
    return 0;
}
