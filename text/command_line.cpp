#include "text/command_line.h"
#include "text/port_names.h"
#include "text/upper_ascii.h"

const char command_line_usage[] =
    "Quorvex.exe [COMn] [rate] [frame] [/flow:none|rtscts|xonxoff] [/dtr:on|off] "
    "[/rts:on|off] [/capture:PATH] [/script:PATH [/exit] [/log:PATH]]\n\n"
    "frame: data bits 7/8, parity N/E/O/M/S, stop bits 1/1.5/2, e.g. 8N1";

namespace {

// The fixed words: each sets one field of CommandLine (counted in its
// 32-bit fields from the start) to a value.
struct Word {
    char text[14];
    int8_t field;
    int8_t value;
};
const Word words[] = {
    {"/flow:none", 5, 0}, {"/flow:rtscts", 5, 1}, {"/flow:xonxoff", 5, 2},
    {"/dtr:off", 6, 0},   {"/dtr:on", 6, 1},      {"/rts:off", 7, 0},
    {"/rts:on", 7, 1},    {"/exit", 8, 1},
};

// The arguments that end in a path, which must not be empty.
const struct {
    char prefix[10];
    int8_t length;
    int8_t kind;
} path_arguments[] = {
    {"/capture:", capture_path_offset, argument_capture},
    {"/script:", script_path_offset, argument_script},
    {"/log:", log_path_offset, argument_log},
};

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
    if (parity < 0)
        return false;
    const char* stop = text + 2;
    int32_t stop_bits = equal_ignoring_ascii_case(stop, "1")     ? 0
                        : equal_ignoring_ascii_case(stop, "1.5") ? 1
                        : equal_ignoring_ascii_case(stop, "2")   ? 2
                                                                 : -1;
    if (stop_bits < 0)
        return false;
    line.data_bits = data;
    line.parity = parity;
    line.stop_bits = stop_bits;
    return true;
}

}  // namespace

int32_t parse_argument(const char* argument, int32_t index, CommandLine& line)
{
    if (!argument)
        return argument_unknown;
    int32_t port = index == 0 ? parse_port_name(argument) : 0;
    long baud = parse_baud_rate(argument);
    if (port) {
        line.port = port;
        return argument_setting;
    }
    if (baud) {
        line.baud = static_cast<int32_t>(baud);
        return argument_setting;
    }
    if (parse_frame(argument, line))
        return argument_setting;
    for (const Word& word : words)
        if (equal_ignoring_ascii_case(argument, word.text)) {
            reinterpret_cast<int32_t*>(&line)[word.field] = word.value;
            return argument_setting;
        }
    for (const auto& path : path_arguments) {
        int length = 0;
        while (argument[length] && length < path.length)
            ++length;
        char prefix[sizeof path.prefix];
        for (int i = 0; i < length; ++i)
            prefix[i] = argument[i];
        prefix[length] = '\0';
        if (length == path.length && argument[length] && equal_ignoring_ascii_case(prefix, path.prefix))
            return path.kind;
    }
    return argument_unknown;
}
