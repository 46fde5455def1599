// Scripts that are refused before they run, each with the line and reason
// the user reads; and well-formed ones, with the steps they make.
#include <gtest/gtest.h>
#include <cstring>
#include "script/script.h"

namespace {

Script parsed;

bool parse(const char* source, char* error)
{
    return parse_script(source, static_cast<int>(strlen(source)), parsed, error);
}

TEST(ScriptParse, RefusesWithLineAndReason)
{
    const struct {
        const char* source;
        const char* error;
    } cases[] = {
        {"send \"AT\"\n\n# c\nwait 2000", "line 4: wait needs a text or a pattern"},
        {"expect", "line 1: expect needs a text or a pattern"},
        {"send AT", "line 1: send needs a text in quotes"},
        {"sendraw", "line 1: sendraw needs a text in quotes"},
        {"sendhex \"01 0G\"", "line 1: Not hex: 0G"},
        {"sendhex \"01 {crc99}\"", "line 1: Unknown checksum: {crc99}"},
        {"send \"AT", "line 1: a text without its closing quote"},
        {"wait /abc", "line 1: a pattern without its closing /"},
        {"wait /(ab/", "line 1: pattern: unclosed ("},
        {"wait /a\\1/", "line 1: pattern: unsupported escape"},
        {"wait \"OK\" soon", "line 1: a time is a number of ms or s, e.g. 500 or 2s"},
        {"wait \"OK\" 100 else", "line 1: else needs goto and a label"},
        {"wait \"OK\" else goto nowhere", "line 1: no label \"nowhere\""},
        {"wait \"\"", "line 1: an empty text never arrives"},
        {"delay", "line 1: delay needs a time, e.g. 500 or 2s"},
        {"delay 1.5", "line 1: delay needs a time, e.g. 500 or 2s"},
        {"delay 90000s", "line 1: a time longer than a day"},
        {"repeat 3\n}", "line 1: repeat needs a count and {"},
        {"repeat 3 {\nsend \"x\"", "line 1: repeat without }"},
        {"}", "line 1: } without repeat"},
        {"label a\nlabel a", "line 2: a second label \"a\""},
        {"goto", "line 1: goto needs a label"},
        {"set = 3", "line 1: set needs a name, = and a value"},
        {"set n = ", "line 1: a value (a number, a text or $name) is needed"},
        {"if $1 10 pass", "line 1: if needs a comparison: < <= > >= == !="},
        {"if $1 < 10", "line 1: if needs a command after the comparison"},
        {"if 1 < 2 label x", "line 1: if cannot hold repeat, label or if"},
        {"log", "line 1: log needs a text in quotes"},
        {"dtr maybe", "line 1: dtr needs on or off"},
        {"rts", "line 1: rts needs on or off"},
        {"baud 10", "line 1: baud needs a rate from 50 to 4000000"},
        {"capture", "line 1: capture needs a file name in quotes, or off"},
        {"pass now", "line 1: unexpected \"now\""},
        {"sned \"AT\"", "line 1: unknown command \"sned\""},
        {"\"AT\"", "line 1: a command is needed first"},
        {"send \"a\"\nsend \"b\0\"", "line 2: a NUL byte"},
    };
    int index = 0;
    for (const auto& c : cases) {
        char error[128] = "untouched";
        // The NUL case's length is counted by hand.
        int length = static_cast<int>(strlen(c.source));
        if (!strcmp(c.error, "line 2: a NUL byte"))
            length += 2;
        bool ok = parse_script(c.source, length, parsed, error);
        EXPECT_FALSE(ok) << "case " << index << ": " << c.source;
        EXPECT_STREQ(c.error, error) << "case " << index << ": " << c.source;
        EXPECT_EQ(0, parsed.count) << "case " << index;
        ++index;
    }
}

TEST(ScriptParse, WellFormedScriptsKeepTheirLines)
{
    const struct {
        const char* source;
        int steps;
        int last_line;
        int32_t last_number;
    } cases[] = {
        {"", 0, 0, 0},
        {"# only a comment\r\n\r\n", 0, 0, 0},
        {"\xEF\xBB\xBFpass", 1, 1, 0},
        {"send \"AT\"  # comment\r\nwait \"OK\"", 2, 2, script_default_wait_ms},
        {"wait /^\\+CSQ: (\\d+),/ 2000", 1, 1, 2000},
        {"expect \"OK\" 1.5s", 1, 1, 1500},
        {"delay 250ms", 1, 1, 250},
        {"break", 1, 1, script_default_break_ms},
        {"baud 115200", 1, 1, 115200},
        {"repeat 10 {\n  send \"x\"\n}", 3, 3, 0},
        {"label retry\nwait \"OK\" 2000 else goto retry", 2, 2, 2000},
        {"if $1 < 10 fail \"weak signal: $1\"", 2, 1, 0},
        {"set n = $n + 1", 1, 1, 0},
        {"sendhex \"01 03 00 00 00 0A {crc16modbus}\"\nsend \"A\\\"B\"", 2, 2, 0},
        {"dtr on\nrts off\nopen\nclose\ncapture \"x.log\"\ncapture off\npass\nfail", 8, 8, 0},
    };
    int index = 0;
    for (const auto& c : cases) {
        char error[128];
        bool ok = parse(c.source, error);
        EXPECT_TRUE(ok) << "case " << index << ": " << error;
        EXPECT_EQ(c.steps, parsed.count) << "case " << index;
        if (ok && c.steps) {
            const ScriptStep& last = parsed.steps[parsed.count - 1];
            EXPECT_EQ(c.last_line, last.line) << "case " << index;
            if (c.last_number && last.op != ScriptOp::set)
                EXPECT_EQ(c.last_number, last.number) << "case " << index;
        }
        ++index;
    }
}

}  // namespace
