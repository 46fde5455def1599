#pragma once

// Turns the letters a..z of a NUL-terminated text into capitals, in place;
// every other byte, those from 0x80 up included, stays as it is. Returns text.
char* upper_ascii(char* text);
