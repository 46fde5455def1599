#include "text/upper_ascii.h"

char* upper_ascii(char* text)
{
    for (char* p = text; *p; ++p)
        *p = upper_ascii_char(*p);
    return text;
}

bool equal_ignoring_ascii_case(const char* a, const char* b)
{
    for (; upper_ascii_char(*a) == upper_ascii_char(*b); ++a, ++b)
        if (!*a)
            return true;
    return false;
}
