#include "settings/terminal_settings.h"
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"
#include "text/upper_ascii.h"

namespace {

const char terminal_section[] = "Terminal";
const char enter_names[3][5] = {"CR", "CRLF", "LF"};

bool is_default(const TerminalSettings& terminal)
{
    return terminal.enter == 0 && !terminal.backspace_bs && !terminal.local_echo && terminal.columns == 0 &&
           terminal.rows == 0 && terminal.scrollback == terminal_scrollback_default && terminal.font_size == 0;
}

// A number in [low, high] replaces `field`; anything else leaves it.
void load_number(IniReader& reader, const char* key, int32_t low, int32_t high, int32_t& field)
{
    int32_t value = 0;
    if (reader.get_int(key, &value, -1) && value >= low && value <= high)
        field = value;
}

}  // namespace

void load_terminal_settings(IniReader& reader, TerminalSettings& terminal)
{
    terminal = TerminalSettings{};
    if (!reader.find_section(terminal_section))
        return;
    char value[16];
    if (reader.find_key("Enter", value, sizeof value))
        for (int32_t i = 0; i < 3; ++i)
            if (equal_ignoring_ascii_case(value, enter_names[i]))
                terminal.enter = i;
    if (reader.find_key("Backspace", value, sizeof value)) {
        if (equal_ignoring_ascii_case(value, "BS"))
            terminal.backspace_bs = 1;
        else if (equal_ignoring_ascii_case(value, "DEL"))
            terminal.backspace_bs = 0;
    }
    load_number(reader, "LocalEcho", 0, 1, terminal.local_echo);
    int32_t columns = 0;
    int32_t rows = 0;
    load_number(reader, "Columns", 2, terminal_size_max, columns);
    load_number(reader, "Rows", 1, terminal_size_max, rows);
    // A fixed size needs both.
    if (columns && rows) {
        terminal.columns = columns;
        terminal.rows = rows;
    }
    load_number(reader, "Scrollback", 0, terminal_scrollback_max, terminal.scrollback);
    load_number(reader, "FontSize", terminal_font_min, terminal_font_max, terminal.font_size);
}

void write_terminal_settings(IniWriter& writer, const TerminalSettings& terminal)
{
    if (is_default(terminal))
        return;
    writer.write_section(terminal_section);
    if (terminal.enter > 0 && terminal.enter < 3)
        writer.write_text("Enter", enter_names[terminal.enter]);
    if (terminal.backspace_bs)
        writer.write_text("Backspace", "BS");
    if (terminal.local_echo)
        writer.write_int("LocalEcho", 1);
    if (terminal.columns && terminal.rows) {
        writer.write_int("Columns", terminal.columns);
        writer.write_int("Rows", terminal.rows);
    }
    if (terminal.scrollback != terminal_scrollback_default)
        writer.write_int("Scrollback", terminal.scrollback);
    if (terminal.font_size)
        writer.write_int("FontSize", terminal.font_size);
}
