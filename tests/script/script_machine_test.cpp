// Each command run against a recording host with a fake clock: what it asks
// of the program, in order, and the verdict it ends with.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "script/script_machine.h"

namespace {

// Writes each request as a word or two, the bytes with \r \n and \xHH.
class RecordingHost : public ScriptHost {
public:
    std::string trace;
    bool refuse_send = false;
    bool refuse_capture = false;

    void note(const std::string& what) { trace += (trace.empty() ? "" : "; ") + what; }
    bool send(const unsigned char* bytes, int count) override
    {
        std::string shown = "send ";
        for (int i = 0; i < count; ++i) {
            char c[8];
            if (bytes[i] == '\r' || bytes[i] == '\n')
                snprintf(c, sizeof c, "\\%c", bytes[i] == '\r' ? 'r' : 'n');
            else if (bytes[i] < 32 || bytes[i] > 126)
                snprintf(c, sizeof c, "\\x%02X", bytes[i]);
            else
                snprintf(c, sizeof c, "%c", bytes[i]);
            shown += c;
        }
        note(shown);
        return !refuse_send;
    }
    void set_dtr(bool on) override { note(on ? "dtr on" : "dtr off"); }
    void set_rts(bool on) override { note(on ? "rts on" : "rts off"); }
    void send_break(int32_t ms) override { note("break " + std::to_string(ms)); }
    void set_baud(int32_t baud) override { note("baud " + std::to_string(baud)); }
    void open_port() override { note("open"); }
    void close_port() override { note("close"); }
    bool capture(const char* path) override
    {
        note(path ? std::string("capture ") + path : "capture off");
        return !refuse_capture;
    }
    void log(const char* text) override { note(std::string("log ") + text); }
    void finished(bool, const char* verdict) override { note(verdict); }
};

// At `ms`: the bytes received (maybe none), then a tick.
struct Event {
    uint32_t ms;
    const char* received;
};

struct Case {
    const char* name;
    const char* script;
    Event events[6];
    const char* trace;
};

Script script;

std::string run(const Case& c, RecordingHost& host, uint32_t start = 0)
{
    char error[128];
    if (!parse_script(c.script, static_cast<int>(strlen(c.script)), script, error))
        return std::string("refused: ") + error;
    ScriptMachine machine(script, host);
    machine.start(start, "\r");
    for (const Event& e : c.events) {
        if (!e.ms && !e.received)
            break;
        if (e.received)
            machine.feed(e.received, static_cast<int>(strlen(e.received)));
        machine.tick(start + e.ms);
    }
    if (machine.running())
        host.note("running at line " + std::to_string(machine.line()));
    return host.trace;
}

const Case cases[] = {
    {"send", "send \"AT\"", {}, "send AT\\r; pass"},
    {"sendraw", "sendraw \"AT\\x01\\n\"", {}, "send AT\\x01\\n; pass"},
    {"sendhex", "sendhex \"01 03 00 00 00 0A {crc16modbus}\"", {}, "send \\x01\\x03\\x00\\x00\\x00\\n\\xC5\\xCD; pass"},
    {"send too long", "set a = \"0123456789012345678901234567890123456789012345678901234567890123456789\"\n"
                      "send \"$a$a$a$a\"", {}, "fail: line 2: Too long"},
    {"send refused", "send \"x\"", {}, "send x\\r; fail: line 1: not sent: the port is closed or its queue is full"},
    {"wait arrives", "send \"AT\"\nwait \"OK\" 500\nlog \"got it\"", {{100, "AT\r\nO"}, {200, "K\r\n"}}, "send AT\\r; log got it; pass"},
    {"wait times out", "send \"AT\"\nwait \"ERROR\" 500", {{499, "OK\r\n"}, {500, nullptr}},
     "send AT\\r; fail: line 2: no \"ERROR\" within 500 ms"},
    {"wait else goto", "wait \"OK\" 100 else goto late\npass\nlabel late\nfail \"late\"", {{100, nullptr}}, "fail: line 4: late"},
    {"wait takes what came before it", "delay 100\nwait \"OK\" 10", {{50, "OK"}, {100, nullptr}}, "pass"},
    {"a match is used once", "wait \"OK\" 100\nwait \"OK\" 100", {{10, "OK"}, {110, nullptr}},
     "fail: line 2: no \"OK\" within 100 ms"},
    {"expect ignores what came before the send", "delay 10\nsend \"AT\"\nexpect \"OK\" 100",
     {{5, "OK"}, {10, nullptr}, {110, nullptr}}, "send AT\\r; fail: line 3: no \"OK\" within 100 ms"},
    {"expect after the send", "send \"AT\"\nexpect \"OK\" 100", {{50, "OK"}}, "send AT\\r; pass"},
    {"pattern with groups", "wait /^\\+CSQ: (\\d+),(\\d+)/ 1000\nlog \"rssi $1 ber $2\"\nif $1 < 10 fail \"weak signal: $1\"",
     {{10, "+CSQ: 7,99\r\n"}}, "log rssi 7 ber 99; fail: line 3: weak signal: 7"},
    {"pattern waits for a whole line", "wait /^OK$/ 1000", {{10, "OK"}, {20, "\r\n"}}, "pass"},
    {"pattern times out", "wait /^OK$/ 300", {{10, "OKAY\r\n"}, {300, nullptr}}, "fail: line 1: no /^OK$/ within 300 ms"},
    {"delay", "delay 500\nlog \"after\"", {{499, nullptr}, {500, nullptr}}, "log after; pass"},
    {"delay across the clock's wrap", "delay 2s\nlog \"after\"", {{1999, nullptr}, {2000, nullptr}}, "log after; pass"},
    {"repeat", "repeat 3 {\nsend \"x\"\n}", {}, "send x\\r; send x\\r; send x\\r; pass"},
    {"repeat 0", "repeat 0 {\nsend \"x\"\n}\nlog \"done\"", {}, "log done; pass"},
    {"nested repeat", "repeat 2 {\nrepeat 2 {\nsendraw \"a\"\n}\nsendraw \"b\"\n}", {},
     "send a; send a; send b; send a; send a; send b; pass"},
    {"set and if", "set n = 3\nset n = $n - 1\nif $n == 2 log \"two\"\nif $n != 2 log \"not two\"", {}, "log two; pass"},
    {"if compares texts", "set s = \"abc\"\nif $s < \"abd\" log \"less\"", {}, "log less; pass"},
    {"set needs numbers", "set n = \"x\" + 1", {}, "fail: line 1: not a number: \"x\""},
    {"goto loop with a counter", "set n = 0\nlabel top\nset n = $n + 1\nif $n < 3 goto top\nlog \"n=$n $$\"", {}, "log n=3 $; pass"},
    {"fail without reason", "fail", {}, "fail: line 1: failed"},
    {"pass ends early", "pass\nlog \"never\"", {}, "pass"},
    {"line signals", "dtr on\nrts off\nbaud 9600\nclose\nopen", {}, "dtr on; rts off; baud 9600; close; open; pass"},
    {"break waits its length", "break 100\nlog \"after\"", {{99, nullptr}, {100, nullptr}}, "break 100; log after; pass"},
    {"capture", "capture \"x-$n.log\"\ncapture off", {}, "capture x-.log; capture off; pass"},
    {"dollars in texts", "log \"a$$b $nope. $ x $1\"", {}, "log a$b . $ x ; pass"},
    {"sendhex with a variable", "set a = \"0A\"\nsendhex \"01 $a\"", {}, "send \\x01\\n; pass"},
    {"sendhex with a bad variable", "set a = \"zz\"\nsendhex \"01 $a\"", {}, "fail: line 2: Not hex: zz"},
    {"expect else goto", "send \"AT\"\nexpect /^OK$/ 100 else goto no\npass\nlabel no\nlog \"no\"",
     {{50, "ERROR\r\n"}, {100, nullptr}}, "send AT\\r; log no; pass"},
    {"an endless loop gives the window back", "label a\ngoto a", {{10, nullptr}}, "running at line 1"},
};

TEST(ScriptMachine, EachCommand)
{
    int index = 0;
    for (const Case& c : cases) {
        RecordingHost host;
        host.refuse_send = !strcmp(c.name, "send refused");
        EXPECT_EQ(c.trace, run(c, host)) << "case " << index << ": " << c.name;
        ++index;
    }
}

// The same waits and delays just before the millisecond clock wraps.
TEST(ScriptMachine, TimeWraps)
{
    for (int index : {6, 15, 16}) {
        RecordingHost host;
        EXPECT_EQ(cases[index].trace, run(cases[index], host, 0xFFFFFF00u)) << "case " << index;
    }
}

// More bytes than the machine keeps: the oldest go, matched or not, and a
// text that arrives after them is still found.
TEST(ScriptMachine, ManyBytesBeforeTheAnswer)
{
    RecordingHost host;
    const char* text = "wait \"OK\" 1000\nwait \"OK\" 1000\nwait \"OK\" 1000";
    char error[128];
    ASSERT_TRUE(parse_script(text, static_cast<int>(strlen(text)), script, error));
    ScriptMachine machine(script, host);
    machine.start(0, "");
    const int sizes[] = {1, ScriptMachine::seen_bytes * 2 / 3, ScriptMachine::seen_bytes * 2};
    int index = 0;
    for (int size : sizes) {
        std::string bytes(size, 'x');
        machine.feed(bytes.data(), size);
        machine.feed("OK", 2);
        machine.tick(10);
        EXPECT_EQ(index < 2, machine.running()) << "case " << index << ": " << size << " bytes first";
        ++index;
    }
    EXPECT_EQ("pass", host.trace);
}

TEST(ScriptMachine, StopAndCaptureRefused)
{
    RecordingHost host;
    const char* text = "wait \"OK\" 1000";
    char error[128];
    ASSERT_TRUE(parse_script(text, static_cast<int>(strlen(text)), script, error));
    ScriptMachine machine(script, host);
    machine.start(0, "");
    EXPECT_TRUE(machine.running());
    machine.stop();
    EXPECT_FALSE(machine.running());
    EXPECT_STREQ("fail: line 1: stopped", machine.verdict());
    RecordingHost refusing;
    refusing.refuse_capture = true;
    Case capture = {"capture refused", "capture \"a.log\"", {}, ""};
    EXPECT_EQ("capture a.log; fail: line 1: cannot capture to \"a.log\"", run(capture, refusing));
}

}  // namespace
