// Any bytes as a port name, a rate, a flow name and a friendly name: nothing
// may read or write out of bounds, and what is accepted must be in range.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include "text/port_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    char* text = static_cast<char*>(malloc(size + 1));
    if (!text)
        return 0;
    memcpy(text, data, size);
    text[size] = '\0';
    int port = parse_port_name(text);
    if (port < 0 || port > highest_port_number)
        abort();
    long rate = parse_baud_rate(text);
    if (rate != 0 && (rate < lowest_baud_rate || rate > highest_baud_rate))
        abort();
    parse_flow_name(text);
    char entry[40];
    format_port_entry(entry, sizeof entry, port, text);
    if (strlen(entry) >= sizeof entry)
        abort();
    char line[24];
    format_line_settings(line, sizeof line, size > 0 ? data[0] : 0, static_cast<unsigned long>(rate),
                         size > 1 ? data[1] % 9 : 8, size > 2 ? static_cast<char>(data[2]) : 'N',
                         size > 3 ? data[3] % 4 : 0);
    free(text);
    return 0;
}
