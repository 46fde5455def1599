#include "text/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The fields as "port baud data parity stop flow dtr rts", -1 where not named.
std::string fields(const CommandLine& line)
{
    return std::to_string(line.port) + " " + std::to_string(line.baud) + " " +
           std::to_string(line.data_bits) + " " + std::to_string(line.parity) + " " +
           std::to_string(line.stop_bits) + " " + std::to_string(line.flow) + " " +
           std::to_string(line.dtr) + " " + std::to_string(line.rts) +
           (line.exit_after_script ? " exit" : "");
}

TEST(CommandLine, EachArgumentTable)
{
    struct Case {
        const char* arguments[4];  // up to four, null after the last
        int32_t last_kind;         // what the last argument was
        const char* named;         // the fields afterwards
    };
    const Case cases[] = {
        {{"COM7"}, argument_setting, "7 0 -1 -1 -1 -1 -1 -1"},
        {{"com7", "115200", "8N1"}, argument_setting, "7 115200 0 0 0 -1 -1 -1"},
        {{"COM256", "7e1.5"}, argument_setting, "256 0 1 2 1 -1 -1 -1"},
        {{"COM3", "8O2", "9600"}, argument_setting, "3 9600 0 1 2 -1 -1 -1"},
        {{"8m1"}, argument_setting, "0 0 0 3 0 -1 -1 -1"},
        {{"7S2"}, argument_setting, "0 0 1 4 2 -1 -1 -1"},
        {{"/flow:RTSCTS"}, argument_setting, "0 0 -1 -1 -1 1 -1 -1"},
        {{"/FLOW:xonxoff", "/flow:none"}, argument_setting, "0 0 -1 -1 -1 0 -1 -1"},
        {{"/dtr:off", "/RTS:On"}, argument_setting, "0 0 -1 -1 -1 -1 0 1"},
        {{"/dtr:ON", "/rts:off"}, argument_setting, "0 0 -1 -1 -1 -1 1 0"},
        {{"COM7", "/capture:C:\\logs\\a.txt"}, argument_capture, "7 0 -1 -1 -1 -1 -1 -1"},
        {{"/CAPTURE:x"}, argument_capture, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"COM7", "/script:t.qvs"}, argument_script, "7 0 -1 -1 -1 -1 -1 -1"},
        {{"/Log:ci.txt"}, argument_log, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"/script:a", "/EXIT"}, argument_setting, "0 0 -1 -1 -1 -1 -1 -1 exit"},
        // Refused, each changing nothing.
        {{"115200", "COM7"}, argument_unknown, "0 115200 -1 -1 -1 -1 -1 -1"},
        {{"COM0"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"COM257"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"49"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"6N1"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"8X1"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"8N3"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"8N1.5x"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"8N"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"8"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"/flow:rts"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"/flow:"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"/dtr:onn"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"/capture:"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"/script:"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"/log:"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"/exit:now"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"-flow:none"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{""}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
        {{"/?"}, argument_unknown, "0 0 -1 -1 -1 -1 -1 -1"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        CommandLine line;
        int32_t kind = -1;
        for (int32_t a = 0; a < 4 && c.arguments[a]; ++a)
            kind = parse_argument(c.arguments[a], a, line);
        EXPECT_EQ(c.last_kind, kind) << "case " << i << ": " << c.arguments[0];
        EXPECT_EQ(c.named, fields(line)) << "case " << i << ": " << c.arguments[0];
    }
}

TEST(CommandLine, UsageNamesEveryArgument)
{
    const char* names[] = {"COMn", "rate", "frame", "/flow:none|rtscts|xonxoff",
                           "/dtr:on|off", "/rts:on|off", "/capture:PATH",
                           "/script:PATH", "/exit", "/log:PATH"};
    for (const char* name : names)
        EXPECT_NE(std::string::npos, std::string(command_line_usage).find(name)) << name;
}

}  // namespace
