#include "transfer/file_header.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

TEST(FileHeader, MakesEveryNameSafeForTheChosenFolder)
{
    const std::string long_name(300, 'a');
    // Cut at 254 bytes, which would split a two-byte character: one less.
    const std::string long_utf8 = [] { std::string s = "x"; for (int i = 0; i < 200; ++i) s += "\xc3\xa9"; return s; }();
    struct Case {
        std::string in, expected;
    } cases[] = {
        {"report.txt", "report.txt"},
        {"../../etc/passwd", "passwd"},
        {"C:\\Windows\\win.ini", "win.ini"},
        {"C:boot.ini", "boot.ini"},
        {"dir/", "unnamed"},
        {"..", "unnamed"},
        {".", "unnamed"},
        {"", "unnamed"},
        {"a.. ", "a"},
        {".profile", ".profile"},
        {"a<b>c\"d|e?f*g\x01h\x7f", "a_b_c_d_e_f_g_h_"},
        {std::string("x\0y", 3), "x_y"},
        {"CON", "_CON"},
        {"nul.txt", "_nul.txt"},
        {"com7.log", "_com7.log"},
        {"console", "console"},
        {"lpt", "lpt"},
        {long_name, std::string(254, 'a')},
        {long_utf8, long_utf8.substr(0, 253)},
        {"\xc3\xa9t\xc3\xa9.txt", "\xc3\xa9t\xc3\xa9.txt"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        char out[transfer_name_room];
        memset(out, 0xff, sizeof out);
        make_safe_file_name(cases[i].in.data(), static_cast<int>(cases[i].in.size()), out);
        EXPECT_EQ(cases[i].expected, out) << "case " << i << ": " << cases[i].in;
    }
}

TEST(FileHeader, ReadsNameSizeAndTime)
{
    struct Case {
        std::string block;
        bool ok;
        std::string name;
        bool size_known;
        uint32_t size, mtime;
    } cases[] = {
        {std::string("a.bin\0" "1025 14000000000 100644 0", 31), true, "a.bin", true, 1025, 014000000000},
        {std::string("a.bin\0" "7", 7), true, "a.bin", true, 7, 0},
        {std::string("a.bin\0", 6), true, "a.bin", false, 0, 0},
        {std::string("a.bin\0" "x 5", 9), true, "a.bin", false, 0, 0},
        {std::string("a.bin\0" "4294967295 7", 18), true, "a.bin", true, 4294967295u, 7},
        {std::string("a.bin\0" "4294967296", 16), true, "a.bin", false, 0, 0},
        {std::string("a.bin\0" "12 99999999999", 20), true, "a.bin", true, 12, 0},
        {std::string("../x\0" "3", 6), true, "x", true, 3, 0},
        {"no end to the name", false, "", false, 0, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        TransferFile file;
        memset(&file, 0xff, sizeof file);
        const auto* data = reinterpret_cast<const uint8_t*>(cases[i].block.data());
        bool ok = parse_file_header(data, static_cast<int>(cases[i].block.size()), &file);
        ASSERT_EQ(cases[i].ok, ok) << "case " << i;
        if (!ok)
            continue;
        EXPECT_EQ(cases[i].name, file.name) << "case " << i;
        EXPECT_EQ(cases[i].size_known, file.size_known) << "case " << i;
        EXPECT_EQ(cases[i].size, file.size) << "case " << i;
        EXPECT_EQ(cases[i].mtime, file.mtime) << "case " << i;
    }
}

TEST(FileHeader, WritesNameSizeAndTimeInTheSmallestBlock)
{
    struct Case {
        std::string name;
        uint32_t size, mtime;
        int length;
        std::string text;  // up to the last NUL
    } cases[] = {
        {"a.bin", 1025, 0, 128, std::string("a.bin\0" "1025", 10)},
        {"dir/a.bin", 0, 8, 128, std::string("a.bin\0" "0 10", 10)},
        {std::string(124, 'n'), 5, 0, 128, std::string(124, 'n') + std::string("\0" "5", 2)},
        {std::string(125, 'n'), 50, 0, 1024, std::string(125, 'n') + std::string("\0" "50", 3)},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        TransferFile file = {};
        snprintf(file.name, sizeof file.name, "%s", cases[i].name.c_str());
        file.size = cases[i].size;
        file.mtime = cases[i].mtime;
        uint8_t data[1024];
        memset(data, 0xff, sizeof data);
        EXPECT_EQ(cases[i].length, build_file_header(&file, data)) << "case " << i;
        std::string text(reinterpret_cast<char*>(data), cases[i].text.size());
        EXPECT_EQ(cases[i].text, text) << "case " << i;
        for (size_t k = cases[i].text.size(); k < 1024; ++k)
            ASSERT_EQ(0, data[k]) << "case " << i << ": byte " << k;
    }
    uint8_t end[1024];
    EXPECT_EQ(128, build_file_header(nullptr, end));
    EXPECT_TRUE(is_batch_end(end));
}
