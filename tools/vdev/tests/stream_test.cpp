// Stream mode: pacing, exact pattern and its control commands.
#include <cstdio>
#include <unistd.h>

#include "device_fixture.h"
#include "pattern.h"

namespace vdev_test {
namespace {

// Index of the first byte that differs from the pattern, or -1.
long first_mismatch(const std::string& got) {
    vdev::PatternGenerator gen;
    for (size_t i = 0; i < got.size(); ++i)
        if (static_cast<uint8_t>(got[i]) != gen.next()) return static_cast<long>(i);
    return -1;
}

class StreamRate : public DeviceTest, public ::testing::WithParamInterface<int> {};

// A second's worth of bytes after the first takes about a second: never
// much less (the device keeps to its rate), and on a busy machine perhaps
// more, so the upper bound is generous.
TEST_P(StreamRate, KeepsToTheRateAndSendsThePatternExactly) {
    const int rate = GetParam();
    int fd = open_line(device.link(1));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(device.ctl("STREAM COM1 " + std::to_string(rate) + " 0"), "OK");

    std::string got = read_some(fd, 1, 1000);
    ASSERT_EQ(got.size(), 1u) << "no stream at " << rate << " B/s";
    double start = now_ms();
    while (got.size() < size_t(rate) + 1 && now_ms() - start < 10000) got += read_for(fd, 20);
    double took = now_ms() - start;
    printf("%d B/s: %zu bytes in %.0f ms\n", rate, got.size() - 1, took);
    ASSERT_GE(got.size(), size_t(rate) + 1) << "rate " << rate << ": the stream stalled";
    EXPECT_GE(took, 800) << "rate " << rate << ": faster than its rate";
    EXPECT_LT(took, 5000) << "rate " << rate << ": far slower than its rate";

    ASSERT_EQ(device.ctl("STOP COM1"), "OK");
    got += read_for(fd, 200);
    EXPECT_EQ(first_mismatch(got), -1) << "rate " << rate << ", " << got.size() << " bytes";
    // Everything the device counted has arrived, nothing more.
    EXPECT_EQ(device.ctl("STREAMSTATUS COM1"), "OK sent=" + std::to_string(got.size()) + " done=1");
    close(fd);
}

INSTANTIATE_TEST_SUITE_P(Rates, StreamRate,
                         ::testing::Values(960, 11520, 100000),
                         [](const auto& info) { return "Bps" + std::to_string(info.param); });

TEST_F(DeviceTest, CountedStreamStopsAtCountAndReturnsToModem) {
    int fd = open_line(device.link(1));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(device.ctl("STREAM COM1 20000 3000"), "OK");
    std::string got = read_some(fd, 4000, 500);
    EXPECT_EQ(got.size(), 3000u);
    EXPECT_EQ(first_mismatch(got), -1);
    EXPECT_EQ(device.ctl("STREAMSTATUS COM1"), "OK sent=3000 done=1");
    // Bytes sent to the device during the stream were taken but not answered.
    ASSERT_TRUE(write_all(fd, "AT\r"));
    EXPECT_EQ(printable(read_some(fd, 8)), printable("AT\r\nOK\r\n"));
    close(fd);
}

TEST_F(DeviceTest, StreamStatusAdvancesWhileStreaming) {
    int fd = open_line(device.link(2));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(device.ctl("STREAM COM2 5000 0"), "OK");
    read_for(fd, 200);
    std::string first = device.ctl("STREAMSTATUS COM2");
    read_for(fd, 200);
    std::string second = device.ctl("STREAMSTATUS COM2");
    EXPECT_NE(first, second);
    EXPECT_NE(second.find("done=0"), std::string::npos) << second;
    // A new STREAM restarts the pattern from its beginning.
    ASSERT_EQ(device.ctl("STOP COM2"), "OK");
    read_for(fd, 200);
    ASSERT_EQ(device.ctl("STREAM COM2 5000 100"), "OK");
    std::string again = read_some(fd, 100, 500);
    EXPECT_EQ(again.size(), 100u);
    EXPECT_EQ(first_mismatch(again), -1);
    close(fd);
}

TEST_F(DeviceTest, StreamWaitsForASlowReaderInsteadOfDroppingBytes) {
    int fd = open_line(device.link(1));
    ASSERT_GE(fd, 0);
    ASSERT_EQ(device.ctl("STREAM COM1 200000 150000"), "OK");
    // Do not read for a while: the pty fills up and the device must hold back.
    usleep(500000);
    std::string got;
    double deadline = now_ms() + 5000;
    while (got.size() < 150000 && now_ms() < deadline) got += read_for(fd, 50);
    EXPECT_EQ(got.size(), 150000u);
    EXPECT_EQ(first_mismatch(got), -1);
    close(fd);
}

}  // namespace
}  // namespace vdev_test
