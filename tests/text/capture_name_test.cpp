#include "text/capture_name.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::u16string widen(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// The tests' names are ASCII: each unit as one char.
std::string narrow(const char16_t* text, int length)
{
    return std::string(text, text + (length > 0 ? length : 0));
}

const CaptureTime december_9 = {2026, 12, 9, 11, 5, 12};
const std::string a255(255, 'a');

}  // namespace

// Each token; any other % kept; a name longer than its buffer refused, with
// nothing written past the buffer.
TEST(CaptureName, ExpandsAPatternWholeOrNotAtAll)
{
    struct Case {
        std::string pattern;
        CaptureTime time;
        int port;
        int size;
        std::string name;  // "" when refused
    } cases[] = {
        {"logs\\%p_%Y-%m-%d_%H%M%S.log", december_9, 7, 260, "logs\\COM7_2026-12-09_110512.log"},
        {"%Y|%m|%d|%H|%M|%S", {987, 1, 2, 3, 4, 0}, 7, 260, "0987|01|02|03|04|00"},
        {"%Y %p", {12345, 1, 1, 0, 0, 0}, 256, 260, "12345 COM256"},
        {"%%Y %%%p %x%P%q 100%", december_9, 7, 260, "%Y %COM7 %x%P%q 100%"},
        {"%", december_9, 7, 260, "%"},
        {"%%%", december_9, 7, 260, "%%"},
        {a255 + "a.lo", december_9, 7, 260, a255 + "a.lo"},
        {a255 + "a.log", december_9, 7, 260, ""},
        {a255 + "%Y", december_9, 7, 260, a255 + "2026"},
        {a255 + "a%Y", december_9, 7, 260, ""},
        {"%p", december_9, 256, 7, "COM256"},
        {"%p", december_9, 256, 6, ""},
        {"x", december_9, 7, 1, ""},
        {"", december_9, 7, 260, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        char16_t out[capture_path_room + 4];
        memset(out, 0xff, sizeof out);
        int length = expand_capture_name(widen(c.pattern).c_str(), c.time, c.port, out, c.size);
        EXPECT_EQ(c.name, narrow(out, length)) << "case " << i << ": " << c.pattern;
        EXPECT_EQ(0, out[length]) << "case " << i << ": not terminated";
        EXPECT_EQ(0xffff, out[c.size]) << "case " << i << ": written past the buffer";
    }
}

TEST(CaptureName, ListsTheFoldersToMakeButNoRoot)
{
    struct Case {
        const char* path;
        const char* folders;  // each between < >
    } cases[] = {
        {"logs\\COM7.log", "<logs>"},
        {"C:\\Logs\\2026\\COM7.log", "<C:\\Logs><C:\\Logs\\2026>"},
        {"C:/Logs/x.log", "<C:/Logs>"},
        {"C:\\x.log", ""},
        {"C:Logs\\x.log", "<C:Logs>"},
        {"\\Logs\\x.log", "<\\Logs>"},
        {"\\\\server\\share\\logs\\x.log", "<\\\\server\\share\\logs>"},
        {"\\\\server\\share\\x.log", ""},
        {"\\\\server", ""},
        {"a\\\\b\\x.log", "<a><a\\\\b>"},
        {"a\\b\\", "<a><a\\b>"},
        {"x.log", ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::u16string path = widen(cases[i].path);
        std::string folders;
        for (int end = 0, turns = 0; turns < 9 && (end = next_capture_folder(path.c_str(), end));
             ++turns)
            folders += "<" + narrow(path.c_str(), end) + ">";
        EXPECT_EQ(cases[i].folders, folders) << "case " << i << ": " << cases[i].path;
    }
}

// Each path and what is refused in it: "" for nothing, else the fault and
// where ("char 2", "device 8").
TEST(CaptureName, RefusesWhatWindowsWouldNotWrite)
{
    struct Case {
        std::u16string path;
        std::string refused;
    } cases[] = {
        {u"C:\\logs\\COM7_2026.log", ""}, {u"c:x.log", ""}, {u"\\\\server\\share\\x.log", ""},
        {u"CONSOLE.log", ""}, {u"COM10.log", ""}, {u"LPT\u00b4.log", ""}, {u"x.NUL", ""},
        {u"C:\\11:05.log", "char 5"}, {u"11:05.log", "char 2"}, {u"a*?", "char 1"},
        {u"\"a", "char 0"}, {u"a<", "char 1"}, {u"a>", "char 1"}, {u"a|", "char 1"},
        {u"a\tb", "char 1"}, {u"NUL .txt", "device 0"}, {u"C:\\logs\\COM7. .log", "device 8"},
        {u"Com7.tar.log", "device 0"}, {u"C:\\aux\\x.log", "device 3"}, {u"C:NUL", "device 2"},
        {u"COM\u00b9.log", "device 0"}, {u"lpt\u00b3", "device 0"}, {u"COM0", "device 0"},
        {u"prn", "device 0"}, {u"con.", "device 0"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        CaptureNameCheck check = check_capture_name(cases[i].path.c_str());
        const char* faults[] = {"", "char ", "device "};
        std::string seen = faults[static_cast<int>(check.fault)];
        if (check.fault != CaptureNameFault::none)
            seen += std::to_string(check.at);
        EXPECT_EQ(cases[i].refused, seen) << "case " << i;
    }
}

TEST(CaptureName, NumbersARepeatedNameBeforeItsExtension)
{
    struct Case {
        std::string name;
        int number;
        std::string numbered;  // "" when refused
    } cases[] = {
        {"COM7.log", 1, "COM7.log"},
        {"COM7.log", 2, "COM7-2.log"},
        {"COM7.log", 13, "COM7-13.log"},
        {"COM7", 3, "COM7-3"},
        {"logs.old\\COM7", 2, "logs.old\\COM7-2"},
        {"C:/a.b/COM7.tar.log", 2, "C:/a.b/COM7.tar-2.log"},
        {"logs\\.hidden", 2, "logs\\.hidden-2"},
        {"COM7.log", 0, ""},
        {"", 2, ""},
        {a255 + ".log", 1, a255 + ".log"},
        {a255 + ".log", 2, ""},
        {"a" + a255.substr(3) + ".log", 2, "a" + a255.substr(3) + "-2.log"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        char16_t out[capture_path_room + 4];
        memset(out, 0xff, sizeof out);
        int length = numbered_capture_name(widen(c.name).c_str(), c.number, out, capture_path_room);
        EXPECT_EQ(c.numbered, narrow(out, length)) << "case " << i << ": " << c.name << " " << c.number;
        EXPECT_EQ(0, out[length]) << "case " << i << ": not terminated";
        EXPECT_EQ(0xffff, out[capture_path_room]) << "case " << i << ": written past the buffer";
    }
}

// Each step asks the number for a name, then records that the file was made.
TEST(CaptureName, RemembersTheNewestNamesOfASession)
{
    struct Step {
        const char* name;
        int number;
    } steps[] = {
        {"a", 1}, {"a", 2}, {"b", 1}, {"a", 3}, {"c", 1}, {"d", 1},
        // Four kept: e takes the slot of b, recorded longest ago.
        {"e", 1}, {"a", 4}, {"b", 1}, {"d", 2}, {"A", 5}, {"", 1},
    };
    CaptureNames names;
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        std::u16string name = widen(steps[i].name);
        int number = names.number_for(name.c_str());
        EXPECT_EQ(steps[i].number, number) << "step " << i << ": " << steps[i].name;
        names.record(name.c_str(), number);
    }
    names.clear();
    EXPECT_EQ(1, names.number_for(u"a")) << "after clear";
}
