// Generated bad input: random bytes, NUL bytes, very long lines, files with
// no line ends and huge files. The reader must never crash or write past a
// buffer, and must answer as a plain model of the text format says.
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>
#include "ini_file_fixture.h"
#include "settings/ini_reader.h"
#include "settings/settings_file.h"
#include "text/upper_ascii.h"

namespace {

// The line and section-name sizes of a reader made like the one under test.
// The cut lengths they give are pinned by the reader's own boundary tests;
// the model takes them from here so that it checks everything else.
const IniReader sized_like_the_test{40, 300};
const size_t line_capacity = sized_like_the_test.line_size;
const size_t name_length = sized_like_the_test.section_name_size - 1;

// The text format, spelled out over std::string: lines as read_line splits
// them, each cut to `capacity` - 1 bytes and then ending at its first NUL.
struct TextModel {
    std::vector<std::string> raw_lines;

    explicit TextModel(const std::string& bytes)
    {
        size_t at = 0;
        while (at < bytes.size()) {
            size_t end = bytes.find_first_of("\r\n", at);
            if (end == std::string::npos) {
                raw_lines.push_back(bytes.substr(at));
                break;
            }
            raw_lines.push_back(bytes.substr(at, end - at));
            at = end;
            if (bytes[at] == '\r')
                ++at;
            if (at < bytes.size() && bytes[at] == '\n')
                ++at;
        }
    }
    static std::string as_read(const std::string& raw, size_t capacity)
    {
        return std::string(raw.substr(0, capacity - 1).c_str());
    }
    // The index of the first body line of the section, or -1. Names and
    // keys match by the program's rule: ASCII letters in either case.
    int section(const std::string& name) const
    {
        std::string wanted = name.substr(0, name_length).c_str();
        for (size_t i = 0; i < raw_lines.size(); ++i) {
            std::string line = as_read(raw_lines[i], line_capacity);
            if (line.empty() || line[0] != '[')
                continue;
            std::string header = line.substr(1);
            header = header.substr(0, header.find(']'));
            if (equal_ignoring_ascii_case(header.c_str(), wanted.c_str()))
                return static_cast<int>(i + 1);
        }
        return -1;
    }
    // Whether the key is found, and its value text.
    bool key(int start, const char* key, std::string* value) const
    {
        if (start < 0)
            return false;
        for (size_t i = start; i < raw_lines.size(); ++i) {
            std::string line = as_read(raw_lines[i], line_capacity);
            if (!line.empty() && line[0] == '[')
                return false;
            size_t equals = line.find('=');
            if (equals == std::string::npos)
                continue;
            if (equal_ignoring_ascii_case(line.substr(0, equals).c_str(), key)) {
                *value = line.substr(equals + 1);
                return true;
            }
        }
        return false;
    }
    std::vector<std::string> items(int start, size_t capacity) const
    {
        std::vector<std::string> found;
        for (size_t i = start < 0 ? raw_lines.size() : start; i < raw_lines.size(); ++i) {
            if (!raw_lines[i].empty() && raw_lines[i][0] == '[')
                break;
            found.push_back(as_read(raw_lines[i], capacity));
        }
        return found;
    }
};

// Text made of the format's own pieces, line ends of every kind, NUL bytes,
// random bytes and now and then a very long run.
std::string generated_text(std::mt19937& random)
{
    static const char* const pieces[] = {
        "[Port Settings]", "[Misc Settings]", "[Old commands]", "[port settings", "[", "]",
        "=", "Comm=", "comm=", "Speed=", "Upper=", "SendChar=", "ByteSize=", "Parity=",
        "StopBits=", "Comm = ", "0", "1", "-", "+", " ", "\t", "\r", "\n", "\r\n", "\n\r",
        std::string(1, '\0').c_str(), "AT", "x", "\xff", "\x80", "99999999999",
    };
    std::string text;
    int count = std::uniform_int_distribution<int>(0, 400)(random);
    for (int i = 0; i < count; ++i) {
        int kind = std::uniform_int_distribution<int>(0, 99)(random);
        if (kind < 70) {
            size_t which = std::uniform_int_distribution<size_t>(
                0, sizeof pieces / sizeof pieces[0] - 1)(random);
            // The NUL piece is an empty C string: write its byte by hand.
            if (pieces[which][0] == '\0')
                text += '\0';
            else
                text += pieces[which];
        } else if (kind < 97) {
            text += static_cast<char>(std::uniform_int_distribution<int>(0, 255)(random));
        } else {
            size_t length = std::uniform_int_distribution<size_t>(150, 10000)(random);
            char filler = static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random));
            if (filler == '\r' || filler == '\n')
                filler = 'y';
            text += std::string(length, filler);
        }
    }
    return text;
}

class BadInputTest : public IniFileTest {
protected:
    void TearDown() override
    {
        reader.release();
        IniFileTest::TearDown();
    }

