#include "text/command_line.h"
#include "text/port_names.h"
#include "text/upper_ascii.h"

const char command_line_usage[] =
    "Quorvex.exe [COMn] [rate] [frame] [/flow:none|rtscts|xonxoff] [/dtr:on|off] "
    "[/rts:on|off] [/capture:PATH]\n\n"
    "frame: data bits 7 or 8, parity N, E, O, M or S, stop bits 1, 1.5 or 2 (e.g. 8N1, 7E1.5)";

namespace {

// Whether `text` begins with `prefix` (ASCII letters in either case); the
// position after it, or null.
const char* after_prefix(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix)
        if (upper_ascii_char(*text) != upper_ascii_char(*prefix))
            return nullptr;
    return text;
}

// The index of `text` among the '|'-separated `choices` (either case); -1.
int32_t choice_index(const char* text, const char* choices)
{
    for (int32_t index = 0;; ++index) {
        const char* rest = text;
        while (*choices && *choices != '|' && *rest &&
               upper_ascii_char(*rest) == upper_ascii_char(*choices)) {
            ++rest;
            ++choices;
        }
        if (!*rest && (!*choices || *choices == '|'))
            return index;
        while (*choices && *choices != '|')
            ++choices;
        if (!*choices++)
            return -1;
    }
}

// The position of `c` (either case) in `set`; -1 when it is not there.
int32_t char_index(char c, const char* set)
{
    for (int32_t index = 0; c && set[index]; ++index)
        if (upper_ascii_char(c) == set[index])
            return index;
    return -1;
}

// "8N1", "7E1.5", "8O2": data bits, parity and stop bits.
bool parse_frame(const char* text, CommandLine& line)
{
    int32_t data = char_index(text[0], "87");
    int32_t parity = data >= 0 ? char_index(text[1], "NOEMS") : -1;
    int32_t stop = parity >= 0 ? choice_index(text + 2, "1|1.5|2") : -1;
    if (stop < 0)
        return false;
    line.data_bits = data;
    line.parity = parity;
    line.stop_bits = stop;
    return true;
}

// "/name:choice" with the choice's index in `field`.
bool parse_option(const char* argument, const char* name, const char* choices, int32_t& field)
{
    const char* value = after_prefix(argument, name);
    int32_t index = value ? choice_index(value, choices) : -1;
    if (index < 0)
        return false;
    field = index;
    return true;
}

}  // namespace

int32_t parse_argument(const char* argument, int32_t index, CommandLine& line)
{
    if (!argument)
        return argument_unknown;
    int32_t port = index == 0 ? parse_port_name(argument) : 0;
    long baud = parse_baud_rate(argument);
    const char* path = after_prefix(argument, "/capture:");
    if (port)
        line.port = port;
    else if (baud)
        line.baud = static_cast<int32_t>(baud);
    else if (path && *path)
        return argument_capture;
    else if (!parse_frame(argument, line) &&
             !parse_option(argument, "/flow:", "none|rtscts|xonxoff", line.flow) &&
             !parse_option(argument, "/dtr:", "off|on", line.dtr) &&
             !parse_option(argument, "/rts:", "off|on", line.rts))
        return argument_unknown;
    return argument_setting;
}
