#include "settings/settings_file.h"
#include <cstdlib>
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"
#include "settings/line_control_settings.h"
#include "settings/send_settings.h"
#include "text/port_names.h"
#include "text/upper_ascii.h"

const wchar_t settings_file_name[] = L"Quorvex.ini";
const char port_settings_section[] = "Port Settings";
const char misc_settings_section[] = "Misc Settings";
const char old_commands_section[] = "Old commands";
const char list_sections[] = "Old commands\0";

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
    char key[10];
    char names[3][6];  // "" where a choice has no name
    int32_t ViewSettings::*field;
};
const NamedOption named_options[] = {
    {"LineEnd", {"", "CRLF", "None"}, &ViewSettings::line_end},
    {"Escapes", {"0", "1", ""}, &ViewSettings::escapes},
    {"View", {"", "Lines", "Hex"}, &ViewSettings::view},
    {"Time", {"0", "1", ""}, &ViewSettings::time},
    {"WindowMax", {"0", "1", ""}, &ViewSettings::maximized},
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
            for (int32_t i = 0; i < 3; ++i)
                if (option.names[i][0] && equal_ignoring_ascii_case(value, option.names[i]))
                    view.*option.field = i;
    if (reader.find_key("Window", value, sizeof value) &&
        parse_window(value, view.window, view.window_dpi))
        view.has_window = 1;
    load_plot_settings(reader, view.plot);
}

void write_view_settings(IniWriter& writer, const ViewSettings& view)
{
    for (const NamedOption& option : named_options) {
        int32_t index = view.*option.field;
        if (index > 0 && index < 3 && option.names[index][0])
            writer.write_text(option.key, option.names[index]);
    }
    if (view.has_window) {
        char rect[64];
        int length = wsprintfA(rect, "%ld,%ld,%ld,%ld", view.window.left, view.window.top,
                               view.window.right, view.window.bottom);
        if (view.window_dpi)
            wsprintfA(rect + length, ",%ld", static_cast<long>(view.window_dpi));
        writer.write_text("Window", rect);
    }
    write_plot_settings(writer, view.plot);
}

}  // namespace

int32_t load_settings_file(IniReader& reader, const wchar_t* path, PortSettings& port,
                           int32_t& upper, int32_t& send_char, HWND history_combo,
                           int32_t* reopen, ViewSettings* view, int32_t* max_lines)
{
    if (path && !reader.load(path, 2))
        return 0;
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
    reader.get_bool("Upper", &upper, 0);
    reader.get_int("SendChar", &send_char, 0);
    if (reopen)
        reader.get_bool("Reopen", reopen, 1);
    int32_t lines = default_max_lines;
    reader.get_int("MaxLines", &lines, default_max_lines);
    if (max_lines)
        *max_lines = lines >= min_max_lines && lines <= max_max_lines ? lines : default_max_lines;
    if (view)
        load_view_settings(reader, *view);
    load_send_settings(reader, send_settings);

    // Longer lines are cut to the history's 199 characters.
    char command[command_buffer_size];
    if (reader.find_section(old_commands_section))
        while (reader.next_list_line(command, sizeof command))
            if (history_combo)
                SendMessageA(history_combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(command));
    reader.release();
    return 1;
}

namespace {

// Copies entry `index` of the combo box's list into `command` (200 bytes),
// cut to 199 characters. 0 when there is no such entry or memory ran out.
int32_t get_history_entry(HWND combo, int index, char* command)
{
    LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR || length < 0)
        return 0;
    if (length < command_buffer_size)
        return SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(command)) !=
               CB_ERR;
    // CB_GETLBTEXT knows no buffer size: a longer entry is fetched whole into
    // a buffer of its own, then cut. It is fetched as wide text: some combo
    // boxes (Wine's of the version 6 common controls) overrun a buffer of
    // their own when a long entry is asked for as 8-bit text.
    LRESULT wide_length = SendMessageW(combo, CB_GETLBTEXTLEN, index, 0);
    if (wide_length == CB_ERR || wide_length < 0)
        return 0;
    wchar_t* wide = static_cast<wchar_t*>(malloc((static_cast<size_t>(wide_length) + 1) * sizeof(wchar_t)));
    if (!wide)
        return 0;
    int32_t got = 0;
    if (SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(wide)) != CB_ERR) {
        int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        char* whole = bytes > 0 ? static_cast<char*>(malloc(static_cast<size_t>(bytes))) : nullptr;
        if (whole && WideCharToMultiByte(CP_ACP, 0, wide, -1, whole, bytes, nullptr, nullptr) > 0) {
            lstrcpynA(command, whole, command_buffer_size);
            got = 1;
        }
        free(whole);
    }
    free(wide);
    return got;
}

}  // namespace

int32_t build_settings_text(IniWriter& writer, const PortSettings& port, int32_t upper,
                            int32_t send_char, HWND history_combo, int32_t reopen,
                            const ViewSettings* view,
                            int32_t max_lines)
{
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
    writer.write_bool("Upper", upper);
    writer.write_int("SendChar", send_char);
    if (!reopen)
        writer.write_bool("Reopen", 0);
    if (max_lines != default_max_lines)
        writer.write_int("MaxLines", max_lines);
    if (view)
        write_view_settings(writer, *view);
    write_send_timing(writer, send_settings);

    writer.write_section(old_commands_section);
    // A window that is gone answers every message with 0, which would read
    // as ten empty entries.
    if (history_combo && IsWindow(history_combo)) {
        int count = static_cast<int>(SendMessageA(history_combo, CB_GETCOUNT, 0, 0));
        char command[command_buffer_size];
        for (int index = 0; index < count && index < saved_command_count; ++index) {
            if (!get_history_entry(history_combo, index, command))
                return 0;
            writer.write_line(command);
        }
    }
    write_macros(writer, send_settings);
    return writer.error ? 0 : 1;
}
