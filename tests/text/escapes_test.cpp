#include "text/escapes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(Escapes, ExpandsKnownEscapesAndKeepsOtherBackslashes)
{
    struct Case {
        const char* typed;
        std::string sent;
    } cases[] = {
        {"", ""},
        {"AT\\r\\n", "AT\r\n"},
        {"\\R\\N\\T\\\\", "\r\n\t\\"},
        {"\\x00\\xFf\\X41", std::string("\0\xff" "A", 3)},
        {"\\x4", "\\x4"},
        {"\\xg1", "\\xg1"},
        {"\\q\\", "\\q\\"},
        {"\\\\r", "\\r"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        char out[64];
        memset(out, 0xff, sizeof out);
        int length = expand_escapes(cases[i].typed, out, sizeof out);
        EXPECT_EQ(cases[i].sent, std::string(out, length > 0 ? length : 0))
            << "case " << i << ": typed " << cases[i].typed;
    }
    char small[2];
    EXPECT_EQ(2, expand_escapes("abc", small, sizeof small)) << "a short buffer cuts";
}
