#include "app/upper_ascii.h"

char* upper_ascii(char* text)
{
    for (char* p = text; *p; ++p)
        if (*p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p & ~0x20);
    return text;
}
