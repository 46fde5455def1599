#pragma once
#include <cstdint>

// The program's command line, one argument at a time, without Windows:
//   Quorvex.exe [COMn] [rate] [frame] [/flow:none|rtscts|xonxoff]
//               [/dtr:on|off] [/rts:on|off] [/capture:PATH]
//               [/script:PATH [/exit] [/log:PATH]]
// The port comes first when it is named; the rest in any order, any case.

// What the arguments named; a field nobody named keeps its "not named" value.
struct CommandLine {
    int32_t port = 0;        // COM number 1..256; 0 not named
    int32_t baud = 0;        // 50..4,000,000; 0 not named
    int32_t data_bits = -1;  // settings index: 0 eight, 1 seven; -1 not named
    int32_t parity = -1;     // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int32_t stop_bits = -1;  // 0 one, 1 one and a half, 2 two
    int32_t flow = -1;       // 0 none, 1 RTS/CTS, 2 XON/XOFF
    int32_t dtr = -1;        // 0 off, 1 on
    int32_t rts = -1;
    int32_t exit_after_script = 0;  // /exit: end the program when the script ends
};

// What one argument was.
enum ArgumentKind {
    argument_unknown = 0,
    argument_setting = 1,  // stored in the CommandLine
    argument_capture = 2,  // the capture file's path begins capture_path_offset in
    argument_script = 3,   // the script's path begins script_path_offset in
    argument_log = 4,      // the script log's path begins log_path_offset in
};
const int capture_path_offset = 9;  // after "/capture:"
const int script_path_offset = 8;   // after "/script:"
const int log_path_offset = 5;      // after "/log:"

// Reads argument number `index` (0 is the first after the program's name).
// An unknown argument changes nothing.
int32_t parse_argument(const char* argument, int32_t index, CommandLine& line);

// The text shown when an argument is not understood.
extern const char command_line_usage[];
