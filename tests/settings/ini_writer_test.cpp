// The INI writer: the exact bytes of each line form, growth, cut names and
// keys, and a save that replaces the file whole or not at all.
#include <gtest/gtest.h>
#include <string>
#include "ini_file_fixture.h"
#include "settings/ini_writer.h"

namespace {

class WriterTest : public IniFileTest {
protected:
    void TearDown() override
    {
        writer.release();
        IniFileTest::TearDown();
    }
    std::string text() const { return std::string(writer.buffer, writer.used); }

    IniWriter writer{40, 300};
};

TEST_F(WriterTest, EachLineFormHasItsExactBytes)
{
    struct Case {
        void (*write)(IniWriter&);
        const char* bytes;
    } cases[] = {
        {[](IniWriter& w) { w.write_section("Port Settings"); }, "[Port Settings]\r\n"},
        {[](IniWriter& w) { w.write_bool("Upper", 5); }, "Upper=1\r\n"},
        {[](IniWriter& w) { w.write_bool("Upper", -1); }, "Upper=1\r\n"},
        {[](IniWriter& w) { w.write_bool("Upper", 0); }, "Upper=0\r\n"},
        {[](IniWriter& w) { w.write_int("Speed", -12); }, "Speed=-12\r\n"},
        {[](IniWriter& w) { w.write_int("Speed", 0); }, "Speed=0\r\n"},
        {[](IniWriter& w) { w.write_int("Speed", 100); }, "Speed=100\r\n"},
        {[](IniWriter& w) { w.write_int("M", INT32_MIN); }, "M=-2147483648\r\n"},
        {[](IniWriter& w) { w.write_int("M", INT32_MAX); }, "M=2147483647\r\n"},
        {[](IniWriter& w) { w.write_line(""); }, "\r\n"},
        {[](IniWriter& w) { w.write_line("AT+X=1 [a]"); }, "AT+X=1 [a]\r\n"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        ASSERT_EQ(1, writer.begin(4000, 4000));
        cases[i].write(writer);
        EXPECT_EQ(cases[i].bytes, text()) << "case " << i;
        EXPECT_EQ('\0', writer.buffer[writer.used]) << "case " << i;
    }
}

// A piece grows the block first when it and its terminator would not fit,
// by as many steps as it needs.
TEST_F(WriterTest, AppendGrowsByAsManyStepsAsThePieceAndItsTerminatorNeed)
{
    struct Case {
        DWORD initial;
        int32_t step;
        size_t piece;
        DWORD capacity;
    } cases[] = {
        {8, 8, 7, 8}, {8, 8, 8, 16}, {10, 4, 100, 102}, {4000, 4000, 9000, 12000}, {4000, 4000, 11999, 12000},
        {4000, 4000, 12000, 16000}, {16, 0, 50, 51}, {16, -5, 50, 51}, {0, 1, 3, 4},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        ASSERT_EQ(1, writer.begin(c.initial, c.step)) << "case " << i;
        std::string piece(c.piece, 'p');
        writer.append(piece.c_str());
        EXPECT_EQ(0, writer.error) << "case " << i;
        EXPECT_EQ(c.capacity, writer.capacity) << "case " << i;
        EXPECT_EQ(piece, text()) << "case " << i;
        EXPECT_LE(writer.capacity, GlobalSize(writer.buffer)) << "case " << i;
    }
}

TEST_F(WriterTest, WithoutABlockEveryAppendFailsAndNothingIsWritten)
{
    writer.write_section("Port Settings");
    EXPECT_EQ(1, writer.error);
    std::string path = path_of("never.ini");
    EXPECT_EQ(0, writer.write_to_file(wide(path).c_str()));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));

    ASSERT_EQ(1, writer.begin(8, 8));
    EXPECT_EQ(0, writer.error) << "begin starts over";
}

TEST_F(WriterTest, LongSectionNamesAndKeysAreCutSoThatEveryLineStillEnds)
{
    std::string name37(37, 'S');
    std::string key(400, 'k');
    ASSERT_EQ(1, writer.begin(4000, 4000));
    writer.write_section(name37.c_str());
    EXPECT_EQ("[" + name37 + "]\r\n", text());

    // One character over is cut right there.
    ASSERT_EQ(1, writer.begin(4000, 4000));
    writer.write_section((name37 + "X").c_str());
    EXPECT_EQ("[" + name37 + "]\r\n", text());

    ASSERT_EQ(1, writer.begin(4000, 4000));
    writer.write_int(key.c_str(), -1234);
    std::string line = text();
    EXPECT_EQ(301u, line.size());
    EXPECT_EQ("=-1234\r\n", line.substr(line.size() - 8));
    EXPECT_EQ(std::string(293, 'k'), line.substr(0, 293));

    const size_t bool_keys[] = {297, 298, 400};  // the longest whole, one over, far over
    for (size_t length : bool_keys) {
        ASSERT_EQ(1, writer.begin(4000, 4000));
        writer.write_bool(std::string(length, 'k').c_str(), 1);
        EXPECT_EQ(std::string(297, 'k') + "=1\r\n", text()) << "key of " << length;
    }

    // The tiniest buffers keep the brackets, the '=' and the line end.
    IniWriter tiny(0, 0);
    ASSERT_EQ(1, tiny.begin(4, 4));
    tiny.write_section("Name");
    tiny.write_int("Key", 7);
    EXPECT_EQ("[]\r\n=7\r\n", std::string(tiny.buffer, tiny.used));
    tiny.release();
}

