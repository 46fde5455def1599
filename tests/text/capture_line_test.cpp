#include "text/capture_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/text_helpers.h"

TEST(CaptureLine, StampTextAndLineEndOrNothing)
{
    struct Case {
        const char* stamp;
        std::string text;
        int out_size;
        std::string line;  // "" when refused
    } cases[] = {
        {nullptr, "OK", 16, "OK\r\n"},
        {"", "caf\xc3\xa9", 7, "caf\xc3\xa9\r\n"},
        {nullptr, "caf\xc3\xa9", 6, ""},
        {nullptr, "", 2, "\r\n"},
        {"11:05:12.345 ", "OK", 17, "11:05:12.345 OK\r\n"},
        {"11:05:12.345 ", "OK", 16, ""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        char out[40];
        memset(out, 0x7f, sizeof out);
        int length = format_capture_line(c.stamp, c.text.data(), static_cast<int>(c.text.size()),
                                         out, c.out_size);
        EXPECT_EQ(printable(c.line), printable(std::string(out, static_cast<size_t>(length))))
            << "case " << i << ": into " << c.out_size;
        EXPECT_EQ(0x7f, out[c.out_size]) << "case " << i << ": written past the buffer";
    }
}
