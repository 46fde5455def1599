#include "text/receive_view.h"

#include <gtest/gtest.h>
#include "tests/support/text_helpers.h"
#include "tests/text/list_sink.h"

#include <string>
#include <vector>

// Steps: 'r' a read, 's' bytes sent, 'm' a marker line, '#' a new tick (whose
// time stamp is 00:00:0N.000 for the Nth tick), '!' the offset reset. Lines
// come out as "[R:", "[S:" or "[M:", their text and "]"; without kinds, as
// "[", the text and "]".
namespace {

struct Step {
    char what;
    std::string text;
};

std::string run_steps(ReceiveMode mode, int options, const std::vector<Step>& steps,
                      bool kinds = true)
{
    ReceiveView view;
    view.set_mode(mode);
    view.set_time_stamps(options & 1);
    view.set_colours(options & 2);
    view.set_hex_offsets(options & 4);
    ListSink sink;
    int tick = 1;
    view.begin_tick(0, 0, tick, 0);
    for (const Step& step : steps) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(step.text.data());
        int count = static_cast<int>(step.text.size());
        if (step.what == 'r')
            view.show(bytes, count, sink);
        else if (step.what == 's')
            view.show_sent(bytes, count, sink);
        else if (step.what == 'm')
            view.show_marker(step.text.c_str(), sink);
        else if (step.what == '!')
            view.reset_offset();
        else
            view.begin_tick(0, 0, ++tick, 0);
    }
    std::string all;
    for (size_t k = 0; k < sink.lines.size(); ++k)
        all += (kinds ? std::string("[") + "RSM"[static_cast<int>(sink.kinds[k])] + ":" : "[") +
               sink.lines[k] + "]";
    return sink.replaced_own ? "a sent or marker line was replaced" : all;
}

// Each read is one string; "|" between reads of the same tick, "#" starts a
// new tick.
std::string run(ReceiveMode mode, bool stamps, const std::string& script)
{
    std::vector<Step> steps(1, Step{'r', ""});
    for (char c : script) {
        if (c == '#')
            steps.push_back(Step{'#', ""});
        if (c == '#' || c == '|')
            steps.push_back(Step{'r', ""});
        else
            steps.back().text += c;
    }
    return run_steps(mode, stamps ? 1 : 0, steps, false);
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
        {ReceiveMode::lines, false, std::string("\x1b[0m\t\0\x7f\xe9", 8), "[<1B>[0m\t<00><7F><E9>]"},
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
        EXPECT_EQ(c.expected, run(c.mode, c.stamps, c.reads))
            << "case " << i << ": mode " << static_cast<int>(c.mode) << ", reads " << c.reads;
    }
}

