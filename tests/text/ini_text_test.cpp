#include "text/ini_text.h"

#include <gtest/gtest.h>

#include <string>

// A key's name matches when it is the same but for the case of ASCII letters,
// and only then, whatever the system's language.
TEST(IniText, KeysMatchInEitherCaseOfAsciiLettersOnly)
{
    struct Case { const char* text; int32_t found; int32_t value; };
    const Case cases[] = {
        {"[S]\r\ncomm=5\r\n", 1, 5},
        {"[S]\r\nCOMM=6", 1, 6},
        {"[S]\r\nComm\xad=7\r\nComm=8\r\n", 1, 8},  // a soft hyphen is a character too
        {"[S]\r\nComm =3\r\nc\xd6mm=2\r\ncomm=4\r\n", 1, 4},
        {"[S]\r\nCom=1\r\nCommx=2\r\n", 0, -1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::string text = cases[i].text;
        IniText reader(settings_section_name_length, settings_line_length);
        reader.attach(&text[0], static_cast<uint32_t>(text.size()));
        ASSERT_EQ(1, reader.find_section("s")) << "case " << i;
        int32_t value = 0x7f7f7f7f;
        EXPECT_EQ(cases[i].found, reader.get_int("Comm", &value, -1)) << "case " << i;
        EXPECT_EQ(cases[i].value, value) << "case " << i << ": " << cases[i].text;
    }
}
