#include "text/upper_ascii.h"

char* upper_ascii(char* text)
{
    for (char* p = text; *p; ++p)
        *p = upper_ascii_char(*p);
    return text;
}