TEST_F(WriterTest, WriteToFileReplacesTheFileWithExactlyTheText)
{
    std::string path = path_of("Quorvex.ini");
    ASSERT_TRUE(write_file(path, std::string(10000, 'o')));
    ASSERT_EQ(1, writer.begin(4000, 4000));
    writer.write_section("A");
    writer.write_int("k", 1);
    EXPECT_EQ(1, writer.write_to_file(wide(path).c_str()));
    EXPECT_EQ("[A]\r\nk=1\r\n", read_file(path));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((path + ".tmp").c_str()))
        << "the temporary file stayed";

    ASSERT_EQ(1, writer.begin(4000, 4000));
    EXPECT_EQ(1, writer.write_to_file(wide(path).c_str()));
    EXPECT_EQ("", read_file(path)) << "an empty text makes an empty file";
}

// What stands at `path`: "nothing", "a folder" or "a file of N bytes".
std::string what_is_at(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return "nothing";
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return "a folder";
    return "a file of " + std::to_string(data.nFileSizeLow) + " bytes";
}

// Each way a save can fail part-way leaves the old file as it was, and at
// the temporary name only what the test itself put there.
TEST_F(WriterTest, ASaveThatFailsLeavesTheOldFileWhole)
{
    const std::string old_text = "[Port Settings]\r\nComm=3\r\n[Old commands]\r\nATI\r\n";
    std::string path = path_of("Quorvex.ini");
    std::string temporary = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
    // Another program's handle without sharing, held while the save runs.
    static HANDLE holder;
    struct Case {
        const char* what;
        void (*arrange)(const std::string& path, const std::string& temporary);
        void (*undo)(const std::string& path, const std::string& temporary);
        const char* at_temporary;  // after the failed save, before the undo
    } cases[] = {
        {"the temporary file cannot be created: a folder has its name",
         [](const std::string&, const std::string& temp) {
             ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
         },
         [](const std::string&, const std::string& temp) { RemoveDirectoryA(temp.c_str()); },
         "a folder"},
        {"the temporary file cannot be created: another program holds it",
         [](const std::string&, const std::string& temp) {
             holder = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                  nullptr);
             ASSERT_NE(INVALID_HANDLE_VALUE, holder);
         },
         [](const std::string&, const std::string& temp) {
             CloseHandle(holder);
             DeleteFileA(temp.c_str());
         },
         "a file of 0 bytes"},
        {"the old file cannot be replaced: another program holds it",
         [](const std::string& file, const std::string&) {
             holder = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
             ASSERT_NE(INVALID_HANDLE_VALUE, holder);
         },
         [](const std::string&, const std::string&) { CloseHandle(holder); }, "nothing"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        ASSERT_TRUE(write_file(path, old_text));
        c.arrange(path, temporary);
        ASSERT_EQ(1, writer.begin(4000, 4000));
        writer.write_section("Port Settings");
        writer.write_int("Comm", 0);
        EXPECT_EQ(0, writer.write_to_file(wide(path).c_str())) << "case " << i << ": " << c.what;
        EXPECT_EQ(c.at_temporary, what_is_at(temporary)) << "case " << i << ": " << c.what;
        c.undo(path, temporary);
        EXPECT_EQ(old_text, read_file(path)) << "case " << i << ": " << c.what;
    }
}

DWORD WINAPI release_after_half_a_second(LPVOID handle)
{
    Sleep(500);
    CloseHandle(static_cast<HANDLE>(handle));
    return 0;
}

// A file another program holds for a moment (a backup or sync tool) is
// waited for: the save goes through once it lets go.
TEST_F(WriterTest, AFileHeldForAMomentIsWaitedFor)
{
    std::string path = path_of("Quorvex.ini");
    const std::string names[] = {path, path + "." + std::to_string(GetCurrentProcessId()) + ".tmp"};
    for (const std::string& held : names) {
        ASSERT_TRUE(write_file(path, "old"));
        HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, holder) << held;
        HANDLE releaser = CreateThread(nullptr, 0, release_after_half_a_second, holder, 0, nullptr);
        ASSERT_NE(nullptr, releaser);
        ASSERT_EQ(1, writer.begin(4000, 4000));
        writer.write_line("new");
        EXPECT_EQ(1, writer.write_to_file(wide(path).c_str())) << held << " held";
        WaitForSingleObject(releaser, INFINITE);
        CloseHandle(releaser);
        EXPECT_EQ("new\r\n", read_file(path)) << held << " held";
    }
}

TEST_F(WriterTest, APathWithNoRoomForTheTemporaryNameIsRefused)
{
    ASSERT_EQ(1, writer.begin(4000, 4000));
    writer.write_line("x");
    std::string long_path = folder + std::string(MAX_PATH - folder.size() - 3, 'p');
    EXPECT_EQ(0, writer.write_to_file(wide(long_path).c_str()));
    std::string far_too_long(5000, 'q');
    EXPECT_EQ(0, writer.write_to_file(wide(far_too_long).c_str()));
    EXPECT_EQ(0, writer.write_to_file(L""));
}

}  // namespace
