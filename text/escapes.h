#pragma once

// Expands the escapes of a command line into the bytes to send:
// \r \n \t \\ and \xHH (exactly two hex digits), letters in either case.
// Any other backslash is kept as typed. Writes at most `out_size` bytes to
// `out` (not terminated; the result may hold NUL bytes) and returns how many.
// The result is never longer than `text`, so a buffer of strlen(text) bytes
// always suffices (a smaller one cuts the result), and `out` may be `text`
// itself: each byte is written no further on than the text read so far.
int expand_escapes(const char* text, char* out, int out_size);

// Reads one byte by the same rules from the `length` (at least 1) characters
// at `text`: a character as typed or one escape. Stores it in `byte` and
// returns how many characters it took (1 to 4).
int read_escape(const char* text, int length, char* byte);

// The value of a hex digit in either case; -1 for any other character.
int hex_digit_value(char c);
