#include "text/capture_rotation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/text_helpers.h"

namespace {

struct Chunk {
    std::string bytes;
    CaptureTime now;
};

const CaptureTime noon_9 = {2026, 12, 9, 12, 0, 0};

// Writes the chunks the way the window does, each file a string, and
// returns the files as "<first><second>..."; "stuck" when the plan made no
// headway.
std::string captured(CaptureRotation rotation, const std::vector<Chunk>& chunks)
{
    std::vector<std::string> files(1);
    rotation.start(chunks.empty() ? noon_9 : chunks[0].now);
    for (const Chunk& chunk : chunks) {
        // The window's tick before the chunk is taken.
        if (rotation.day_over(chunk.now)) {
            files.emplace_back();
            rotation.start(chunk.now);
        }
        const char* bytes = chunk.bytes.data();
        int count = static_cast<int>(chunk.bytes.size());
        for (int turns = 0; count > 0; ++turns) {
            if (turns > 1000)
                return "stuck";
            int take = rotation.room(bytes, count, chunk.now);
            if (take < 0 || take > count)
                return "took " + std::to_string(take) + " of " + std::to_string(count);
            if (take == 0) {
                files.emplace_back();
                rotation.start(chunk.now);
                continue;
            }
            files.back().append(bytes, static_cast<size_t>(take));
            rotation.wrote(take);
            bytes += take;
            count -= take;
        }
    }
    return printable(joined(files));
}

std::vector<Chunk> at_noon(const std::vector<std::string>& pieces)
{
    std::vector<Chunk> chunks;
    for (const std::string& piece : pieces)
        chunks.push_back({piece, noon_9});
    return chunks;
}

}  // namespace

TEST(CaptureRotation, AsReceivedSplitsExactlyAtTheLimit)
{
    struct Case {
        uint64_t limit;
        std::vector<std::string> chunks;
        std::string files;
    } cases[] = {
        {4, {"abcdefghij"}, "<abcd><efgh><ij>"},
        {4, {"ab", "cd", "ef"}, "<abcd><ef>"},
        {4, {"abcd"}, "<abcd>"},
        {4, {"abcd", "e"}, "<abcd><e>"},
        {4, {"abc", "defghijkl"}, "<abcd><efgh><ijkl>"},
        {1, {"abc"}, "<a><b><c>"},
        {0, {"abcdefghij", "k"}, "<abcdefghijk>"},
        {5, {"ab\r\ncd\r\n"}, "<ab\\r\\nc><d\\r\\n>"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        CaptureRotation rotation;
        rotation.size_limit = cases[i].limit;
        EXPECT_EQ(cases[i].files, captured(rotation, at_noon(cases[i].chunks)))
            << "case " << i << ": limit " << cases[i].limit;
    }
}

TEST(CaptureRotation, AsShownNeverSplitsALine)
{
    struct Case {
        uint64_t limit;
        std::vector<std::string> chunks;
        std::string files;
    } cases[] = {
        {8, {"ab\r\n", "cd\r\n", "ef\r\n"}, "<ab\\r\\ncd\\r\\n><ef\\r\\n>"},
        {7, {"ab\r\n", "cd\r\n", "ef\r\n"}, "<ab\\r\\n><cd\\r\\n><ef\\r\\n>"},
        {8, {"ab\r\ncd\r\nef\r\n"}, "<ab\\r\\ncd\\r\\n><ef\\r\\n>"},
        {9, {"ab\r\ncd\r\nef\r\n", "g\r\n"}, "<ab\\r\\ncd\\r\\n><ef\\r\\ng\\r\\n>"},
        // A line longer than the limit fills a file of its own.
        {4, {"toolong\r\n", "ab\r\n"}, "<toolong\\r\\n><ab\\r\\n>"},
        {4, {"ab\r\n", "toolong\r\n", "cd\r\n"}, "<ab\\r\\n><toolong\\r\\n><cd\\r\\n>"},
        {4, {"toolong\r\nab\r\n"}, "<toolong\\r\\n><ab\\r\\n>"},
        // The end of a chunk ends a line.
        {5, {"abc", "def"}, "<abc><def>"},
        {6, {"abc\r\nxyz"}, "<abc\\r\\n><xyz>"},
        {0, {"ab\r\n", "cd\r\n"}, "<ab\\r\\ncd\\r\\n>"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        CaptureRotation rotation;
        rotation.size_limit = cases[i].limit;
        rotation.whole_lines = true;
        EXPECT_EQ(cases[i].files, captured(rotation, at_noon(cases[i].chunks)))
            << "case " << i << ": limit " << cases[i].limit;
    }
}

TEST(CaptureRotation, ByDayStartsANewFileAtLocalMidnight)
{
    const CaptureTime late_9 = {2026, 12, 9, 23, 59, 59};
    const CaptureTime early_9 = {2026, 12, 9, 0, 0, 0};
    const CaptureTime midnight_10 = {2026, 12, 10, 0, 0, 0};
    const CaptureTime november_9 = {2026, 11, 9, 12, 0, 0};
    const CaptureTime year_later = {2027, 12, 9, 12, 0, 0};
    struct Case {
        bool daily;
        uint64_t limit;
        std::vector<Chunk> chunks;  // the first one's time starts the capture
        std::string files;
    } cases[] = {
        {true, 0, {{"a", late_9}, {"b", midnight_10}}, "<a><b>"},
        {true, 0, {{"a", early_9}, {"b", late_9}}, "<ab>"},
        {true, 0, {{"a", november_9}, {"b", noon_9}}, "<a><b>"},
        {true, 0, {{"a", noon_9}, {"b", year_later}}, "<a><b>"},
        {true, 0, {{"a", late_9}, {"b", midnight_10}, {"c", midnight_10}}, "<a><bc>"},
        // Started before midnight, nothing came until after it.
        {true, 0, {{"", late_9}, {"b", midnight_10}}, "<><b>"},
        // Nothing comes after midnight: the new day's file begins all the same.
        {true, 0, {{"a", late_9}, {"", midnight_10}}, "<a><>"},
        {false, 0, {{"a", late_9}, {"", midnight_10}}, "<a>"},
        {true, 2, {{"abc", late_9}, {"d", midnight_10}}, "<ab><c><d>"},
        {false, 0, {{"a", late_9}, {"b", midnight_10}}, "<ab>"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        CaptureRotation rotation;
        rotation.daily = cases[i].daily;
        rotation.size_limit = cases[i].limit;
        EXPECT_EQ(cases[i].files, captured(rotation, cases[i].chunks)) << "case " << i;
    }
}
