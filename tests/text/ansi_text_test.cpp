#include "text/ansi_text.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>
#include "tests/support/text_helpers.h"
#include "tests/text/list_sink.h"
#include "text/receive_view.h"

namespace {

// The Lines view with colours on; "|" between reads.
std::vector<std::string> show_coloured(const std::string& script)
{
    ReceiveView view;
    view.set_mode(ReceiveMode::lines);
    view.set_colours(true);
    ListSink sink;
    std::string read;
    for (size_t i = 0; i <= script.size(); ++i) {
        if (i == script.size() || script[i] == '|') {
            view.show(reinterpret_cast<const unsigned char*>(read.data()),
                      static_cast<int>(read.size()), sink);
            read.clear();
        } else {
            read += script[i];
        }
    }
    return sink.lines;
}

std::string colour_name(uint32_t colour)
{
    if (colour == colour_default)
        return "-";
    char name[16];
    snprintf(name, sizeof name, "%06X", static_cast<unsigned>(colour));
    return name;
}

// A stored line as its runs: "{FG/BG}text" with the colours as the list
// draws them (0xBBGGRR, "-" for the default) and "*" after BG when bold.
std::string runs_of(const std::string& line)
{
    std::vector<char> visible(line.size() + 1);
    int length = strip_colour_codes(line.data(), static_cast<int>(line.size()), visible.data());
    std::string shown;
    ColourRuns runs(line.data(), static_cast<int>(line.size()));
    for (ColourRun run; runs.next(run);) {
        if (run.start < 0 || run.start + run.length > length)
            return "run out of the visible text";
        shown += "{" + colour_name(run.foreground) + "/" + colour_name(run.background) +
                 (run.bold ? "*" : "") + "}" + std::string(visible.data() + run.start, run.length);
    }
    return shown;
}

std::string coloured(const std::string& script)
{
    std::vector<std::string> lines = show_coloured(script);
    for (std::string& line : lines)
        line = runs_of(line);
    return joined(lines, "[", "]");
}

}  // namespace

