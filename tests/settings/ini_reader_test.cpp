// The INI reader: line ends, section and key lookup, conversions, list
// sections, cut lines and files that load as absent.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "ini_file_fixture.h"
#include "settings/ini_reader.h"
#include "tests/support/text_helpers.h"

namespace {

class ReaderTest : public IniFileTest {
protected:
    void TearDown() override
    {
        reader.release();
        IniFileTest::TearDown();
    }
    // Loads `bytes` as the whole file.
    void load(const std::string& bytes) { ASSERT_EQ(1, reader.load(wide(ini_file(bytes)).c_str(), 2)); }

    std::vector<std::string> all_lines(int capacity = 302)
    {
        std::vector<std::string> lines;
        std::vector<char> line(capacity + 1, '\x7f');
        while (reader.read_line(line.data(), capacity)) {
            lines.push_back(line.data());
            EXPECT_EQ('\x7f', line[capacity]) << "the line buffer overflowed";
        }
        return lines;
    }
    std::vector<std::string> list_items(const char* section, int capacity = 200)
    {
        std::vector<std::string> items;
        std::vector<char> item(capacity + 1, '\x7f');
        if (!reader.find_section(section))
            return items;
        while (reader.next_list_line(item.data(), capacity)) {
            items.push_back(item.data());
            EXPECT_EQ('\x7f', item[capacity]) << "the item buffer overflowed";
        }
        EXPECT_STREQ("", item.data()) << "the item after the list's end";
        return items;
    }

