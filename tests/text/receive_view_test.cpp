#include "text/receive_view.h"

#include <gtest/gtest.h>
#include "tests/support/text_helpers.h"
#include "tests/text/list_sink.h"

#include <string>
#include <vector>

namespace {

// Each read is one string; "|" between reads of the same tick, "#" starts a
// new tick (whose time stamp is 00:00:0N.000 for the Nth tick).
std::vector<std::string> run(ReceiveMode mode, bool stamps, const std::string& script)
{
    ReceiveView view;
    view.set_mode(mode);
    view.set_time_stamps(stamps);
    ListSink sink;
    int tick = 1;
    view.begin_tick(0, 0, tick, 0);
    std::string read;
    for (size_t i = 0; i <= script.size(); ++i) {
        if (i == script.size() || script[i] == '|' || script[i] == '#') {
            view.show(reinterpret_cast<const unsigned char*>(read.data()),
                      static_cast<int>(read.size()), sink);
            read.clear();
            if (i < script.size() && script[i] == '#')
                view.begin_tick(0, 0, ++tick, 0);
        } else {
            read += script[i];
        }
    }
    return sink.lines;
}

}  // namespace

TEST(ReceiveView, ShowsEachViewAcrossReadsAndTicks)
{
    const std::string full(255, 'a');
    struct Case {
        ReceiveMode mode;
        bool stamps;
        std::string reads;
        std::string expected;
    } cases[] = {
        {ReceiveMode::as_received, false, "AT\r\nOK\r\n", "[AT\r\nOK\r\n]"},
        {ReceiveMode::as_received, false, std::string("a\0b", 3) + "|c", "[a<00>b][c]"},
        {ReceiveMode::as_received, true, "x#y", "[00:00:01.000 x][00:00:02.000 y]"},
        {ReceiveMode::lines, false, "AT\r\nOK\r\n", "[AT][OK]"},
        {ReceiveMode::lines, false, "AT\r#\nOK\r|\n", "[AT][OK]"},
        {ReceiveMode::lines, false, "a\n\nb\r\rc\n\r", "[a][][b][][c][]"},
        {ReceiveMode::lines, false, "> ", "[> ]"},
        {ReceiveMode::lines, false, "ab|c#d\n", "[abcd]"},
        {ReceiveMode::lines, false, std::string("\x1b[0m\t\0\x7f\xe9", 8), "[<1B>[0m\t<00><7F>\xe9]"},
        {ReceiveMode::lines, false, full + "b\n", "[" + full + "][b]"},
        {ReceiveMode::lines, false, full + "|\r\nb", "[" + full + "][b]"},
        {ReceiveMode::lines, true, "a#b\nc", "[00:00:01.000 ab][00:00:02.000 c]"},
        {ReceiveMode::hex, false, std::string("\0A\xff", 3), "[00 41 FF]"},
        {ReceiveMode::hex, false, "0123456789abcdef|g#h",
         "[30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66][67][68]"},
        {ReceiveMode::hex, true, "a|b#c", "[00:00:01.000 61 62][00:00:02.000 63]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(c.expected, joined(run(c.mode, c.stamps, c.reads), "[", "]"))
            << "case " << i << ": mode " << static_cast<int>(c.mode) << ", reads " << c.reads;
    }
}

TEST(ReceiveView, SwitchingViewsEndsTheLineInProgress)
{
    ReceiveView view;
    ListSink sink;
    view.set_mode(ReceiveMode::lines);
    view.show(reinterpret_cast<const unsigned char*>("ab"), 2, sink);
    view.set_mode(ReceiveMode::hex);
    view.show(reinterpret_cast<const unsigned char*>("c"), 1, sink);
    view.set_mode(ReceiveMode::lines);
    view.show(reinterpret_cast<const unsigned char*>("d"), 1, sink);
    EXPECT_EQ("[ab][63][d]", joined(sink.lines, "[", "]"));
}
