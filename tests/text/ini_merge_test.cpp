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

// The merged text of three texts, with [H] taken as a whole.
std::string merged(std::string base, std::string ours, std::string theirs, bool theirs_missing)
{
    IniText base_text(40, 300), ours_text(40, 300), theirs_text(40, 300);
    base_text.attach(&base[0], static_cast<uint32_t>(base.size()));
    ours_text.attach(&ours[0], static_cast<uint32_t>(ours.size()));
    if (!theirs_missing)
        theirs_text.attach(&theirs[0], static_cast<uint32_t>(theirs.size()));
    IniTextBuilder out(40, 300, resize_heap_block);
    out.begin(16, 16);
    int32_t whole = merge_ini_texts(base_text, ours_text, theirs_text, "H\0", out);
    std::string text = whole ? std::string(out.buffer, out.used) : "(failed)";
    out.release();
    return text;
}

TEST(IniMerge, TheFileTakesOnlyWhatThisWindowChanged)
{
    const std::string start = "[A]\r\nx=0\r\ny=0\r\n[H]\r\none\r\n";
    struct Case {
        const char* what;
        std::string base, ours, theirs;
        std::string expected;
        bool theirs_missing;
    } cases[] = {
        {"nobody else wrote", start, "[A]\r\nx=1\r\ny=0\r\n[H]\r\none\r\n", start,
         "[A]\r\nx=1\r\ny=0\r\n[H]\r\none\r\n"},
        {"the other window changed another key", start, "[A]\r\nx=1\r\ny=0\r\n[H]\r\none\r\n",
         "[A]\r\nx=0\r\ny=5\r\n[H]\r\none\r\n", "[A]\r\nx=1\r\ny=5\r\n[H]\r\none\r\n"},
        {"the other window changed the same key", start, "[A]\r\nx=1\r\ny=0\r\n[H]\r\none\r\n",
         "[A]\r\nx=2\r\ny=0\r\n", "[A]\r\nx=1\r\ny=0\r\n"},
        {"an unchanged key keeps the file's value", start, start,
         "[A]\r\nx=7\r\ny=8\r\n[H]\r\ntwo\r\n", "[A]\r\nx=7\r\ny=8\r\n[H]\r\ntwo\r\n"},
        {"a key this window added", start, "[A]\r\nx=0\r\ny=0\r\nz=RTS\r\n[H]\r\none\r\n",
         "[A]\r\nX=0\r\nY=3\r\n[H]\r\none\r\n", "[A]\r\nX=0\r\nY=3\r\nz=RTS\r\n[H]\r\none\r\n"},
        {"a key this window removed", "[A]\r\nx=0\r\nz=1\r\n", "[A]\r\nx=0\r\n",
         "[a]\r\nx=4\r\nZ=1\r\n", "[a]\r\nx=4\r\n"},
        {"the history this window changed, as a whole", start,
         "[A]\r\nx=0\r\ny=0\r\n[H]\r\nnew=1\r\none\r\n",
         "[A]\r\nx=0\r\ny=0\r\n[H]\r\nother\r\n[B]\r\n",
         "[A]\r\nx=0\r\ny=0\r\n[H]\r\nnew=1\r\none\r\n[B]\r\n"},
        {"the history this window cleared", start, "[A]\r\nx=0\r\ny=0\r\n[H]\r\n",
         "[A]\r\nx=0\r\ny=0\r\n[H]\r\nother\r\n", "[A]\r\nx=0\r\ny=0\r\n[H]\r\n"},
        {"sections the file lacks", start, "[A]\r\nx=1\r\ny=0\r\n[H]\r\ntwo\r\n[C]\r\nk=1\r\n",
         "[A]\r\nx=0\r\n", "[A]\r\nx=1\r\n[H]\r\ntwo\r\n[C]\r\nk=1\r\n"},
        {"no file", start, "[A]\r\nx=0\r\ny=1\r\n[H]\r\none\r\n", "", "[A]\r\ny=1\r\n", true},
        {"only the first of a doubled section", start, "[A]\r\nx=1\r\ny=0\r\n[H]\r\none\r\n",
         "[A]\r\ny=0\r\n[A]\r\nx=9\r\n", "[A]\r\ny=0\r\nx=1\r\n[A]\r\nx=1\r\n"},
        {"lines before the first section stay", start, start, "; note\r\nx=3\r\n[A]\r\n",
         "; note\r\nx=3\r\n[A]\r\n"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(c.expected, merged(c.base, c.ours, c.theirs, c.theirs_missing))
            << "case " << i << ": " << c.what;
    }
}

}  // namespace
