#include "settings/settings_file.h"
#include <cstdlib>
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"
#include "settings/line_control_settings.h"
#include "settings/send_settings.h"
#include "settings/terminal_settings.h"
#include "text/port_names.h"
#include "text/upper_ascii.h"

const wchar_t settings_file_name[] = L"Quorvex.ini";
const char port_settings_section[] = "Port Settings";
const char misc_settings_section[] = "Misc Settings";
const char old_commands_section[] = "Old commands";
const char list_sections[] = "Old commands\0";
const char highlight_section[] = "Highlight";
const char highlight_colour_names[highlight_colour_count][8] = {
    "Red", "Orange", "Yellow", "Green", "Cyan", "Blue", "Purple", "Grey"};

namespace {

// The text of `key` in the current section; "" when it is missing.
const char* key_text(IniReader& reader, const char* key, char (&value)[16])
{
    if (!reader.find_key(key, value, sizeof value))
        value[0] = '\0';
    return value;
}

// The named options: each value's index is what the option holds; index 0
// is the default, which is never written.
// The texts are held in place, not pointed to, which keeps the table small.
struct NamedOption {
    char key[20];
    char names[4][9];  // "" where a choice has no name
    int32_t ViewSettings::*field;
};
const NamedOption named_options[] = {
    {"LineEnd", {"", "CRLF", "None", ""}, &ViewSettings::line_end},
    {"Escapes", {"0", "1", "", ""}, &ViewSettings::escapes},
    {"Hex", {"0", "1", "", ""}, &ViewSettings::hex},
    {"View", {"", "Lines", "Hex", "Terminal"}, &ViewSettings::view},
    {"Time", {"0", "1", "", ""}, &ViewSettings::time},
    {"WindowMax", {"0", "1", "", ""}, &ViewSettings::maximized},
    {"Colours", {"1", "0", "", ""}, &ViewSettings::colours_off},
    {"ShowSent", {"0", "1", "", ""}, &ViewSettings::show_sent},
    {"Xmodem1K", {"0", "1", "", ""}, &ViewSettings::xmodem_1k},
    {"XmodemRemovePadding", {"0", "1", "", ""}, &ViewSettings::xmodem_remove_padding},
};

}  // namespace

int32_t parse_window(const char* text, RECT& rect, int32_t& dpi)
{
    LONG numbers[5] = {};
    for (int i = 0; i < 5; ++i) {
        bool negative = *text == '-';
        if (negative)
            ++text;
        if (*text < '0' || *text > '9')
            return 0;
        LONG number = 0;
        while (*text >= '0' && *text <= '9') {
            number = number * 10 + (*text++ - '0');
            if (number > 1000000)
                return 0;
        }
        numbers[i] = static_cast<LONG>(negative ? -number : number);
        if (*text == '\0' && i >= 3)
            break;
        if (*text++ != ',' || i == 4)
            return 0;
    }
    if (numbers[2] <= numbers[0] || numbers[3] <= numbers[1] || numbers[4] < 0)
        return 0;
    rect = RECT{numbers[0], numbers[1], numbers[2], numbers[3]};
    dpi = numbers[4];
    return 1;
}

void write_window(IniWriter& writer, const char* key, const RECT& rect)
{
    char text[48];
    wsprintfA(text, "%ld,%ld,%ld,%ld", rect.left, rect.top, rect.right, rect.bottom);
    writer.write_text(key, text);
}

namespace {

// A value that names none of an option's choices leaves the option as it was.
void load_view_settings(IniReader& reader, ViewSettings& view)
{
    char value[64];
    for (const NamedOption& option : named_options)
        if (reader.find_key(option.key, value, sizeof value))
            for (int32_t i = 0; i < 4; ++i)
                if (option.names[i][0] && equal_ignoring_ascii_case(value, option.names[i]))
                    view.*option.field = i;
    if (!reader.find_key("Filter", view.filter, sizeof view.filter))
        view.filter[0] = '\0';
    if (reader.find_key("Window", value, sizeof value) &&
        parse_window(value, view.window, view.window_dpi))
        view.has_window = 1;
    load_plot_settings(reader, view.plot);
    load_capture_settings(reader, view.capture);
}

void write_view_settings(IniWriter& writer, const ViewSettings& view)
{
    for (const NamedOption& option : named_options) {
        int32_t index = view.*option.field;
        if (index > 0 && index < 4 && option.names[index][0])
            writer.write_text(option.key, option.names[index]);
    }
    if (view.filter[0])
        writer.write_text("Filter", view.filter);
    if (view.has_window) {
        char rect[64];
        int length = wsprintfA(rect, "%ld,%ld,%ld,%ld", view.window.left, view.window.top,
                               view.window.right, view.window.bottom);
        if (view.window_dpi)
            wsprintfA(rect + length, ",%ld", static_cast<long>(view.window_dpi));
        writer.write_text("Window", rect);
    }
    write_plot_settings(writer, view.plot);
    write_capture_settings(writer, view.capture);
}

// "H1=Red,ERROR": a colour's name, a comma, the text. A key whose colour is
// unknown or whose text is empty is no rule.
void load_highlights(IniReader& reader, ViewSettings& view)
{
    reader.find_section(highlight_section);
    for (int i = 0; i < highlight_rule_count; ++i) {
        HighlightRule& rule = view.highlights[i];
        rule = HighlightRule{};
        char key[4], value[16 + highlight_text_size] = {};
        wsprintfA(key, "H%d", i + 1);
        if (!reader.find_key(key, value, sizeof value))
            continue;
        for (int colour = 0; colour < highlight_colour_count; ++colour) {
            int length = lstrlenA(highlight_colour_names[colour]);
            char name[8];
            lstrcpynA(name, value, length + 1);
            if (value[length] == ',' && equal_ignoring_ascii_case(name, highlight_colour_names[colour])) {
                rule.colour = colour;
                lstrcpynA(rule.text, value + length + 1, sizeof rule.text);
            }
        }
    }
}

void write_highlights(IniWriter& writer, const ViewSettings& view)
{
    bool any = false;
    for (int i = 0; i < highlight_rule_count; ++i) {
        const HighlightRule& rule = view.highlights[i];
        if (!rule.text[0] || rule.colour < 0 || rule.colour >= highlight_colour_count)
            continue;
        if (!any)
            writer.write_section(highlight_section);
        any = true;
        char key[4], value[16 + highlight_text_size];
        wsprintfA(key, "H%d", i + 1);
        wsprintfA(value, "%s,%s", highlight_colour_names[rule.colour], rule.text);
        writer.write_text(key, value);
    }
}

}  // namespace

