#pragma once

// Expands the escapes of a command line into the bytes to send:
// \r \n \t \\ and \xHH (exactly two hex digits), letters in either case.
// Any other backslash is kept as typed. Writes at most `out_size` bytes to
// `out` (not terminated; the result may hold NUL bytes) and returns how many.
// The result is never longer than `text`, so a buffer of strlen(text) bytes
// always suffices (a smaller one cuts the result), and `out` may be `text`
// itself: each byte is written no further on than the text read so far.
int expand_escapes(const char* text, char* out, int out_size);