    // Loads `bytes` and compares every lookup the settings file makes with
    // the model; buffers of every size are fenced to catch a write past them.
    void check_against_model(const std::string& bytes, const std::string& label)
    {
        ASSERT_EQ(1, reader.load(wide(ini_file(bytes)).c_str(), 2)) << label;
        TextModel model(bytes);

        const char* sections[] = {"Port Settings", "Misc Settings", "Old commands"};
        const char* keys[] = {"Comm", "Speed", "Upper", "SendChar", "ByteSize", "Parity"};
        for (const char* section : sections) {
            int start = model.section(section);
            ASSERT_EQ(start >= 0, reader.find_section(section) != 0) << label << ", " << section;
            for (const char* key : keys) {
                std::string value;
                bool found = model.key(start, key, &value);
                int32_t number = 0x12345678;
                ASSERT_EQ(found, reader.get_int(key, &number, 0x12345678) != 0)
                    << label << ", " << section << ", " << key;
                ASSERT_EQ(found ? decimal_value(value.c_str()) : 0x12345678, number)
                    << label << ", " << section << ", " << key << ", value \"" << value << "\"";
                int32_t flag = -5;
                reader.get_bool(key, &flag, -5);
                ASSERT_EQ(found ? (value.empty() || value[0] != '0' ? 1 : 0) : -5, flag)
                    << label << ", " << section << ", " << key;
            }
        }
        for (size_t capacity : {1, 2, 200}) {
            int start = model.section("Old commands");
            std::vector<std::string> expected = model.items(start, capacity);
            std::vector<char> item(capacity + 16, '\x5a');
            std::vector<std::string> items;
            if (reader.find_section("Old commands"))
                while (reader.next_list_line(item.data(), static_cast<int>(capacity)))
                    items.push_back(item.data());
            for (size_t fence = capacity; fence < item.size(); ++fence)
                ASSERT_EQ('\x5a', item[fence]) << label << ": wrote past a " << capacity
                                               << "-byte item buffer";
            ASSERT_EQ(expected.size(), items.size()) << label << ", capacity " << capacity;
            for (size_t i = 0; i < items.size(); ++i)
                ASSERT_EQ(expected[i], items[i]) << label << ", item " << i;
        }
        std::vector<char> line(line_capacity + 16, '\x5a');
        reader.cursor = reader.buffer;
        size_t lines = 0;
        while (reader.read_line(line.data(), static_cast<int>(line_capacity))) {
            ASSERT_LT(lines, model.raw_lines.size()) << label;
            // NUL bytes are copied as they are: compare the bytes, not the text.
            std::string expected = model.raw_lines[lines++].substr(0, line_capacity - 1);
            ASSERT_EQ(expected, std::string(line.data(), expected.size())) << label;
            ASSERT_EQ('\0', line[expected.size()]) << label;
        }
        ASSERT_EQ(model.raw_lines.size(), lines) << label;
        for (size_t fence = line_capacity; fence < line.size(); ++fence)
            ASSERT_EQ('\x5a', line[fence]) << label << ": wrote past the line buffer";
    }

    IniReader reader{40, 300};
};

TEST_F(BadInputTest, GeneratedTextsAnswerAsTheFormatSays)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 300; ++round) {
        check_against_model(generated_text(random), "round " + std::to_string(round));
        if (HasFatalFailure())
            return;
    }
}

// Random bytes are the generated texts' part here, and any bytes at all the
// native fuzz target's.
TEST_F(BadInputTest, NulBytesLongLinesAndNoLineEnds)
{
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"only NUL bytes", std::string(5000, '\0')},
        {"NUL inside a header and a key",
         std::string("[Port\0 Settings]\r\n[Port Settings]\r\nCo\0mm=1\r\nComm=2\0 3\r\n", 52)},
        {"a 10,000-character line in each section",
         "[Port Settings]\r\nComm=" + std::string(10000, '9') + "\r\n[Old commands]\r\n" +
             std::string(10000, 'c') + "\r\n[Misc Settings]" + std::string(10000, ']') + "\r\n"},
        {"no line ends at all", "[Old commands]" + std::string(200000, 'z')},
        {"only line ends", std::string(20000, '\n') + std::string(20000, '\r')},
        {"only brackets", std::string(30000, '[')},
        {"only equals signs", "[Port Settings]\r\n" + std::string(30000, '=')},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        check_against_model(cases[i].bytes, "case " + std::to_string(i) + ": " + cases[i].what);
        if (HasFatalFailure())
            return;
    }
}

TEST_F(BadInputTest, AHugeFileLoadsAsAbsentAndTheLargestAllowedOneIsScanned)
{
    std::string huge(IniReader::max_file_size + 1, '\0');
    std::mt19937 random(99);
    for (char& c : huge)
        c = static_cast<char>(random());
    EXPECT_EQ(0, reader.load(wide(ini_file(huge)).c_str(), 2));
    EXPECT_EQ(nullptr, reader.buffer);

    huge.resize(IniReader::max_file_size);
    check_against_model(huge, "1 MiB of random bytes");
    check_against_model(std::string(IniReader::max_file_size, 'q'), "1 MiB without a line end");
}

// The whole load into the history: every entry shorter than the 200-byte
// buffer it passed through.
TEST_F(BadInputTest, GeneratedFilesLoadIntoTheHistoryWithinItsLimits)
{
    std::mt19937 random(31337);
    for (int round = 0; round < 60; ++round) {
        std::string bytes = "[Old commands]\r\n" + generated_text(random);
        TextModel model(bytes);
        std::vector<std::string> expected = model.items(model.section("Old commands"), 200);
        Settings settings;
        ASSERT_EQ(1, load_settings_file(reader, wide(ini_file(bytes)).c_str(), settings))
            << "round " << round;
        EXPECT_EQ(nullptr, reader.buffer) << "round " << round;
        ASSERT_EQ(static_cast<int>(expected.size()), settings.history.count()) << "round " << round;
        for (int i = 0; i < settings.history.count(); ++i)
            ASSERT_LT(strlen(settings.history.at(i)), 200u) << "round " << round;
    }
}

}  // namespace