CommandHistory::~CommandHistory()
{
    free(entries_);
}

bool CommandHistory::add(const char* command)
{
    if (count_ == room_) {
        int room = room_ ? room_ * 2 : 16;
        void* grown = realloc(entries_, static_cast<size_t>(room) * sizeof entries_[0]);
        if (!grown)
            return false;
        entries_ = static_cast<char(*)[command_buffer_size]>(grown);
        room_ = room;
    }
    lstrcpynA(entries_[count_++], command, command_buffer_size);
    return true;
}

void CommandHistory::clear()
{
    free(entries_);
    entries_ = nullptr;
    count_ = room_ = 0;
}

void reset_settings(Settings& settings)
{
    settings.port = PortSettings{};
    settings.upper = 0;
    settings.send_char = 0;
    settings.reopen = 1;
    settings.max_lines = default_max_lines;
    settings.view = ViewSettings{};
    settings.send = SendSettings{};
    settings.auto_reply = AutoReplySettings{};
    settings.history.clear();
}

int32_t load_settings_file(IniReader& reader, const wchar_t* path, Settings& settings)
{
    if (path && !reader.load(path, 2))
        return 0;
    PortSettings& port = settings.port;
    reader.find_section(port_settings_section);
    reader.get_int("ByteSize", &port.ByteSize, 0);
    reader.get_int("Comm", &port.Comm, 0);
    reader.get_int("Parity", &port.Parity, 0);
    reader.get_int("Speed", &port.Speed, 0);
    reader.get_int("StopBits", &port.StopBits, 0);
    // A value longer than any valid one is cut, and then reads as invalid.
    char value[16];
    port.Port = parse_port_name(key_text(reader, "Port", value));
    port.Baud = static_cast<int32_t>(parse_baud_rate(key_text(reader, "Baud", value)));
    port.Flow = parse_flow_name(key_text(reader, "Flow", value));
    load_line_control_settings(reader, port);

    reader.find_section(misc_settings_section);
    reader.get_bool("Upper", &settings.upper, 0);
    reader.get_int("SendChar", &settings.send_char, 0);
    reader.get_bool("Reopen", &settings.reopen, 1);
    int32_t lines = default_max_lines;
    reader.get_int("MaxLines", &lines, default_max_lines);
    settings.max_lines =
        lines >= min_max_lines && lines <= max_max_lines ? lines : default_max_lines;
    load_view_settings(reader, settings.view);
    load_send_settings(reader, settings.send);
    load_auto_reply_settings(reader, settings.auto_reply);
    load_highlights(reader, settings.view);
    load_terminal_settings(reader, settings.view.terminal);

    // Longer lines are cut to the history's 199 characters.
    settings.history.clear();
    char command[command_buffer_size];
    if (reader.find_section(old_commands_section))
        while (reader.next_list_line(command, sizeof command))
            settings.history.add(command);
    reader.release();
    return 1;
}

// Loading asks for every key, also of sections the text lacks.
void log_known_keys(IniKeyLog& known)
{
    IniReader nothing(settings_section_name_length, settings_line_length);
    nothing.key_log = &known;
    Settings scratch;
    load_settings_file(nothing, nullptr, scratch);
}

int32_t build_settings_text(IniWriter& writer, const Settings& settings)
{
    const PortSettings& port = settings.port;
    writer.begin(4000, 4000);
    writer.write_section(port_settings_section);
    writer.write_int("ByteSize", port.ByteSize);
    writer.write_int("Comm", port.Comm);
    writer.write_int("Parity", port.Parity);
    writer.write_int("Speed", port.Speed);
    writer.write_int("StopBits", port.StopBits);
    if (port.Port >= 1 && port.Port <= highest_port_number) {
        char name[8];
        format_port_entry(name, sizeof name, port.Port, nullptr);
        writer.write_text("Port", name);
    }
    if (port.Baud >= lowest_baud_rate && port.Baud <= highest_baud_rate)
        writer.write_int("Baud", port.Baud);
    if (*flow_name(port.Flow))
        writer.write_text("Flow", flow_name(port.Flow));
    write_line_control_settings(writer, port);

    writer.write_section(misc_settings_section);
    writer.write_bool("Upper", settings.upper);
    writer.write_int("SendChar", settings.send_char);
    if (!settings.reopen)
        writer.write_bool("Reopen", 0);
    if (settings.max_lines != default_max_lines)
        writer.write_int("MaxLines", settings.max_lines);
    write_view_settings(writer, settings.view);
    write_send_timing(writer, settings.send);

    writer.write_section(old_commands_section);
    for (int index = 0; index < settings.history.count() && index < saved_command_count; ++index)
        writer.write_line(settings.history.at(index));
    write_macros(writer, settings.send);
    write_auto_reply_settings(writer, settings.auto_reply);
    write_highlights(writer, settings.view);
    write_terminal_settings(writer, settings.view.terminal);
    return writer.error ? 0 : 1;
}
