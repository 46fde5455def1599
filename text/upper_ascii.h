#pragma once

// Turns the letters a..z of a NUL-terminated text into capitals, in place;
// every other byte, those from 0x80 up included, stays as it is. Returns text.
char* upper_ascii(char* text);

// Whether two NUL-terminated texts are equal when the letters a..z and A..Z
// are taken as the same; no other byte matches anything but itself, whatever
// the system's language.
bool equal_ignoring_ascii_case(const char* a, const char* b);

// One character's capital by the same rule.
inline char upper_ascii_char(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c & ~0x20) : c;
}