TEST(AnsiText, ColoursTheTextAfterEachSgrCode)
{
    struct Case {
        std::string reads;
        std::string expected;
    } cases[] = {
        {"\x1b[31mred\x1b[0m plain", "[{0000CD/-}red{-/-} plain]"},
        {"\x1b[1mb", "[{-/-*}b]"},
        {"\x1b[1;31ma\x1b[22mb", "[{0000FF/-*}a{0000CD/-}b]"},
        {"\x1b[31;1ma", "[{0000FF/-*}a]"},
        {"\x1b[30ma\x1b[37mb\x1b[90mc\x1b[97md", "[{000000/-}a{E5E5E5/-}b{7F7F7F/-}c{FFFFFF/-}d]"},
        {"\x1b[40ma\x1b[47mb\x1b[100mc\x1b[107md", "[{-/000000}a{-/E5E5E5}b{-/7F7F7F}c{-/FFFFFF}d]"},
        {"\x1b[1;44mx", "[{-/EE0000*}x]"},
        {"\x1b[31;41ma\x1b[39mb\x1b[49mc", "[{0000CD/0000CD}a{-/0000CD}b{-/-}c]"},
        {"\x1b[38;5;208ma\x1b[48;5;21mb", "[{0087FF/-}a{0087FF/FF0000}b]"},
        {"\x1b[1;38;5;3ma\x1b[38;5;100mb", "[{00FFFF/-*}a{008787/-*}b]"},
        {"\x1b[38;2;1;2;3;48;2;255;128;0mx", "[{030201/0080FF}x]"},
        {"\x1b[31ma\x1b[mb", "[{0000CD/-}a{-/-}b]"},
        {"\x1b[31ma\x1b[;32mb", "[{0000CD/-}a{00CD00/-}b]"},
        {"\x1b[4;31;5mx", "[{0000CD/-}x]"},
        {"\x1b[38;5;256mx\x1b[38;2;256;0;0my", "[{-/-}xy]"},
        {"\x1b[38;5mx\x1b[38;2;1;2my\x1b[48mz", "[{-/-}xyz]"},
        {"\x1b[38;7;31mx\x1b[31;38;5my", "[{-/-}x{0000CD/-}y]"},
        {"\x1b[32mone\r\ntwo\x1b[0m\r\nthree", "[{00CD00/-}one][{00CD00/-}two][{-/-}three]"},
        {"\x1b[33m\r\n\x1b[0m\r\n", "[][]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].expected, coloured(cases[i].reads))
            << "case " << i << ": " << printable(cases[i].reads);
}

// The colour is written once where it is first needed, as one sequence
// from scratch, and changes without text between them leave one.
TEST(AnsiText, StoresTheColourAsOneMarkerBeforeTheTextItColours)
{
    struct Case {
        std::string reads;
        std::string expected;
    } cases[] = {
        {"plain", "[plain]"},
        {"\x1b[31m\x1b[1m\x1b[32mx", "[\x1b[0;1;32mx]"},
        {"\x1b[31mx\x1b[31my\x1b[0mz", "[\x1b[0;31mxy\x1b[0mz]"},
        {"\x1b[97;100mx\x1b[38;5;16;48;2;9;99;255my",
         "[\x1b[0;97;100mx\x1b[0;38;5;16;48;2;9;99;255my]"},
        {"\x1b[36mx\ny", "[\x1b[0;36mx][\x1b[0;36my]"},
        {"\x1b[36mx\x1b[0m\ny", "[\x1b[0;36mx][y]"},
        {"\x1b[36m\x01\x1b[1b\x1b", "[\x1b[0;36m<01>]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(printable(cases[i].expected), printable(joined(show_coloured(cases[i].reads), "[", "]")))
            << "case " << i << ": " << printable(cases[i].reads);
}

// Every other sequence goes; one that breaks off or runs too long never
// hides a line end or more than its cap.
TEST(AnsiText, RemovesOtherSequencesAndGivesUpOnBrokenOnes)
{
    const std::string digits(70, '0');
    const std::string title(1100, 't');
    struct Case {
        const char* what;
        std::string reads;
        std::string expected;
    } cases[] = {
        {"erase", "a\x1b[2Jb", "[{-/-}ab]"},
        {"private", "a\x1b[?25lb", "[{-/-}ab]"},
        {"intermediate", "a\x1b[1 qb", "[{-/-}ab]"},
        {"sub-parameters: removed, not applied", "a\x1b[38:5:1mb", "[{-/-}ab]"},
        {"title up to BEL", "a\x1b]0;title\x07" "b", "[{-/-}ab]"},
        {"link up to ESC \\", "a\x1b]8;;http://x/\x1b\\b", "[{-/-}ab]"},
        {"device control string", "a\x1bPq#0\x1b\\b", "[{-/-}ab]"},
        {"charset", "a\x1b(Bb", "[{-/-}ab]"},
        {"two bytes", "a\x1b" "7b\x1b=c", "[{-/-}abc]"},
        {"cut by CR", "a\x1b\rb", "[{-/-}a][{-/-}b]"},
        {"CSI cut by LF", "a\x1b[3\nb", "[{-/-}a][{-/-}b]"},
        {"title cut by LF", "a\x1b]0;t\nb", "[{-/-}a][{-/-}b]"},
        {"cut by a byte of no sequence", "a\x1b[\x80" "b\x1b[\x7f", "[{-/-}a<80>b<7F>]"},
        {"cut by a new one", "\x1b[\x1b[31mx", "[{0000CD/-}x]"},
        {"unfinished at the end", "ab\x1b[3", "[{-/-}ab]"},
        {"too long: 64 bytes go", "a\x1b[" + digits + "mb", "[{-/-}a00000000mb]"},
        {"title too long: 1024 bytes go", "\x1b]" + title + "\x07", "[{-/-}" + std::string(78, 't') + "<07>]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].expected, coloured(cases[i].reads)) << "case " << i << ": " << cases[i].what;
}

TEST(AnsiText, TakesSequencesSplitAcrossReadsWhole)
{
    const std::string inputs[] = {
        "\x1b[1;38;2;10;20;30mA\x1b]0;t\x07" "B\x1b[0mC\r\nD",
        "x\xe2\x1b[31m\x82\xac\x1b(0y\x1b]8;;u\x1b\\z",
    };
    for (size_t i = 0; i < sizeof inputs / sizeof inputs[0]; ++i) {
        const std::string& input = inputs[i];
        std::string whole = joined(show_coloured(input), "[", "]");
        for (size_t cut = 1; cut < input.size(); ++cut)
            EXPECT_EQ(whole, joined(show_coloured(input.substr(0, cut) + "|" + input.substr(cut)), "[", "]"))
                << "input " << i << " cut after " << cut;
        std::string bytes;
        for (char c : input)
            bytes += std::string(1, c) + "|";
        EXPECT_EQ(whole, joined(show_coloured(bytes), "[", "]")) << "input " << i << " byte by byte";
    }
}

// A sequence's bytes count towards the line's 255, but the line ends only
// before text that no longer fits, so a sequence is never cut in two.
TEST(AnsiText, ASequenceAtTheLineLimitColoursTheNextLine)
{
    const std::string a249(249, 'a'), a250(250, 'a'), a252(252, 'a'), a253(253, 'a');
    struct Case {
        std::string reads;
        std::string expected;
    } cases[] = {
        {a249 + "\x1b[31mb", "[{-/-}" + a249 + "{0000CD/-}b]"},
        {a250 + "\x1b[31mbcd", "[{-/-}" + a250 + "][{0000CD/-}bcd]"},
        {a253 + "\x1b[3|1mb", "[{-/-}" + a253 + "][{0000CD/-}b]"},
        {a252 + "\xe2\x1b[31m\x82\xac" "c", "[{-/-}" + a252 + "{0000CD/-}\xe2\x82\xac][{0000CD/-}c]"},
        {a253 + "\x1b[31m\r\nb", "[{-/-}" + a253 + "][{0000CD/-}b]"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].expected, coloured(cases[i].reads)) << "case " << i;
}

TEST(AnsiText, StripsMarkersAndStrayEscapes)
{
    struct Case {
        std::string text;
        std::string expected;
    } cases[] = {
        {"\x1b[0;31mab\x1b[0mc", "abc"},
        {"a\x1b", "a"},
        {"\x1b[12", "[12"},
        {"\x1b[1;2xq", "[1;2xq"},
        {"\x1b\x1b[0mx\x1b]", "x]"},
        {"", ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const std::string& text = cases[i].text;
        std::string out(text.size() + 1, '\xff');
        int length = strip_colour_codes(text.data(), static_cast<int>(text.size()), &out[0]);
        EXPECT_EQ(cases[i].expected, out.substr(0, length >= 0 ? length : 0))
            << "case " << i << ": " << printable(text);
    }
}

TEST(AnsiText, PaletteHasSixteenColoursACubeAndGreys)
{
    struct Case {
        int index;
        uint32_t expected;
    } cases[] = {
        {0, 0x000000}, {7, 0xE5E5E5}, {8, 0x7F7F7F}, {15, 0xFFFFFF}, {16, 0x000000},
        {17, 0x5F0000}, {22, 0x005F00}, {52, 0x00005F}, {231, 0xFFFFFF}, {232, 0x080808},
        {255, 0xEEEEEE}, {-1, 0x000000}, {256, 0x000000},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].expected, ansi_palette(cases[i].index))
            << "case " << i << ": index " << cases[i].index;
}