// The Lines view keeps UTF-8 sequences, whole or split across reads and
// ticks, and shows every other byte of 0x80 and above as <HH>.
TEST(ReceiveView, LinesViewShowsUtf8AndEscapesOtherBytes)
{
    const std::string near_full(253, 'a');
    struct Case {
        const char* what;
        std::string reads;
        std::string expected;
    } cases[] = {
        {"two, three and four bytes", "\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "[\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80]"},
        {"split across reads", "\xe2|\x82|\xac", "[\xe2\x82\xac]"},
        {"split across ticks", "\xf0\x9f#\x98\x80\n", "[\xf0\x9f\x98\x80]"},
        {"the first and last code points", "\xc2\x80\xf4\x8f\xbf\xbf", "[\xc2\x80\xf4\x8f\xbf\xbf]"},
        {"stray continuation", "a\x80" "b", "[a<80>b]"},
        {"Latin-1 byte", "caf\xe9!", "[caf<E9>!]"},
        {"never a lead", "\xc0\xc1\xf5\xff", "[<C0><C1><F5><FF>]"},
        {"overlong", "\xc0\xaf\xe0\x80\xaf", "[<C0><AF><E0><80><AF>]"},
        {"surrogate", "\xed\xa0\x80", "[<ED><A0><80>]"},
        {"past U+10FFFF", "\xf4\x90\x80\x80", "[<F4><90><80><80>]"},
        {"cut by a new lead", "\xe2\x82\xc3\xa9", "[<E2><82>\xc3\xa9]"},
        {"cut by ASCII", "\xe2\x82x", "[<E2><82>x]"},
        {"cut by the line end", "\xe2\x82\r\nb", "[<E2><82>][b]"},
        {"cut by the line end, later read", "\xe2|\n", "[<E2>]"},
        {"incomplete at the end", "ok\xe2\x82", "[ok<E2><82>]"},
        {"a sequence never split over lines", near_full + "\xe2\x82\xac", "[" + near_full + "][\xe2\x82\xac]"},
        {"a full line of two-byte ones", near_full + "\xc3\xa9", "[" + near_full + "\xc3\xa9]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].expected, run(ReceiveMode::lines, false, cases[i].reads))
            << "case " << i << ": " << cases[i].what;
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

TEST(ReceiveView, HexViewShowsEachLinesOffset)
{
    struct Case {
        int options;  // 1 time stamps, 4 offsets
        std::vector<Step> steps;
        std::string expected;
    } cases[] = {
        {4, {{'r', "0123456789abcdef"}, {'r', "g"}, {'#', ""}, {'r', "h"}},
         "[R:00000000  30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66][R:00000010  67][R:00000011  68]"},
        {5, {{'r', "a"}, {'#', ""}, {'r', "b"}}, "[R:00:00:01.000 00000000  61][R:00:00:02.000 00000001  62]"},
        {4, {{'r', "ab"}, {'#', ""}, {'!', ""}, {'r', "c"}}, "[R:00000000  61 62][R:00000000  63]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].expected, run_steps(ReceiveMode::hex, cases[i].options, cases[i].steps)) << "case " << i;
}

TEST(ReceiveView, SentAndMarkerLinesNeverSplitAReceivedLine)
{
    const std::string a255(255, 'a');
    struct Case {
        ReceiveMode mode;
        int options;  // 1 time stamps, 2 colours
        std::vector<Step> steps;
        std::string expected;
    } cases[] = {
        {ReceiveMode::lines, 0, {{'s', "AT\r"}, {'r', "AT\r\nOK\r\n"}}, "[S:AT][R:AT][R:OK]"},
        {ReceiveMode::lines, 0, {{'r', "a\r"}, {'s', "X\n"}, {'r', "\nb"}, {'s', "\r\n"}}, "[R:a][S:X][R:b][S:]"},
        {ReceiveMode::lines, 0, {{'s', "a\tb\x01\xc3\xa9\xff\r\r"}}, "[S:a\tb<01>\xc3\xa9<FF><0D>]"},
        {ReceiveMode::lines, 0, {{'s', a255 + "\xe2\x82\xac"}}, "[S:" + a255 + "][S:\xe2\x82\xac]"},
        {ReceiveMode::lines, 0, {{'r', "\xe2\x82"}, {'s', "X"}, {'r', "\xac"}}, "[R:<E2><82>][S:X][R:<AC>]"},
        {ReceiveMode::lines, 1, {{'r', "ok"}, {'#', ""}, {'s', "AT"}, {'m', "-- lost --"}},
         "[R:00:00:01.000 ok][S:00:00:02.000 AT][M:-- lost --]"},
        {ReceiveMode::lines, 2, {{'r', "\x1b[31mred\x1b[3"}, {'s', "\x1b[0m"}, {'m', "--"}, {'r', "2mx"}},
         "[R:\x1b[0;31mred][S:<1B>[0m][M:--][R:\x1b[0;32mx]"},
        {ReceiveMode::hex, 0, {{'r', "ab"}, {'m', "--"}, {'s', "X"}, {'r', "c"}}, "[R:61 62][M:--][R:63]"},
        {ReceiveMode::as_received, 0, {{'r', "ab"}, {'s', "X"}, {'m', "--"}}, "[R:ab][M:--]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(printable(cases[i].expected), printable(run_steps(cases[i].mode, cases[i].options, cases[i].steps)))
            << "case " << i;
}
