#include "settings/settings_file.h"
#include <cstdlib>
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"

const char settings_file_name[] = "Quorvex.ini";
const char port_settings_section[] = "Port Settings";
const char misc_settings_section[] = "Misc Settings";
const char old_commands_section[] = "Old commands";

namespace {

const char* const line_end_names[] = {"", "CRLF", "None"};
const char* const view_names[] = {"", "Lines", "Hex"};

// The index of `value` among names[1..2]; `current` when it is none of them.
int32_t named_index(const char* value, const char* const (&names)[3], int32_t current)
{
    for (int32_t i = 1; i < 3; ++i)
        if (lstrcmpiA(value, names[i]) == 0)
            return i;
    return current;
}

// "1" turns an option on, "0" off; anything else changes nothing.
int32_t flag_value(const char* value, int32_t current)
{
    if (value[0] && !value[1] && (value[0] == '0' || value[0] == '1'))
        return value[0] - '0';
    return current;
}

// Reads "left,top,right,bottom": four decimal integers, nothing else, and
// a rectangle that is not empty.
int32_t parse_window(const char* text, RECT& rect)
{
    LONG numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool negative = *text == '-';
        if (negative)
            ++text;
        if (*text < '0' || *text > '9')
            return 0;
        long long number = 0;
        while (*text >= '0' && *text <= '9') {
            number = number * 10 + (*text++ - '0');
            if (number > 1000000)
                return 0;
        }
        numbers[i] = static_cast<LONG>(negative ? -number : number);
        if (*text != (i < 3 ? ',' : '\0'))
            return 0;
        ++text;
    }
    if (numbers[2] <= numbers[0] || numbers[3] <= numbers[1])
        return 0;
    rect = RECT{numbers[0], numbers[1], numbers[2], numbers[3]};
    return 1;
}

void load_view_settings(IniReader& reader, ViewSettings& view)
{
    char value[64];
    if (reader.find_key("LineEnd", value, sizeof value))
        view.line_end = named_index(value, line_end_names, view.line_end);
    if (reader.find_key("Escapes", value, sizeof value))
        view.escapes = flag_value(value, view.escapes);
    if (reader.find_key("View", value, sizeof value))
        view.view = named_index(value, view_names, view.view);
    if (reader.find_key("Time", value, sizeof value))
        view.time = flag_value(value, view.time);
    if (reader.find_key("Window", value, sizeof value) && parse_window(value, view.window))
        view.has_window = 1;
}

void write_view_settings(IniWriter& writer, const ViewSettings& view)
{
    char line[80];
    if (view.line_end == 1 || view.line_end == 2) {
        wsprintfA(line, "LineEnd=%s", line_end_names[view.line_end]);
        writer.write_line(line);
    }
    if (view.escapes == 1)
        writer.write_line("Escapes=1");
    if (view.view == 1 || view.view == 2) {
        wsprintfA(line, "View=%s", view_names[view.view]);
        writer.write_line(line);
    }
    if (view.time == 1)
        writer.write_line("Time=1");
    if (view.has_window) {
        wsprintfA(line, "Window=%ld,%ld,%ld,%ld", view.window.left, view.window.top,
                  view.window.right, view.window.bottom);
        writer.write_line(line);
    }
}

}  // namespace

int32_t load_settings_file(IniReader& reader, const char* path, PortSettings& port,
                           int32_t& upper, int32_t& send_char, HWND history_combo,
                           ViewSettings* view)
{
    if (!reader.load(path, 2))
        return 0;
    reader.find_section(port_settings_section);
    reader.get_int("ByteSize", &port.ByteSize, 0);
    reader.get_int("Comm", &port.Comm, 0);
    reader.get_int("Parity", &port.Parity, 0);
    reader.get_int("Speed", &port.Speed, 0);
    reader.get_int("StopBits", &port.StopBits, 0);

    reader.find_section(misc_settings_section);
    reader.get_bool("Upper", &upper, 0);
    reader.get_int("SendChar", &send_char, 0);
    if (view)
        load_view_settings(reader, *view);

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
    // a buffer of its own, then cut.
    char* whole = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
    if (!whole)
        return 0;
    int32_t got = SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(whole)) !=
                  CB_ERR;
    if (got)
        lstrcpynA(command, whole, command_buffer_size);
    free(whole);
    return got;
}

}  // namespace

int32_t build_settings_text(IniWriter& writer, const PortSettings& port, int32_t upper,
                            int32_t send_char, HWND history_combo, const ViewSettings* view)
{
    writer.begin(4000, 4000);
    writer.write_section(port_settings_section);
    writer.write_int("ByteSize", port.ByteSize);
    writer.write_int("Comm", port.Comm);
    writer.write_int("Parity", port.Parity);
    writer.write_int("Speed", port.Speed);
    writer.write_int("StopBits", port.StopBits);

    writer.write_section(misc_settings_section);
    writer.write_bool("Upper", upper);
    writer.write_int("SendChar", send_char);
    if (view)
        write_view_settings(writer, *view);

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
    return writer.error ? 0 : 1;
}
