#pragma once
#include <cstdint>

class IniReader;
class IniWriter;

constexpr int32_t terminal_scrollback_default = 10000;
constexpr int32_t terminal_scrollback_max = 100000;
constexpr int32_t terminal_size_max = 500;
constexpr int32_t terminal_font_min = 6;
constexpr int32_t terminal_font_max = 48;

// The Terminal view's options, under [Terminal], each written only when it
// is not its default: "Enter=CRLF" or "LF" (default CR), "Backspace=BS"
// (default DEL), "LocalEcho=1", "Columns=" and "Rows=" for a fixed size
// (default: the window's), "Scrollback=" lines kept (default 10,000),
// "FontSize=" in points (default: the program's own, 10).
struct TerminalSettings {
    int32_t enter = 0;  // 0 CR, 1 CR LF, 2 LF
    int32_t backspace_bs = 0;
    int32_t local_echo = 0;
    int32_t columns = 0;  // 0 with rows 0: the size follows the window
    int32_t rows = 0;
    int32_t scrollback = terminal_scrollback_default;
    int32_t font_size = 0;  // 0: the default size
};

// Invalid values leave the settings as they were.
void load_terminal_settings(IniReader& reader, TerminalSettings& terminal);
// Writes the section only when some option is not its default.
void write_terminal_settings(IniWriter& writer, const TerminalSettings& terminal);
