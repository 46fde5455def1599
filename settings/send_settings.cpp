#include "settings/send_settings.h"
#include <windows.h>
#include "text/ini_text.h"

const char macros_section[] = "Macros";

namespace {

const struct {
    char key[10];
    int32_t SendSettings::*field;
    int32_t low, high, fallback;
} timing_keys[] = {
    {"CharDelay", &SendSettings::char_delay, 0, max_char_delay, 0},
    {"LineDelay", &SendSettings::line_delay, 0, max_line_delay, 0},
    {"RepeatMs", &SendSettings::repeat_ms, min_repeat_ms, max_repeat_ms, default_repeat_ms},
};

// "F1".."F12".
void macro_key(char (&key)[4], int index)
{
    wsprintfA(key, "F%d", index + 1);
}

}  // namespace

int32_t within(int32_t value, int32_t low, int32_t high, int32_t fallback)
{
    return value >= low && value <= high ? value : fallback;
}

void load_send_settings(IniText& reader, SendSettings& send)
{
    for (const auto& timing : timing_keys) {
        int32_t value = timing.fallback;
        reader.get_int(timing.key, &value, timing.fallback);
        send.*timing.field = within(value, timing.low, timing.high, timing.fallback);
    }
    bool found = reader.find_section(macros_section) != 0;
    for (int i = 0; i < 12; ++i) {
        char key[4];
        macro_key(key, i);
        if (!found || !reader.find_key(key, send.macros[i], sizeof send.macros[i]))
            send.macros[i][0] = '\0';
    }
}

void write_send_timing(IniTextBuilder& writer, const SendSettings& send)
{
    for (const auto& timing : timing_keys)
        if (send.*timing.field != timing.fallback)
            writer.write_int(timing.key, send.*timing.field);
}

void write_macros(IniTextBuilder& writer, const SendSettings& send)
{
    bool any = false;
    for (int i = 0; i < 12; ++i) {
        if (!send.macros[i][0])
            continue;
        if (!any)
            writer.write_section(macros_section);
        any = true;
        char key[4];
        macro_key(key, i);
        writer.write_text(key, send.macros[i]);
    }
}
