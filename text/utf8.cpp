#include "text/utf8.h"

int utf8_sequence_length(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead < 0xc2)
        return 0;  // a continuation byte, or the lead of an overlong form
    if (lead < 0xe0)
        return 2;
    if (lead < 0xf0)
        return 3;
    return lead < 0xf5 ? 4 : 0;
}

// The second byte's range rules out overlong forms (E0, F0), surrogates
// (ED) and code points past U+10FFFF (F4).
bool utf8_continues(unsigned char lead, int index, unsigned char byte)
{
    unsigned char low = 0x80, high = 0xbf;
    if (index == 1) {
        if (lead == 0xe0)
            low = 0xa0;
        else if (lead == 0xed)
            high = 0x9f;
        else if (lead == 0xf0)
            low = 0x90;
        else if (lead == 0xf4)
            high = 0x8f;
    }
    return byte >= low && byte <= high;
}
