#pragma once
#include <windows.h>
#include "app/capture_file.h"
#include "app/settings_changes.h"
#include "app/status_bar.h"
#include "text/line_store.h"
#include "settings/settings_file.h"
#include "text/receive_view.h"

// The received lines: a list view that asks for each line's text as it
// draws it, over the program's own store of lines, in the chosen view; the
// capture file; copying and clearing. Lines are added in batches, the
// oldest dropped past the line limit at no cost, and the list kept on the
// newest line only while the user wants it there (an older line selected
// holds it still). The View menu's commands for the list are its own.
class ReceivePane : private ReceiveSink {
public:
    ReceivePane(StatusBar& status, ViewSettings& settings, SettingsChanges& changes)
        : capture_(status, settings.capture), settings_(settings), changes_(changes)
    {
    }
    ReceivePane(const ReceivePane&) = delete;
    ReceivePane& operator=(const ReceivePane&) = delete;

    void attach(HWND dialog, HMENU menu);
    HWND list() const { return list_; }
    // The view and time stamps as the settings say.
    void show_settings();
    // As received, Lines, Hex, Time stamps, Capture, Stop capture, Capture
    // options, Copy, Clear received; 0 for any other command.
    int view_command(int id);
    void update_menu();
    // Starts a capture to the files `pattern` names (the menu's, the command
    // line's or the one kept in the settings).
    int start_capture(const wchar_t* pattern);
    // At start: the command line's capture when it names one, else the one
    // the settings start with the program.
    void start_first_capture(const wchar_t* named);
    // The port opened after it was closed: the capture that starts with the
    // program starts again when none is running.
    void port_opened();
    // The column fills the list but for a vertical scroll bar's room.
    void fit_column();
    void set_max_lines(int lines) { max_lines_ = lines; }
    ReceiveView& view() { return view_; }
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
    void clear();
    // Line `index` as the list shows it, cut to `room` - 1 characters and
    // ended with a NUL; returns its length.
    int line_text(int index, wchar_t* out, int room) const;
    int line_count() const { return lines_.count(); }

private:
    void add_received_line(const char* text) override;
    void replace_newest_line(const char* text) override;
    void keep_held_lines(int dropped);

    void choose_capture_file();
    void run_capture_options();

    HWND dialog_ = nullptr;
    HMENU menu_ = nullptr;
    HWND list_ = nullptr;
    LineStore lines_;
    ReceiveView view_;
    CaptureFile capture_;
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
};
