#pragma once
#include <windows.h>
#include <cstdint>
#include "serial/port_settings.h"
#include "settings/capture_settings.h"
#include "settings/plot_settings.h"
#include "settings/send_settings.h"
#include "settings/terminal_settings.h"

class IniKeyLog;
class IniReader;
class IniWriter;

// What the settings file "Quorvex.ini" holds: the port settings, the two
// options and the command history (the list of a combo box, newest first).
// The sections and keys, in the order they are saved.
extern const wchar_t settings_file_name[];   // "Quorvex.ini"
extern const char port_settings_section[];   // "Port Settings"
extern const char misc_settings_section[];   // "Misc Settings"
extern const char old_commands_section[];    // "Old commands"
// The sections that are lists, each name ended by '\0', the last by two:
// two windows' changes to them are merged as a whole.
extern const char list_sections[];

// How many of the newest commands are saved, and the longest command line.
const int saved_command_count = 10;
const int command_buffer_size = 200;

// How many received lines the window keeps, and the values a stored
// "MaxLines" may take (others are ignored).
const int32_t default_max_lines = 100000;
const int32_t min_max_lines = 100;
const int32_t max_max_lines = 10000000;

// The longest filter text, and the highlight rules: up to eight texts, each
// drawn on one of eight colours, saved as "H1=Red,ERROR" under [Highlight].
const int filter_text_size = 128;
const int highlight_rule_count = 8;
const int highlight_text_size = 64;
const int highlight_colour_count = 8;
extern const char highlight_section[];  // "Highlight"
// "Red", "Orange", "Yellow", "Green", "Cyan", "Blue", "Purple", "Grey".
extern const char highlight_colour_names[highlight_colour_count][8];
struct HighlightRule {
    int32_t colour;                   // index into highlight_colour_names
    char text[highlight_text_size];  // "" for no rule
};

// The options of the receive view, the line end, the window's place, the
// plot, the capture and the XMODEM transfers.
// Each is saved only when it is not its default.
struct ViewSettings {
    int32_t line_end = 0;  // 0: SendChar decides, 1: "CRLF", 2: "None"
    int32_t escapes = 0;
    int32_t hex = 0;       // the command field takes hex pairs
    int32_t view = 0;      // 0: as received, 1: "Lines", 2: "Hex", 3: "Terminal"
    int32_t time = 0;
    int32_t has_window = 0;
    RECT window = {};      // screen pixels of the normal (not maximized) window
    int32_t window_dpi = 0;  // the scale `window` was taken at; 0 unknown
    int32_t maximized = 0;
    int32_t colours_off = 0;  // "Colours=0": escape sequences shown as text
    int32_t show_sent = 0;    // "ShowSent=1": commands sent shown in the Lines view
    char filter[filter_text_size] = {};  // "Filter": only lines containing it shown
    int32_t xmodem_1k = 0;               // "Xmodem1K=1": XMODEM sends 1024-byte blocks
    int32_t xmodem_remove_padding = 0;   // "XmodemRemovePadding=1": 0x1A dropped from a file's end
    HighlightRule highlights[highlight_rule_count] = {};
    PlotSettings plot;
    CaptureSettings capture;
    TerminalSettings terminal;
};

// Reads a window's place "left,top,right,bottom" and an optional ",dpi" (0
// when absent): decimal integers, nothing else, and a rectangle that is not
// empty. 0, leaving `rect` and `dpi`, when the text is anything else.
int32_t parse_window(const char* text, RECT& rect, int32_t& dpi);
// Writes `key` with a window's place, "left,top,right,bottom".
void write_window(IniWriter& writer, const char* key, const RECT& rect);

// The command history, newest first, each command at most 199 characters.
class CommandHistory {
public:
    CommandHistory() = default;
    ~CommandHistory();
    CommandHistory(const CommandHistory&) = delete;
    CommandHistory& operator=(const CommandHistory&) = delete;

    int count() const { return count_; }
    const char* at(int index) const { return entries_[index]; }
    // Appends `command`, cut to 199 characters; false when memory ran out.
    bool add(const char* command);
    void clear();

private:
    char (*entries_)[command_buffer_size] = nullptr;
    int count_ = 0;
    int room_ = 0;
};

// Everything the settings file holds.
struct Settings {
    PortSettings port = {};
    int32_t upper = 0;       // "Upper"
    int32_t send_char = 0;   // "SendChar": 0 CR, 1 LF (unless LineEnd says otherwise)
    int32_t reopen = 1;      // "Reopen"
    int32_t max_lines = default_max_lines;
    ViewSettings view;
    SendSettings send;
    AutoReplySettings auto_reply;
    CommandHistory history;
};

// Puts every value of `settings` back to its default (the history emptied).
void reset_settings(Settings& settings);

// Loads the file at `path` (with a null path: the text `reader` holds now,
// which it releases) over `settings`: every key of the file's sections (a
// missing key or section gives 0), and the history in file order. Returns 0,
// changing nothing, when the file is missing, unreadable or far too large.
// "Port", "Baud" and "Flow" that name no port, rate or flow control read as
// absent (0); a missing "Reopen" reads as 1. Unknown or invalid values of the
// view and send settings leave them as they were.
int32_t load_settings_file(IniReader& reader, const wchar_t* path, Settings& settings);

// Tells `known` of every section and key the program reads: what it asks
// for when it loads.
void log_known_keys(IniKeyLog& known);

// Builds the file's text with `writer`: the port settings, the options, the
// ten newest commands, the macros. Returns 0 when the text could not be
// built whole (nothing may then be written). The keys for any other port,
// rate, flow control and "Reopen" are written only when they differ from
// what the buttons and the defaults give, so a run that uses none of them
// writes the same file as ever.
int32_t build_settings_text(IniWriter& writer, const Settings& settings);
