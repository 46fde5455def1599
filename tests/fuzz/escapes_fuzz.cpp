// Any text expands without writing past the buffer, into no more bytes than
// it has.
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
    char* out = static_cast<char*>(malloc(length + 1));
    int got = expand_escapes(text, out, static_cast<int>(length));
    if (got < 0 || static_cast<size_t>(got) > length)
        abort();
    free(out);
    free(text);
    return 0;
}
