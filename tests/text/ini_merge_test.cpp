#include "text/ini_merge.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

char* resize_heap_block(char* block, uint32_t size)
{
    if (size == 0) {
        free(block);
        return nullptr;
    }
    return static_cast<char*>(realloc(block, size));
}

// What the merged text of three texts reads as, with [H] taken as a whole (an
// empty [H] and none read the same):
// "x=1 y=(none) z= H=<one><two>" for the keys x, y, z of [A] and [C] and the
// lines of [H].
std::string merged(std::string base, std::string ours, std::string theirs, bool theirs_missing)
{
    IniText base_text(40, 300), ours_text(40, 300), theirs_text(40, 300);
    base_text.attach(&base[0], static_cast<uint32_t>(base.size()));
    ours_text.attach(&ours[0], static_cast<uint32_t>(ours.size()));
    if (!theirs_missing)
        theirs_text.attach(&theirs[0], static_cast<uint32_t>(theirs.size()));
    IniTextBuilder out(40, 300, resize_heap_block);
    out.begin(16, 16);
    if (!merge_ini_texts(base_text, ours_text, theirs_text, "H\0", out))
        return "(failed)";
    std::string text(out.buffer, out.used);
    out.release();
    IniText reader(40, 300);
    reader.attach(&text[0], static_cast<uint32_t>(text.size()));
    std::string seen;
    const char* sections[] = {"A", "C"};
    for (const char* section : sections) {
        if (!reader.find_section(section))
            continue;
        const char* keys[] = {"x", "y", "z"};
        for (const char* key : keys) {
            char value[302];
            if (reader.find_key(key, value, sizeof value))
                seen += std::string(key) + "=" + value + " ";
        }
    }
    if (reader.find_section("H")) {
        seen += "H=";
        char item[302];
        while (reader.next_list_line(item, sizeof item))
            seen += std::string("<") + item + ">";
    }
    return seen;
}

TEST(IniMerge, TheFileTakesOnlyWhatThisWindowChanged)
{
    const std::string start = "[A]\r\nx=0\r\ny=0\r\n[H]\r\none\r\n";
    struct Case {
        const char* what;
        std::string base, ours, theirs;
        std::string expected;
        bool theirs_missing = false;
    } cases[] = {
        {"nobody else wrote", start, "[A]\r\nx=1\r\ny=0\r\n[H]\r\none\r\n", start,
         "x=1 y=0 H=<one>"},
        {"the other window changed another key", start, "[A]\r\nx=1\r\ny=0\r\n[H]\r\none\r\n",
         "[A]\r\nx=0\r\ny=5\r\n[H]\r\none\r\n", "x=1 y=5 H=<one>"},
        {"the other window changed the same key", start, "[A]\r\nx=1\r\ny=0\r\n[H]\r\none\r\n",
         "[A]\r\nx=2\r\ny=0\r\n", "x=1 y=0 H="},
        {"an unchanged key keeps the file's value", start, start,
         "[A]\r\nx=7\r\ny=8\r\n[H]\r\ntwo\r\n", "x=7 y=8 H=<two>"},
        {"a key this window added", start, "[A]\r\nx=0\r\ny=0\r\nz=RTS\r\n[H]\r\none\r\n",
         "[a]\r\nX=0\r\nY=3\r\n[H]\r\none\r\n", "x=0 y=3 z=RTS H=<one>"},
        {"a key this window removed reads empty", "[A]\r\nx=0\r\nz=1\r\n", "[A]\r\nx=0\r\n",
         "[a]\r\nx=4\r\nZ=1\r\n", "x=4 z= "},
        {"the history this window changed, as a whole", start,
         "[A]\r\nx=0\r\ny=0\r\n[H]\r\nnew=1\r\none\r\n",
         "[A]\r\nx=0\r\ny=0\r\n[H]\r\nother\r\n[B]\r\n", "x=0 y=0 H=<new=1><one>"},
        {"the history this window cleared", start, "[A]\r\nx=0\r\ny=0\r\n[H]\r\n",
         "[A]\r\nx=0\r\ny=0\r\n[H]\r\nother\r\n", "x=0 y=0 H="},
        {"the history the other window changed", start, "[A]\r\nx=1\r\ny=0\r\n[H]\r\none\r\n",
         "[A]\r\nx=0\r\ny=0\r\n[H]\r\nother\r\n", "x=1 y=0 H=<other>"},
        {"sections the file lacks", start, "[A]\r\nx=1\r\ny=0\r\n[H]\r\ntwo\r\n[C]\r\nz=1\r\n",
         "[A]\r\nx=0\r\n", "x=1 z=1 H=<two>"},
        {"no file", start, "[A]\r\nx=0\r\ny=1\r\n[H]\r\none\r\n", "", "y=1 H=", true},
        {"a doubled section: the first one counts", start,
         "[A]\r\nx=1\r\ny=0\r\n[H]\r\none\r\n", "[A]\r\ny=2\r\n[A]\r\nx=9\r\n", "x=1 y=2 H="},
        {"lines before the first section stay apart", start, start, "x=3\r\n[A]\r\ny=1\r\n",
         "y=1 H="},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(c.expected, merged(c.base, c.ours, c.theirs, c.theirs_missing))
            << "case " << i << ": " << c.what;
    }
}

}  // namespace
