#pragma once
#include <cstdint>
#include "script/line_pattern.h"

// A test script: one command a line, '#' starting a comment, texts in double
// quotes (\" for a quote; the escapes and {checksum} tokens of the command
// field), times in ms or with s ("500", "2s", "1.5s"). The commands:
//   send "AT"        the text, then the line end chosen in the window
//   sendraw "AT\r"   the text only
//   sendhex "01 03 00 00 00 0A {crc16modbus}"
//   wait "OK" [time] [else goto LABEL]      the text among the bytes not yet
//   wait /regex/ [time] [else goto LABEL]   matched, or the pattern on a whole
//                                           received line; groups are $1..$9
//   expect ...       as wait, but only bytes received after the last send
//   delay TIME   repeat N { ... }   label NAME   goto NAME
//   set NAME = VALUE [+|- VALUE]    if VALUE <|<=|>|>=|==|!= VALUE COMMAND
//   log "text"   pass   fail ["reason"]
//   dtr on|off   rts on|off   break [TIME]   baud RATE   open   close
//   capture "file.log" | capture off
// A VALUE is a number, a text in quotes or $NAME; $1..$9, $NAME and $$ (a
// dollar) are replaced in texts when the command runs.

enum class ScriptOp : uint8_t {
    send, sendraw, sendhex, wait, expect, delay, repeat, end_repeat, label, jump, set, test,
    log, pass, fail, dtr, rts, line_break, baud, open, close, capture,
};

// How `if` compares, and `set` combines.
enum class ScriptCompare : uint8_t { less, less_equal, greater, greater_equal, equal, not_equal };

struct ScriptStep {
    ScriptOp op;
    uint8_t flag;        // dtr, rts: on; wait, expect: a pattern; capture: off;
                         // set: '+', '-' or 0; if: a ScriptCompare
    int16_t pattern;     // wait, expect: the pattern's index
    int32_t line;        // in the script, from 1
    int32_t number;      // wait, expect, delay, break: ms; repeat: count; baud;
                         // set: the value's text offset
    int32_t target;      // goto, else goto: the step; repeat: its end's step,
                         // and the end its repeat's; if: the step after its command
    int32_t text;        // the text, the variable's name, or the left value: an
                         // offset into the script's texts, -1 none
    int32_t text2;       // set, if: the right value; -1 none
};

// Default times: a wait without its own, and a break.
constexpr int32_t script_default_wait_ms = 10000;
constexpr int32_t script_default_break_ms = 250;

struct Script {
    static constexpr int max_steps = 1000;
    static constexpr int max_text = 32768;
    static constexpr int max_patterns = 16;
    ScriptStep steps[max_steps];
    int count = 0;
    char texts[max_text];  // NUL-ended texts one after another
    int text_used = 0;
    LinePattern patterns[max_patterns];
    int pattern_count = 0;
    const char* text(int32_t offset) const { return offset >= 0 ? texts + offset : ""; }
};

// Reads the `length` bytes at `source` into `script`. True when the whole
// script is well formed; otherwise false with `error` (room for 128
// characters) holding the first fault as "line 7: wait needs a text or a
// pattern", and `script` not to be run.
bool parse_script(const char* source, int length, Script& script, char* error);
