#include "text/ansi_text.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include "tests/support/text_helpers.h"
#include "tests/text/list_sink.h"
#include "text/receive_view.h"

namespace {

// The Lines view with colours on, given reads with "|" between them. Each
// line comes out as its runs, "{FG/BG}text" with the colours as drawn
// (0xBBGGRR, "-" for the default) and after BG "*" when bold, "_" when
// underlined, "~" when reversed.
std::string coloured(const std::string& script)
{
    ReceiveView view;
    view.set_mode(ReceiveMode::lines);
    view.set_colours(true);
    ListSink sink;
    std::string rest = script + "|";
    for (size_t bar; (bar = rest.find('|')) != std::string::npos; rest.erase(0, bar + 1))
        view.show(reinterpret_cast<const unsigned char*>(rest.data()), static_cast<int>(bar), sink);
    auto name = [](uint32_t c) {
        char hex[9];
        snprintf(hex, sizeof hex, "%06X", static_cast<unsigned>(c));
        return c == colour_default ? std::string("-") : std::string(hex);
    };
    std::string all;
    for (const std::string& line : sink.lines) {
        std::string visible(line.size(), '\0');
        strip_colour_codes(line.data(), static_cast<int>(line.size()), &visible[0]);
        all += "[";
        ColourRuns runs(line.data(), static_cast<int>(line.size()));
        for (ColourRun run; runs.next(run);)
            all += "{" + name(run.foreground) + "/" + name(run.background) + (run.bold ? "*" : "") +
                   (run.underline ? "_" : "") + (run.reverse ? "~}" : "}") +
                   visible.substr(static_cast<size_t>(run.start), static_cast<size_t>(run.length));
        all += "]";
    }
    return all;
}

}  // namespace

TEST(AnsiText, ColoursTheTextAfterEachSgrCode)
{
    struct Case {
        std::string reads, expected;
    } cases[] = {
        {"\x1b[31mred\x1b[0m plain", "[{0000CD/-}red{-/-} plain]"},
        {"\x1b[1mb\x1b[22mn", "[{-/-*}b{-/-}n]"},
        {"\x1b[31;1ma\x1b[1;44mb", "[{0000FF/-*}a{0000FF/EE0000*}b]"},
        {"\x1b[30ma\x1b[37mb\x1b[90mc\x1b[97md", "[{000000/-}a{E5E5E5/-}b{7F7F7F/-}c{FFFFFF/-}d]"},
        {"\x1b[40ma\x1b[47mb\x1b[100mc\x1b[107md", "[{-/000000}a{-/E5E5E5}b{-/7F7F7F}c{-/FFFFFF}d]"},
        {"\x1b[31;41ma\x1b[39mb\x1b[49mc", "[{0000CD/0000CD}a{-/0000CD}b{-/-}c]"},
        {"\x1b[38;5;17ma\x1b[48;5;208mb\x1b[38;5;232mc", "[{5F0000/-}a{5F0000/0087FF}b{080808/0087FF}c]"},
        {"\x1b[1;38;5;3ma\x1b[38;5;100mb", "[{00FFFF/-*}a{008787/-*}b]"},
        {"\x1b[38;2;1;2;3;48;2;255;128;0mx", "[{030201/0080FF}x]"},
        {"\x1b[31ma\x1b[mb\x1b[;32mc", "[{0000CD/-}a{-/-}b{00CD00/-}c]"},
        {"\x1b[4;31;5mx\x1b[38;5;256;38;2;256;0;0my", "[{0000CD/-_}xy]"},
        {"\x1b[4mu\x1b[24mn\x1b[7;32mr\x1b[27mn", "[{-/-_}u{-/-}n{00CD00/-~}r{00CD00/-}n]"},
        {"\x1b[1;4;7;38;2;1;2;3;48;2;4;5;6mx\x1b[0mn", "[{030201/060504*_~}x{-/-}n]"},
        {"\x1b[38;5mx\x1b[38;7;32my\x1b[32;48mz", "[{-/-}xy{00CD00/-}z]"},
        {"\x1b[32mone\r\ntwo\x1b[0m\r\nthree\x1b[33m\r\n", "[{00CD00/-}one][{00CD00/-}two][{-/-}three]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].expected, coloured(cases[i].reads)) << "case " << i << ": " << printable(cases[i].reads);
}

// Every other sequence goes; one that breaks off or runs too long never
// hides a line end or more than its cap. A sequence's bytes count towards
// the line's 255, but the line ends only before text that no longer fits.
TEST(AnsiText, RemovesOtherSequencesAndGivesUpOnBrokenOnes)
{
    const std::string a250(250, 'a'), a252(252, 'a'), a253(253, 'a');
    struct Case {
        std::string reads, expected;
    } cases[] = {
        {"a\x1b[2Jb\x1b[?25lc\x1b[1 qd\x1b[38:5:1me", "[{-/-}abcde]"},
        {"a\x1b]0;title\x07" "b\x1b]8;;http://x/\x1b\\c\x1bPq#0\x1b\\d", "[{-/-}abcd]"},
        {"a\x1b(Bb\x1b" "7c\x1b=d", "[{-/-}abcd]"},
        {"a\x1b\rb\x1b[3\nc\x1b]0;t\nd", "[{-/-}a][{-/-}b][{-/-}c][{-/-}d]"},
        {"a\x1b[\x80" "b\x1b[\x7f\x1b[\x1b[31mc\x1b[3", "[{-/-}a<80>b<7F>{0000CD/-}c]"},
        {"a\x1b[" + std::string(70, '0') + "mb", "[{-/-}a00000000mb]"},
        {"\x1b]" + std::string(1100, 't') + "\x07", "[{-/-}" + std::string(78, 't') + "<07>]"},
        {a250 + "\x1b[31mbc", "[{-/-}" + a250 + "][{0000CD/-}bc]"},
        {a253 + "\x1b[3|1mb", "[{-/-}" + a253 + "][{0000CD/-}b]"},
        {a252 + "\xe2\x1b[31m\x82\xac" "c", "[{-/-}" + a252 + "{0000CD/-}\xe2\x82\xac][{0000CD/-}c]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].expected, coloured(cases[i].reads)) << "case " << i;
}

TEST(AnsiText, StripsMarkersAndStrayEscapes)
{
    struct Case {
        std::string text, expected;
    } cases[] = {
        {"\x1b[0;31mab\x1b[0mc", "abc"}, {"a\x1b", "a"}, {"\x1b[1;2xq", "[1;2xq"}, {"\x1b\x1b[0mx\x1b]", "x]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::string out(cases[i].text.size(), '\xff');
        out.resize(static_cast<size_t>(strip_colour_codes(cases[i].text.data(), static_cast<int>(out.size()), &out[0])));
        EXPECT_EQ(cases[i].expected, out) << "case " << i << ": " << printable(cases[i].text);
    }
}
