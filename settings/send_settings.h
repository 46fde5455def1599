#pragma once
#include <cstdint>
#include "text/auto_reply.h"

class IniText;
class IniTextBuilder;

const int32_t max_char_delay = 1000;
const int32_t max_line_delay = 10000;
const int32_t default_repeat_ms = 1000;

// How sending is paced and repeated, and the texts of the F1..F12 keys.
// Each is saved only when it is not its default.
struct SendSettings {
    int32_t char_delay = 0;     // ms after each byte, 0..1000
    int32_t line_delay = 0;     // ms after each line end, 0..10000
    int32_t repeat_ms = default_repeat_ms;  // the repeat's period, 50..3600000
    char macros[12][199] = {};  // "" where a key has none
};

const int32_t min_repeat_ms = 50;
const int32_t max_repeat_ms = 3600000;
extern const char macros_section[];  // "Macros"

// The automatic replies' rules as typed: for each, the text to wait for and
// the text to send, "" where a rule is unused. Saved only when set.
const int auto_reply_text_size = 199;
struct AutoReplySettings {
    int32_t on = 0;  // "On"
    char match[auto_reply_rules][auto_reply_text_size] = {};  // "Match1".."Match8"
    char reply[auto_reply_rules][auto_reply_text_size] = {};  // "Reply1".."Reply8"
};
extern const char auto_reply_section[];  // "Auto Reply"

// The value when it lies in [low, high], else `fallback`.
int32_t within(int32_t value, int32_t low, int32_t high, int32_t fallback);

// CharDelay, LineDelay and RepeatMs of the current section (values out of
// range read as the default), then the [Macros] section.
void load_send_settings(IniText& reader, SendSettings& send);
// The keys of the current section that differ from their defaults.
void write_send_timing(IniTextBuilder& writer, const SendSettings& send);
// The [Macros] section, when any key has a text.
void write_macros(IniTextBuilder& writer, const SendSettings& send);
// The [Auto Reply] section; a missing one turns every rule off.
void load_auto_reply_settings(IniText& reader, AutoReplySettings& rules);
// The [Auto Reply] section with the keys that are set, when any is.
void write_auto_reply_settings(IniTextBuilder& writer, const AutoReplySettings& rules);
