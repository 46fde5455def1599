#include "text/plot_samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include "text/plot_columns.h"
#include "text/plot_number.h"
#include "text/plot_reader.h"
#include "tests/text/plot_text.h"

namespace {

void add_line(PlotSamples& samples, const std::string& line, uint32_t time_ms = 0)
{
    read_plot_line(line.data(), static_cast<int>(line.size()), samples, time_ms);
}

}  // namespace

TEST(PlotSamples, KeepsTheNewestAtItsLimit)
{
    struct Case {
        int32_t asked;
        uint32_t kept;
    } cases[] = {{100, 100}, {99, 10000}, {1000001, 10000}, {1000000, 1000000}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        PlotSamples samples;
        samples.set_capacity(cases[i].asked);
        EXPECT_EQ(cases[i].kept, samples.capacity()) << "case " << i << ": " << cases[i].asked;
    }
    PlotSamples samples;
    samples.set_capacity(100);
    for (int n = 1; n <= 250; ++n)
        add_line(samples, n % 3 ? "a:" + std::to_string(n) : "b:" + std::to_string(n) + "e0",
                 static_cast<uint32_t>(1000 + 10 * n));
    EXPECT_EQ(150u, samples.first());
    EXPECT_EQ(250u, samples.end());
    std::string csv = csv_text(samples);
    EXPECT_EQ(0u, csv.find("ms,sample,a,b\r\n1500,151,151,\r\n1510,152,152,\r\n1520,153,,153e0\r\n"))
        << csv.substr(0, 70);
    EXPECT_EQ(csv.size() - 17, csv.rfind("\r\n2490,250,250,\r\n")) << csv.substr(csv.size() - 40);
    EXPECT_EQ(101u, static_cast<size_t>(std::count(csv.begin(), csv.end(), '\n')));
    EXPECT_EQ(250.0f, samples.point(0, 249).value);
    EXPECT_STREQ("249e0", samples.newest[1]);
}

TEST(PlotSamples, ValuesOutOfRangeAreDrawnAtTheEdge)
{
    PlotSamples samples;
    add_line(samples, "1e999 -1e999 1e-999 0e999");
    EXPECT_EQ(3.4e38f, samples.point(0, 0).value);
    EXPECT_EQ(-3.4e38f, samples.point(1, 0).value);
    EXPECT_EQ(0.0f, samples.point(2, 0).value);
    EXPECT_EQ(0.0f, samples.point(3, 0).value);
    EXPECT_EQ("ms,sample,1,2,3,4\r\n0,1,1e999,-1e999,1e-999,0e999\r\n", csv_text(samples));
}

TEST(PlotNumber, Values)
{
    struct Case {
        const char* text;
        double value;
    } cases[] = {
        {"0", 0},
        {"-1.5", -1.5},
        {"1200", 1200},
        {"0.0025", 0.0025},
        {"+.5", 0.5},
        {"5.", 5},
        {"1.5e9", 1.5e9},
        {"-2E-7", -2e-7},
        {"12345678901234567890123", 1.2345678901234568e22},
        {"0.000000000000000000001", 1e-21},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        int length = static_cast<int>(strlen(cases[i].text));
        EXPECT_EQ(length, scan_decimal_number(cases[i].text, cases[i].text + length)) << "case " << i;
        double value = decimal_number_value(cases[i].text, length);
        EXPECT_NEAR(cases[i].value, value, std::abs(cases[i].value) * 1e-12) << "case " << i;
    }
    char out[24] = {};
    out[format_count(4294967295u, out)] = 0;
    EXPECT_STREQ("4294967295", out);
}

// The columns a frame draws: never more than the width, however many
// samples are kept, each the lowest and highest of its samples.
TEST(PlotColumns, AFrameIsBoundByTheWidthNotTheSamples)
{
    struct Case {
        int32_t kept;
        int width;
        int shift;
        int columns;
    } cases[] = {
        {100, 400, 0, 100},
        {10000, 400, 5, 313},
        {1000000, 400, 12, 245},
        {1000000, 1, 20, 1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        PlotSamples samples;
        samples.set_capacity(cases[i].kept);
        for (int32_t n = 0; n < cases[i].kept; ++n)
            add_line(samples, std::to_string(n));
        PlotColumns columns;
        ASSERT_EQ(1, columns.rebuild(samples, samples.first(), samples.end(), cases[i].width));
        EXPECT_EQ(cases[i].shift, columns.shift) << "case " << i;
        EXPECT_EQ(cases[i].columns, columns.count()) << "case " << i;
        const PlotSpan& last = columns.span(columns.count() - 1, 0);
        EXPECT_EQ(static_cast<float>(cases[i].kept - 1), last.high) << "case " << i;
        EXPECT_EQ(static_cast<float>((cases[i].kept - 1) >> cases[i].shift << cases[i].shift),
                  last.low) << "case " << i;
        EXPECT_EQ(static_cast<uint32_t>(cases[i].kept - 1), columns.last_sample(columns.count() - 1));
    }
}

TEST(PlotColumns, FollowTheNewestSampleAsTheRingTurns)
{
    PlotSamples samples;
    samples.set_capacity(100);
    PlotColumns columns;
    columns.rebuild(samples, 0, 0, 30);
    EXPECT_EQ(0, columns.count());
    for (int n = 0; n < 1000; ++n) {
        add_line(samples, n % 10 == 5 ? "x:1" : std::to_string(n));
        columns.follow(samples);
        ASSERT_LE(columns.count(), 30) << "after sample " << n;
    }
    // The 100 kept, 900 to 999, in runs of 4.
    EXPECT_EQ(2, columns.shift);
    EXPECT_EQ(25, columns.count());
    EXPECT_EQ(999.0f, columns.span(24, 0).high);
    EXPECT_EQ(996.0f, columns.span(24, 0).low);
    EXPECT_EQ(999u, columns.span(24, 0).high_at);
    EXPECT_EQ(996u, columns.span(24, 0).low_at);
    EXPECT_EQ(999u, columns.last_sample(24));
    // A run where the series has gaps only at one sample still spans the rest.
    const PlotSpan& gap = columns.span(23, 0);
    EXPECT_EQ(992.0f, gap.low);
    EXPECT_EQ(994.0f, gap.high);
    EXPECT_GT(columns.span(0, 1).low, columns.span(0, 1).high) << "no x value in the oldest run";
    // Many samples at once, more than the ring keeps, as while paused.
    for (int n = 1000; n < 1250; ++n)
        add_line(samples, std::to_string(n));
    columns.follow(samples);
    EXPECT_EQ(1150u, columns.first());
    EXPECT_EQ(1250u, columns.end());
    EXPECT_EQ(1249.0f, columns.span(columns.count() - 1, 0).high);
}
