#include "settings/send_settings.h"
#include <windows.h>
#include "text/ini_text.h"

const char macros_section[] = "Macros";
const char auto_reply_section[] = "Auto Reply";

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
    reader.find_section(macros_section);
    for (int i = 0; i < 12; ++i) {
        char key[4];
        macro_key(key, i);
        if (!reader.find_key(key, send.macros[i], sizeof send.macros[i]))
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

void load_auto_reply_settings(IniText& reader, AutoReplySettings& rules)
{
    rules = AutoReplySettings{};
    reader.find_section(auto_reply_section);
    // Only "1" turns the rules on: a key left empty by a merge reads as off.
    int32_t on = 0;
    reader.get_int("On", &on, 0);
    rules.on = on == 1 ? 1 : 0;
    for (int i = 0; i < auto_reply_rules; ++i) {
        char key[8];
        wsprintfA(key, "Match%d", i + 1);
        if (!reader.find_key(key, rules.match[i], sizeof rules.match[i]))
            rules.match[i][0] = '\0';
        wsprintfA(key, "Reply%d", i + 1);
        if (!reader.find_key(key, rules.reply[i], sizeof rules.reply[i]))
            rules.reply[i][0] = '\0';
    }
}

void write_auto_reply_settings(IniTextBuilder& writer, const AutoReplySettings& rules)
{
    bool any = rules.on != 0;
    for (int i = 0; i < auto_reply_rules; ++i)
        any = any || rules.match[i][0] || rules.reply[i][0];
    if (!any)
        return;
    writer.write_section(auto_reply_section);
    if (rules.on)
        writer.write_int("On", 1);
    for (int i = 0; i < auto_reply_rules; ++i) {
        char key[8];
        wsprintfA(key, "Match%d", i + 1);
        if (rules.match[i][0])
            writer.write_text(key, rules.match[i]);
        wsprintfA(key, "Reply%d", i + 1);
        if (rules.reply[i][0])
            writer.write_text(key, rules.reply[i]);
    }
}
