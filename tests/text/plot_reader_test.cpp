#include "text/plot_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include "tests/text/plot_text.h"

namespace {

// Rows joined by '|' instead of CR LF, for short expectations, without the
// time column (TheExampleLines looks at that).
std::string rows(const PlotSamples& samples)
{
    std::string text = csv_text(samples);
    std::string joined;
    // Each row from after its first comma to its end.
    for (size_t i = text.find(',') + 1; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            joined += '|';
            i = text.find(',', i);
            if (i == std::string::npos)
                break;
        } else {
            joined += text[i];
        }
    }
    return joined;
}

std::string fed(const std::string& bytes)
{
    PlotSamples samples;
    PlotReader reader;
    reader.feed(bytes.data(), static_cast<int>(bytes.size()), samples, 0);
    return rows(samples);
}

}  // namespace

TEST(PlotReader, ReadsEveryFormatAndSkipsOtherLinesWhole)
{
    const std::string long_label(32, 'x');
    const std::string long_number(25, '1');
    struct Case {
        std::string bytes;
        std::string csv;
    } cases[] = {
        // Line ends: CR, LF, CR LF; an unended line waits.
        {"1\r2\n3\r\n4", "sample,1|1,1|2,2|3,3|"},
        // Separators: commas, semicolons, spaces, tabs, runs of them.
        {"1,2;3 4\t5\n", "sample,1,2,3,4,5|1,1,2,3,4,5|"},
        {" 1 ,, 2 ;\n", "sample,1,2|1,1,2|"},
        // Numbers: sign, fraction, exponent, kept exactly as received.
        {"-1 +2.50 .5 5. 1e3 -2.5E-07 007\n",
         "sample,1,2,3,4,5,6,7|1,-1,+2.50,.5,5.,1e3,-2.5E-07,007|"},
        // Labels with ':' or '=', blanks around them.
        {"temp:21.5,hum: 48\ntemp = 22 hum :47\n",
         "sample,temp,hum|1,21.5,48|2,22,47|"},
        // Unlabelled values go by place, beside labelled ones.
        {"a:1 5\n7 a=2\n", "sample,a,2,1|1,1,5,|2,2,,7|"},
        // A series missing from a line has a gap there; the last of a
        // label in a line wins.
        {"x:1\ny:2\nx:3 x:4\n", "sample,x,y|1,1,|2,,2|3,4,|"},
        // Skipped whole: words, times, empty labels or values, bad numbers,
        // a quote in a label, too long a label, value or line.
        {"boot v1.2\n12:30:01 ok\n:5\nt:\n1e\n1.2.3\n--1\n.\na\"b:1\n" + long_label +
             ":1 5\n" + long_number + "\n" + std::string(1025, '1') + "\n\n \n9\n",
         "sample,1|1,9|"},
        // The longest label, value and line still count.
        {long_label.substr(1) + ":" + long_number.substr(1) + "\n",
         "sample," + long_label.substr(1) + "|1," + long_number.substr(1) + "|"},
        {std::string(1024, ' ') + "\n" + std::string(1023, ' ') + "3\n", "sample,1|1,3|"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].csv, fed(cases[i].bytes)) << "case " << i << ": " << cases[i].bytes;
}

TEST(PlotReader, KeepsSixteenSeriesAndLeavesOutTheRest)
{
    std::string line;
    for (int i = 1; i <= 18; ++i)
        line += std::to_string(i) + ",";
    std::string header = "sample", first = "1";
    for (int i = 1; i <= 16; ++i) {
        header += "," + std::to_string(i);
        first += "," + std::to_string(i);
    }
    EXPECT_EQ(header + "|" + first + "|" + "2" + std::string(15, ',') + ",5|",
              fed(line + "\nq:1\n16:5 q:2\n"))
        << "a 17th series is left out; a line with only such values is skipped";
}

TEST(PlotReader, LinesSplitAcrossReadsAndTheViewDoNotMatter)
{
    PlotSamples samples;
    PlotReader reader;
    const char* pieces[] = {"te", "mp:2", "1.5\r", "\nhum", ":48\r", "\n"};
    for (const char* piece : pieces)
        reader.feed(piece, static_cast<int>(strlen(piece)), samples, 0);
    EXPECT_EQ("sample,temp,hum|1,21.5,|2,,48|", rows(samples));
    reader.feed("5", 1, samples, 0);
    reader.reset();
    reader.feed("6\n", 2, samples, 0);
    EXPECT_EQ(3u, samples.end()) << "a reset forgets the line in progress";
    EXPECT_STREQ("6", samples.newest[2]);
}

// The first column is when each line arrived, in ms since the first sample:
// a line takes the time of the bytes that end it, whatever the clock's
// start, and across the clock's wrap.
TEST(PlotCsv, TheExampleLinesWithTheirTimes)
{
    struct Piece {
        const char* bytes;
        uint32_t time;
    } pieces[] = {
        {"temp:21.5,hum: 48\r\ntemp:22,", 0xfffffff0u},
        {"hum:47.25\r\nboot text\r\n", 0xfffffffau},
        {"temp=-3.5 hum=46\r\n", 0x20u},
    };
    PlotSamples samples;
    PlotReader reader;
    for (const Piece& piece : pieces)
        reader.feed(piece.bytes, static_cast<int>(strlen(piece.bytes)), samples, piece.time);
    EXPECT_EQ("ms,sample,temp,hum\r\n0,1,21.5,48\r\n10,2,22,47.25\r\n48,3,-3.5,46\r\n",
              csv_text(samples));
    samples.clear();
    reader.feed("7\n8\n", 4, samples, 5000);
    EXPECT_EQ("ms,sample,1\r\n0,1,7\r\n0,2,8\r\n", csv_text(samples))
        << "numbering and times start again after a clear";
}

TEST(PlotCsv, AFailedWriteStopsTheFile)
{
    PlotSamples samples;
    for (int i = 0; i < 2000; ++i)
        read_plot_line("123456,7", 8, samples, 0);
    int calls = 0;
    auto refuse = [](void* context, const char*, int) {
        ++*static_cast<int*>(context);
        return 0;
    };
    EXPECT_EQ(0, write_plot_csv(samples, refuse, &calls));
    EXPECT_EQ(1, calls) << "nothing more is written after a failure";
}
