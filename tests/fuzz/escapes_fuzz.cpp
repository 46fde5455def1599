// Any text expands without reading or writing past its buffers, into no
// more bytes than it has: into a separate buffer of exactly that size, and
// in place, as the program sends a line, to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "text/escapes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* text = static_cast<char*>(malloc(size + 1));
    memcpy(text, data, size);
    text[size] = '\0';
    size_t length = strlen(text);
    // Exactly `length` bytes, so that a one-byte overrun is caught.
    char* out = static_cast<char*>(malloc(length ? length : 1));
    int got = expand_escapes(text, out, static_cast<int>(length));
    if (got < 0 || static_cast<size_t>(got) > length)
        abort();
    char* line = static_cast<char*>(malloc(length + 1));
    memcpy(line, text, length + 1);
    int in_place = expand_escapes(line, line, static_cast<int>(length));
    if (in_place != got || memcmp(line, out, static_cast<size_t>(got)) != 0)
        abort();
    free(line);
    free(out);
    free(text);
    return 0;
}
