// Any bytes as up to four arguments (split at NUL bytes): nothing may read
// out of bounds, and what is accepted must be in range.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include "text/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* text = static_cast<char*>(malloc(size + 1));
    if (!text)
        return 0;
    memcpy(text, data, size);
    text[size] = '\0';
    CommandLine line;
    const char* argument = text;
    for (int32_t index = 0; index < 4 && argument <= text + size; ++index) {
        int32_t kind = parse_argument(argument, index, line);
        if ((kind == argument_capture && strlen(argument) <= capture_path_offset) ||
            (kind == argument_script && strlen(argument) <= script_path_offset) ||
            (kind == argument_log && strlen(argument) <= log_path_offset))
            abort();
        argument += strlen(argument) + 1;
    }
    if (line.port < 0 || line.port > 256 || line.data_bits < -1 || line.data_bits > 1 ||
        line.parity < -1 || line.parity > 4 || line.stop_bits < -1 || line.stop_bits > 2 ||
        line.flow < -1 || line.flow > 2 || line.dtr < -1 || line.dtr > 1 || line.rts < -1 ||
        line.rts > 1 || line.exit_after_script < 0 || line.exit_after_script > 1 ||
        (line.baud != 0 && (line.baud < 50 || line.baud > 4000000)))
        abort();
    free(text);
    return 0;
}
