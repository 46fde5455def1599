#pragma once
#include <cstdint>

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

// The value when it lies in [low, high], else `fallback`.
int32_t within(int32_t value, int32_t low, int32_t high, int32_t fallback);

// CharDelay, LineDelay and RepeatMs of the current section (values out of
// range read as the default), then the [Macros] section.
void load_send_settings(IniText& reader, SendSettings& send);
// The keys of the current section that differ from their defaults.
void write_send_timing(IniTextBuilder& writer, const SendSettings& send);
// The [Macros] section, when any key has a text.
void write_macros(IniTextBuilder& writer, const SendSettings& send);