    IniReader reader{40, 300};
};

TEST_F(ReaderTest, LineEndsSplitTheTextAsCrLfOrCrLf)
{
    struct Case {
        const char* bytes;
        const char* lines;
    } cases[] = {
        {"a\r\nb\r\n", "<a><b>"},
        {"a\rb\nc", "<a><b><c>"},
        {"a\n\rb", "<a><><b>"},           // LF then CR: a line and an empty one
        {"a\r\n\r\nb", "<a><><b>"},
        {"a\r\r\n", "<a><>"},
        {"last line without end", "<last line without end>"},
        {"\r\n", "<>"},
        {"", ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        load(cases[i].bytes);
        EXPECT_EQ(cases[i].lines, joined(all_lines())) << "case " << i;
    }
}

TEST_F(ReaderTest, LoadKeepsTheFileAndAddsZeroBytes)
{
    load("[A]\r\nx=1");
    EXPECT_EQ(8u, reader.data_size);
    EXPECT_EQ(reader.buffer + 8, reader.end);
    EXPECT_EQ(0, memcmp(reader.buffer, "[A]\r\nx=1\0\0", 10));
    EXPECT_GE(GlobalSize(reader.buffer), 10u);
}

// Each row: the file's only lines, the lookup, and what it gives.
TEST_F(ReaderTest, LookupTable)
{
    enum Lookup { section, int_key, bool_key };
    struct Case {
        const char* file;
        Lookup lookup;
        const char* name;
        int32_t found;
        int32_t value;
    } cases[] = {
        {"[port settings]\r\n", section, "Port Settings", 1, 0},
        {"[ Port Settings ]\r\n", section, "Port Settings", 0, 0},
        {"[Port Settings] trailing text\r\n", section, "Port Settings", 1, 0},
        {"[Port Settings\r\n", section, "Port Settings", 1, 0},
        {" [Misc Settings]\r\n", section, "Misc Settings", 0, 0},
        {"[S]\r\ncomm=2\r\n", int_key, "Comm", 1, 2},
        {"[S]\r\nComm = 2\r\n", int_key, "Comm", 0, -7},
        {"[S]\r\nSpeed= 3\r\n", int_key, "Speed", 1, 3},
        {"[S]\r\nSpeed=3x\r\n", int_key, "Speed", 1, 3},
        {"[S]\r\nSpeed=\r\n", int_key, "Speed", 1, 0},
        {"[S]\r\nSpeed=-12\r\n", int_key, "Speed", 1, -12},
        {"[S]\r\nSpeed=+5\r\n", int_key, "Speed", 1, 5},
        {"[S]\r\nSpeed=\t 8\r\n", int_key, "Speed", 1, 8},
        {"[S]\r\nSpeed=99999999999\r\n", int_key, "Speed", 1, INT32_MAX},
        {"[S]\r\nSpeed=-99999999999\r\n", int_key, "Speed", 1, INT32_MIN},
        {"[S]\r\nSpeed=-2147483648\r\n", int_key, "Speed", 1, INT32_MIN},
        {"[S]\r\nSpeed=a=1\r\n", int_key, "Speed", 1, 0},
        {"[S]\r\nUpper=\r\n", bool_key, "Upper", 1, 1},
        {"[S]\r\nUpper= 0\r\n", bool_key, "Upper", 1, 1},
        {"[S]\r\nUpper=0\r\n", bool_key, "Upper", 1, 0},
        {"[S]\r\nUpper=01\r\n", bool_key, "Upper", 1, 0},
        {"[S]\r\nUpper=false\r\n", bool_key, "Upper", 1, 1},
        {"[S]\r\nUPPER=0\r\n", bool_key, "upper", 1, 0},
        {"[S]\r\nUpper\r\n", bool_key, "Upper", 0, -7},
        {"Upper=0\r\n[S]\r\n", bool_key, "Upper", 0, -7},  // before the first header
        {"[S]\r\n[T]\r\nUpper=0\r\n", bool_key, "Upper", 0, -7},  // another section's key
        // The first of two keys or two sections of one name counts.
        {"[S]\r\nk=1\r\nk=2\r\n", int_key, "k", 1, 1},
        {"[S]\r\nk=1\r\n[B]\r\n[s]\r\nk=4\r\n", int_key, "k", 1, 1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        load(c.file);
        int32_t value = 0x55555555;
        int32_t found;
        if (c.lookup == section) {
            found = reader.find_section(c.name);
            value = 0;
        } else {
            ASSERT_EQ(1, reader.find_section("s")) << "case " << i;
            found = c.lookup == int_key ? reader.get_int(c.name, &value, -7)
                                        : reader.get_bool(c.name, &value, -7);
        }
        EXPECT_EQ(c.found, found) << "case " << i << ": " << c.file;
        EXPECT_EQ(c.value, value) << "case " << i << ": " << c.file;
    }
}

TEST_F(ReaderTest, SectionsAndKeysMayBeAskedInAnyOrder)
{
    load("[Old commands]\r\nATI\r\n[Misc Settings]\r\nSendChar=1\r\nUpper=1\r\n"
         "[Port Settings]\r\nStopBits=2\r\nComm=3\r\n");
    int32_t comm = 0, stop_bits = 0, send_char = 0, upper = 0;
    ASSERT_EQ(1, reader.find_section("Port Settings"));
    EXPECT_EQ(1, reader.get_int("Comm", &comm, 0));
    EXPECT_EQ(1, reader.get_int("StopBits", &stop_bits, 0));
    ASSERT_EQ(1, reader.find_section("Misc Settings"));
    EXPECT_EQ(1, reader.get_bool("Upper", &upper, 0));
    EXPECT_EQ(1, reader.get_int("SendChar", &send_char, 0));
    EXPECT_EQ(3, comm);
    EXPECT_EQ(2, stop_bits);
    EXPECT_EQ(1, upper);
    EXPECT_EQ(1, send_char);
    EXPECT_EQ("<ATI>", joined(list_items("Old commands")));
}

TEST_F(ReaderTest, AMissingSectionLeavesNoneCurrent)
{
    load("[Port Settings]\r\nComm=3\r\n");
    ASSERT_EQ(1, reader.find_section("Port Settings"));
    EXPECT_EQ(0, reader.find_section("Misc Settings"));
    int32_t comm = 9;
    EXPECT_EQ(0, reader.get_int("Comm", &comm, 0));
    EXPECT_EQ(0, comm);
}

TEST_F(ReaderTest, ListItemsKeepEmptyLinesAndEndAtTheNextHeader)
{
    struct Case {
        const char* file;
        const char* items;
    } cases[] = {
        {"[L]\r\nATI\r\n\r\nAT", "<ATI><><AT>"},           // no final line end
        {"[L]\r\nATI\r\n\r\n", "<ATI><>"},                 // two line ends at the end
        {"[L]\r\nATI\r\n[M]\r\nx\r\n", "<ATI>"},
        {"[L]\r\n", ""},
        {"[L]", ""},
        {"[L]\r\n [not a header]\r\n", "< [not a header]>"},
        {"[L]\nA\rB\n\rC", "<A><B><><C>"},
        {"[L]\r\nk=1\r\n[B]\r\n[l]\r\nother\r\n", "<k=1>"},  // the first of two
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        load(cases[i].file);
        EXPECT_EQ(cases[i].items, joined(list_items("L"))) << "case " << i;
    }
}

TEST_F(ReaderTest, AnEmptyFileLoadsAndEveryLookupFails)
{
    load("");
    EXPECT_NE(nullptr, reader.buffer);
    EXPECT_EQ(0u, reader.data_size);
    int32_t value = 4;
    EXPECT_EQ(0, reader.find_section("Port Settings"));
    EXPECT_EQ(0, reader.get_int("Comm", &value, 0));
    EXPECT_EQ(0, value);
    char item[200] = "x";
    EXPECT_EQ(0, reader.next_list_line(item, sizeof item));
    EXPECT_STREQ("", item);
}

TEST_F(ReaderTest, NothingLoadedFindsNothing)
{
    int32_t value = 4;
    EXPECT_EQ(0, reader.find_section("Port Settings"));
    EXPECT_EQ(0, reader.get_bool("Upper", &value, 1));
    EXPECT_EQ(1, value);
    char line[10] = "x";
    EXPECT_EQ(0, reader.read_line(line, sizeof line));
    EXPECT_STREQ("x", line);
}

// Lines beyond a buffer are cut; the rest of the line never turns up as a
// line of its own, so it cannot smuggle in a header or a key.
TEST_F(ReaderTest, LongLinesAreCutToTheirBuffer)
{
    std::string long_key_line = "Comm=4" + std::string(400, '7') + "\r\n";
    std::string tail_header = std::string(301, 'x') + "[Misc Settings]\r\n";
    std::string long_header = "[Port Settings]" + std::string(500, ' ') + "\r\n";
    load(long_header + long_key_line + tail_header + "Comm=1\r\n" +
         "[Old commands]\r\n" + std::string(199, 'a') + "\r\n" + std::string(10000, 'b') + "\r\n" +
         "[Misc Settings]\r\nUpper=0\r\n");

    int32_t comm = 0;
    ASSERT_EQ(1, reader.find_section("Port Settings"));
    EXPECT_EQ(1, reader.get_int("Comm", &comm, 0));
    EXPECT_EQ(INT32_MAX, comm) << "the digits beyond the line buffer are cut";

    std::vector<std::string> items = list_items("Old commands");
    ASSERT_EQ(2u, items.size());
    EXPECT_EQ(std::string(199, 'a'), items[0]);
    EXPECT_EQ(std::string(199, 'b'), items[1]);

    int32_t upper = 1;
    ASSERT_EQ(1, reader.find_section("Misc Settings"));
    EXPECT_EQ(1, reader.get_bool("Upper", &upper, 1));
    EXPECT_EQ(0, upper) << "a cut line's tail was taken for a header";

    load(long_key_line + tail_header);
    std::vector<std::string> lines = all_lines();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(301u, lines[0].size());
    EXPECT_EQ(301u, lines[1].size());
    for (int capacity : {1, 2, 5}) {
        load("[A]\r\nabcdef\r\n");
        std::vector<std::string> cut = list_items("A", capacity);
        ASSERT_EQ(1u, cut.size()) << "capacity " << capacity;
        EXPECT_EQ(std::string("abcdef").substr(0, capacity - 1), cut[0]) << "capacity " << capacity;
    }
}

TEST_F(ReaderTest, AHeaderEndsAListEvenWhenTheItemBufferIsTooSmallToShowIt)
{
    load("[A]\r\nx\r\n[B]\r\ny\r\n");
    ASSERT_EQ(1, reader.find_section("A"));
    char item[1];
    EXPECT_EQ(1, reader.next_list_line(item, 1));
    EXPECT_EQ(0, reader.next_list_line(item, 1));
}

TEST_F(ReaderTest, AWantedSectionNameIsCutTo41Characters)
{
    std::string name41(41, 'n');
    load("[" + name41 + "]\r\nk=1\r\n");
    EXPECT_EQ(1, reader.find_section((name41 + "extra").c_str()));
    load("[" + name41 + "extra]\r\nk=1\r\n");
    EXPECT_EQ(0, reader.find_section((name41 + "extra").c_str()));
}

TEST_F(ReaderTest, FilesThatCannotBeReadOrAreFarTooLargeLoadAsAbsent)
{
    load("[A]\r\nk=1\r\n");
    char* earlier = reader.buffer;

    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, reader.load(wide(path_of("missing.ini")).c_str(), 2));
    EXPECT_EQ(earlier, reader.buffer) << "a file that cannot be opened keeps the block";

    std::string big = path_of("big.ini");
    ASSERT_TRUE(write_file(big, std::string(IniReader::max_file_size + 1, 'x')));
    EXPECT_EQ(0, reader.load(wide(big).c_str(), 2));

    // A folder cannot be read as a file.
    EXPECT_EQ(0, reader.load(wide(folder).c_str(), 2));

    // Locked by another writer: sharing is refused.
    std::string locked = ini_file("[A]\r\n");
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    EXPECT_EQ(0, reader.load(wide(locked).c_str(), 2));
    CloseHandle(holder);

    std::string largest = path_of("largest.ini");
    ASSERT_TRUE(write_file(largest, "[A]\r\nk=5\r\n" + std::string(IniReader::max_file_size - 10, '\n')));
    ASSERT_EQ(1, reader.load(wide(largest).c_str(), 2));
    int32_t k = 0;
    EXPECT_EQ(1, reader.find_section("A"));
    EXPECT_EQ(1, reader.get_int("k", &k, 0));
    EXPECT_EQ(5, k);
}

TEST_F(ReaderTest, NoExtraBytesStillEndsTheDataWithAZero)
{
    std::string path = ini_file("[A]");
    ASSERT_EQ(1, reader.load(wide(path).c_str(), 0));
    EXPECT_EQ('\0', *reader.end);
    EXPECT_EQ(1, reader.find_section("A"));
}

TEST(DecimalValue, ConvertsAsAtoiWithinThirtyTwoBits)
{
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"0", 0}, {"12", 12}, {"-12", -12}, {"+7", 7}, {"  \t\r\n\v\f9", 9}, {"3x", 3},
        {"", 0}, {"-", 0}, {"x1", 0}, {"- 1", 0}, {"007", 7}, {"2147483647", INT32_MAX},
        {"2147483648", INT32_MAX}, {"-2147483648", INT32_MIN}, {"-2147483649", INT32_MIN},
        {"123456789012345678901234567890", INT32_MAX},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].value, decimal_value(cases[i].text))
            << "case " << i << ": \"" << cases[i].text << "\"";
}

}  // namespace
