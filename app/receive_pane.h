#pragma once
#include <windows.h>
#include "app/capture_file.h"
#include "app/line_painter.h"
#include "app/settings_changes.h"
#include "app/status_bar.h"
#include "app/terminal_pane.h"
#include "text/line_search.h"
#include "text/line_store.h"
#include "settings/settings_file.h"
#include "text/receive_view.h"

// The View setting of the Terminal view (the others are ReceiveMode's).
constexpr int32_t terminal_view = 3;

// The filter's steps through the stored lines run on this timer.
constexpr UINT_PTR filter_timer_id = 24;

// What the send panel tells of each command that goes out.
class SentLines {
public:
    virtual void show_sent(const char* bytes, int count) = 0;

protected:
    ~SentLines() = default;
};

// The received lines: a list view that asks for each line's text as it
// draws it, over the program's own store of lines, in the chosen view; the
// capture file; copying and clearing. Lines are added in batches, the
// oldest dropped past the line limit at no cost, and the list kept on the
// newest line only while the user wants it there (an older line selected
// holds it still). With a filter the list shows only the lines containing
// its text; the colours, the commands sent and the highlights are drawn by
// its painter. The View menu's commands for the list are its own.
class ReceivePane : private ReceiveSink, public SentLines {
public:
    ReceivePane(StatusBar& status, ViewSettings& settings, SettingsChanges& changes)
        : capture_(status, settings.capture), painter_(settings), terminal_(settings.terminal, status),
          settings_(settings), changes_(changes)
    {
    }
    ReceivePane(const ReceivePane&) = delete;
    ReceivePane& operator=(const ReceivePane&) = delete;

    void attach(HWND dialog, HMENU menu);
    HWND list() const { return list_; }
    // The view and time stamps as the settings say.
    void show_settings();
    // As received, Lines, Hex, Time stamps, Colours, Show sent, Filter,
    // Highlight, Capture, Stop capture, Capture options, Copy, Clear
    // received; 0 for any other command.
    int view_command(int id);
    void update_menu();
    // Starts a capture to the files `pattern` names (the menu's or the
    // command line's), which may replace a file of the first name.
    int start_capture(const wchar_t* pattern);
    // At start: the command line's capture when it names one, else the one
    // the settings start with the program.
    void start_first_capture(const wchar_t* named);
    // The port opened after it was closed: the capture that starts with the
    // program starts again when none is running.
    void port_opened();
    // The column fills the list but for a vertical scroll bar's room, or is
    // as wide as the widest line, which the list then scrolls sideways to.
    void fit_column();
    void set_max_lines(int lines) { max_lines_ = lines; }
    ReceiveView& view() { return view_; }
    // The Terminal view's screen, fed the same bytes as the list.
    TerminalPane& terminal() { return terminal_; }
    bool terminal_shown() const { return settings_.view == terminal_view; }
    CaptureFile& capture() { return capture_; }

    // One tick's bytes: begin, then each read's chunk, then end, which
    // shows what was added and trims the oldest lines.
    void begin_batch();
    void take(const char* bytes, int count);
    void end_batch();

    // The list's own notifications; the result for the dialog.
    LRESULT on_notify(const NMHDR* header);
    void copy_selected_lines();
    // "-- COM7 lost 11:05:02 --" in the Lines view, after any line in
    // progress; never in the capture.
    void show_marker(const char* what, int port);
    // "-- script: TEXT --" in the Lines view, and in the capture in any view.
    void show_script_mark(const char* text);
    void clear();
    // Line `index` as the list shows it, cut to `room` - 1 characters and
    // ended with a NUL; returns its length.
    int line_text(int index, wchar_t* out, int room) const;
    // The lines the list shows (with a filter, those that contain its text).
    int line_count() const { return shown_count(); }

    // A command that went out, as a line of its own in the Lines view when
    // Show sent is on.
    void show_sent(const char* bytes, int count) override;
    // The filter's next steps through the stored lines (its timer).
    void filter_step();

    // For finding: the stored lines, the first selected one's store index
    // (-1 for none), and showing a stored line selected in the middle of
    // the list, its row's place on the screen in `row`; false when the
    // filter hides it.
    const LineStore& lines() const { return lines_; }
    int selected_line() const;
    bool select_line(int index, RECT& row);

private:
    void add_received_line(const char* text) override;
    void replace_newest_line(const char* text) override;
    void add_own_line(const char* text, LineKind kind) override;
    void store_line(const char* text, char kind, bool replace);
    void drop_lines(int lines);
    void keep_held_lines(int dropped);
    void measure_newest(int count);
    int selected_shown() const;
    int shown_count() const { return filtering_ ? filter_.count() : lines_.count(); }
    int store_index(int shown) const { return filtering_ ? filter_.store_index(shown) : shown; }
    void apply_filter();
    void show_filter_status();
    void select_newest();
    void run_filter_dialog();
    void run_highlight_dialog();

    // The capture kept to start by itself.
    void restart_capture();
    void show_view();
    void choose_capture_file();
    void run_capture_options();

    HWND dialog_ = nullptr;
    HMENU menu_ = nullptr;
    HWND list_ = nullptr;
    LineStore lines_;
    ReceiveView view_;
    LineFilter filter_;
    bool filtering_ = false;
    CaptureFile capture_;
    LinePainter painter_;
    TerminalPane terminal_;
    ViewSettings& settings_;
    SettingsChanges& changes_;
    int max_lines_ = 100000;
    // Whether the list followed the newest line when the batch began, the
    // lines it then held and had selected, and the lines added (or
    // replaced) and dropped since.
    bool follow_newest_ = true;
    int listed_lines_ = 0;
    int lines_selected_ = 0;
    int lines_added_ = 0;
    int lines_dropped_ = 0;
    int widest_ = 0;  // the widest line since the list was emptied, in pixels at 100 %
};
