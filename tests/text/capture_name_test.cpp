#include "text/capture_name.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::u16string widen(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// ASCII as it is, any other unit as \uXXXX, for messages.
std::string shown(const std::u16string& text)
{
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
            out += escaped;
        }
    }
    return out;
}

const CaptureTime december_9 = {2026, 12, 9, 11, 5, 12};

}  // namespace

TEST(CaptureName, ExpandsEachTokenAndKeepsAnyOtherPercent)
{
    struct Case {
        const char* pattern;
        CaptureTime time;
        int port;
        const char* name;
    } cases[] = {
        {"logs\\%p_%Y-%m-%d_%H%M%S.log", december_9, 7, "logs\\COM7_2026-12-09_110512.log"},
        {"%Y", december_9, 7, "2026"},
        {"%m", december_9, 7, "12"},
        {"%d", december_9, 7, "09"},
        {"%H", december_9, 7, "11"},
        {"%M", december_9, 7, "05"},
        {"%S", december_9, 7, "12"},
        {"%p", december_9, 7, "COM7"},
        {"%p", december_9, 256, "COM256"},
        {"%Y%m%d%H%M%S", {987, 1, 2, 0, 0, 0}, 1, "0987" "01" "02" "000000"},
        {"%Y", {12345, 1, 1, 0, 0, 0}, 1, "12345"},
        {"%%", december_9, 7, "%"},
        {"%%Y", december_9, 7, "%Y"},
        {"%%%p", december_9, 7, "%COM7"},
        {"%x%y%P%", december_9, 7, "%x%y%P%"},
        {"100%", december_9, 7, "100%"},
        {"%", december_9, 7, "%"},
        {"%q%Y", december_9, 7, "%q2026"},
        {"%%%", december_9, 7, "%%"},
        {"plain.log", december_9, 7, "plain.log"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        char16_t out[capture_path_room];
        memset(out, 0xff, sizeof out);
        int length = expand_capture_name(widen(cases[i].pattern).c_str(), cases[i].time,
                                         cases[i].port, out, capture_path_room);
        std::u16string got(out, static_cast<size_t>(length > 0 ? length : 0));
        EXPECT_EQ(cases[i].name, shown(got)) << "case " << i << ": " << cases[i].pattern;
        EXPECT_EQ(0, out[length > 0 ? length : 0]) << "case " << i << ": not terminated";
    }
    char16_t out[capture_path_room];
    const std::u16string german = u"Me\u00dfung_%p.log";
    EXPECT_EQ(u"Me\u00dfung_COM3.log",
              std::u16string(out, expand_capture_name(german.c_str(), december_9, 3, out,
                                                      capture_path_room)))
        << "other characters pass as they are";
}

TEST(CaptureName, RefusesANameLongerThanTheBuffer)
{
    struct Case {
        std::string pattern;
        int port;
        int out_size;
        int length;  // 0: refused
    } cases[] = {
        {std::string(259, 'a'), 7, capture_path_room, 259},
        {std::string(260, 'a'), 7, capture_path_room, 0},
        {std::string(255, 'a') + "%Y", 7, capture_path_room, 259},
        {std::string(256, 'a') + "%Y", 7, capture_path_room, 0},
        {std::string(257, 'a') + "%%", 7, capture_path_room, 258},
        {"%p", 256, 7, 6},
        {"%p", 256, 6, 0},
        {"%p%Y", 256, 10, 0},
        {"x", 7, 1, 0},
        {"", 7, capture_path_room, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        // Units past out_size keep their fill: nothing is written beyond.
        char16_t out[capture_path_room + 4];
        memset(out, 0xff, sizeof out);
        int length = expand_capture_name(widen(cases[i].pattern).c_str(), december_9,
                                         cases[i].port, out, cases[i].out_size);
        EXPECT_EQ(cases[i].length, length) << "case " << i << ": pattern of "
                                           << cases[i].pattern.size() << " into "
                                           << cases[i].out_size;
        EXPECT_EQ(0, out[length > 0 ? length : 0]) << "case " << i << ": a refused name is empty";
        EXPECT_EQ(0xffff, out[cases[i].out_size]) << "case " << i << ": written past the buffer";
    }
    EXPECT_EQ(0, expand_capture_name(nullptr, december_9, 7, nullptr, 0)) << "no buffer";
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
        {"//server/share/a/b/x.log", "<//server/share/a><//server/share/a/b>"},
        {"\\\\server\\share\\x.log", ""},
        {"\\\\server", ""},
        {"a\\\\b\\x.log", "<a><a\\\\b>"},
        {"a\\b\\", "<a><a\\b>"},
        {"..\\logs\\x.log", "<..><..\\logs>"},
        {"x.log", ""},
        {"", ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::u16string path = widen(cases[i].path);
        std::string folders;
        int end = 0;
        for (int turns = 0; turns < 20 && (end = next_capture_folder(path.c_str(), end)) > 0;
             ++turns)
            folders += "<" + shown(path.substr(0, static_cast<size_t>(end))) + ">";
        EXPECT_EQ(cases[i].folders, folders) << "case " << i << ": " << cases[i].path;
    }
    EXPECT_EQ(0, next_capture_folder(nullptr, 0));
}

TEST(CaptureName, NumbersARepeatedNameBeforeItsExtension)
{
    struct Case {
        const char* name;
        int number;
        const char* numbered;  // "" when refused
    } cases[] = {
        {"COM7.log", 1, "COM7.log"},
        {"COM7.log", 2, "COM7-2.log"},
        {"COM7.log", 3, "COM7-3.log"},
        {"COM7.log", 12, "COM7-12.log"},
        {"COM7", 2, "COM7-2"},
        {"logs.old\\COM7", 2, "logs.old\\COM7-2"},
        {"logs.old/COM7", 3, "logs.old/COM7-3"},
        {"C:\\a.b\\COM7.tar.log", 2, "C:\\a.b\\COM7.tar-2.log"},
        {".log", 2, ".log-2"},
        {"logs\\.hidden", 2, "logs\\.hidden-2"},
        {"COM7.", 2, "COM7-2."},
        {"COM7.log", 0, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        char16_t out[capture_path_room];
        memset(out, 0xff, sizeof out);
        int length = numbered_capture_name(widen(cases[i].name).c_str(), cases[i].number, out,
                                           capture_path_room);
        EXPECT_EQ(cases[i].numbered, shown(std::u16string(out, static_cast<size_t>(length))))
            << "case " << i << ": " << cases[i].name << " number " << cases[i].number;
        EXPECT_EQ(0, out[length]) << "case " << i << ": not terminated";
    }
}

TEST(CaptureName, RefusesANumberedNameThatDoesNotFit)
{
    struct Case {
        std::string name;
        int number;
        int length;  // 0: refused
    } cases[] = {
        {std::string(255, 'a') + ".log", 1, 259},
        {std::string(255, 'a') + ".log", 2, 0},
        {std::string(253, 'a') + ".log", 2, 259},
        {std::string(253, 'a') + ".log", 10, 0},
        {std::string(260, 'a'), 1, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        char16_t out[capture_path_room + 4];
        memset(out, 0xff, sizeof out);
        int length = numbered_capture_name(widen(cases[i].name).c_str(), cases[i].number, out,
                                           capture_path_room);
        EXPECT_EQ(cases[i].length, length)
            << "case " << i << ": name of " << cases[i].name.size() << ", number "
            << cases[i].number;
        EXPECT_EQ(0, out[length]) << "case " << i << ": a refused name is empty";
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
        {"a.log", 1}, {"a.log", 2}, {"b.log", 1}, {"a.log", 3}, {"c.log", 1}, {"d.log", 1},
        // Four kept: e takes b's slot, recorded longest ago; a stays.
        {"e.log", 1}, {"a.log", 4}, {"b.log", 1}, {"d.log", 2}, {"c.log", 1},
        // Windows sees one file in names that differ in case only.
        {"A.LOG", 5},
    };
    CaptureNames names;
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        std::u16string name = widen(steps[i].name);
        int number = names.number_for(name.c_str());
        EXPECT_EQ(steps[i].number, number) << "step " << i << ": " << steps[i].name;
        names.record(name.c_str(), number);
    }
    names.clear();
    EXPECT_EQ(1, names.number_for(u"a.log")) << "after clear";
    const std::u16string too_long(capture_path_room, u'x');
    names.record(too_long.c_str(), 1);
    EXPECT_EQ(1, names.number_for(too_long.c_str())) << "a name too long to keep";
    EXPECT_EQ(1, names.number_for(nullptr));
}
