#include "text/upper_ascii.h"

#include <gtest/gtest.h>

#include <string>

TEST(UpperAscii, OnlyTheLettersAToZChange)
{
    struct Case { const char* in; const char* out; };
    const Case cases[] = {
        {"", ""},
        {"at+cgmi?", "AT+CGMI?"},
        {"`az{", "`AZ{"},
        {"\xe4\xfc\x80\xff", "\xe4\xfc\x80\xff"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::string text = cases[i].in;
        EXPECT_STREQ(cases[i].out, upper_ascii(&text[0])) << "case " << i << ": " << cases[i].in;
    }
}
