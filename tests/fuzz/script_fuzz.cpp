// Any bytes as a script: the parser refuses them with a "line N: " reason
// or gives steps that run. A script that runs is fed the same bytes as
// received data over a fake clock: each tick returns, and a stop ends it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "script/script_machine.h"

namespace {

class QuietHost : public ScriptHost {
public:
    bool send(const unsigned char*, int count) override { return count <= 256; }
    void set_dtr(bool) override {}
    void set_rts(bool) override {}
    void send_break(int32_t) override {}
    void set_baud(int32_t) override {}
    void open_port() override {}
    void close_port() override {}
    bool capture(const char*) override { return true; }
    void log(const char* text) override { logged += strlen(text) > 0; }
    void finished(bool, const char* verdict) override
    {
        if (ended || (strcmp(verdict, "pass") && strncmp(verdict, "fail: line ", 11)))
            abort();
        ended = true;
    }
    bool ended = false;
    int logged = 0;
};

Script script;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    int length = static_cast<int>(size);
    char error[128];
    if (!parse_script(text, length, script, error)) {
        if (strncmp(error, "line ", 5) || !strstr(error, ": "))
            abort();
        return 0;
    }
    QuietHost host;
    ScriptMachine machine(script, host);
    machine.start(0, "\r\n");
    uint32_t now = 0;
    for (int round = 0; round < 40 && machine.running(); ++round) {
        machine.feed(text, length);
        now += 997;
        machine.tick(now);
    }
    machine.stop();
    if (machine.running() || !host.ended)
        abort();
    return 0;
}
