#pragma once
#include <windows.h>
#include <cstdint>
#include "app/port_session.h"
#include "app/receive_pane.h"
#include "app/settings_changes.h"
#include "app/shortcut_keys.h"
#include "app/status_bar.h"
#include "settings/settings_file.h"
#include "text/frame.h"

// The longest command line the field takes.
constexpr int command_max_length = 199;
// The repeat's timer.
constexpr UINT_PTR repeat_timer_id = 7;

// What ends each command.
enum class LineEnd { cr, lf, crlf, none };
// The line end the settings file's keys give: SendChar's CR or LF, unless
// LineEnd says CR LF or none (a SendChar other than 0 or 1 sends LF).
LineEnd line_end_of(const Settings& settings);
// Writes the bytes of `end` at `at` (room for 2); returns how many.
int put_line_end(LineEnd end, char* at);

// What the send panel asks of the window it sits in.
class SendHost : public SettingsChanges {
public:
    // Sends at once when the port is open, else when it has opened.
    virtual SendOutcome send_bytes(const char* bytes, int count) = 0;
    // The port is open, or an open is under way.
    virtual bool port_wanted() = 0;

protected:
    ~SendHost() = default;
};

// The command field with its history, the line end, uppercase and escapes;
// the repeat, the macros and file sending through the writer's queue; the
// send part of the status bar and the Send menu. Each command, macro and
// repeat that goes out is told to the received list (files are not).
class SendPanel : public Stoppable {
public:
    SendPanel(SendHost& host, SentLines& sent, StatusBar& status, Settings& settings)
        : host_(host), sent_(sent), status_(status), settings_(settings)
    {
    }
    SendPanel(const SendPanel&) = delete;
    SendPanel& operator=(const SendPanel&) = delete;

    // Attaches the command field from the template and routes its typing
    // through the uppercase filter.
    void attach(HWND dialog, HMENU menu);
    HWND edit() const { return edit_; }
    // Puts the settings on the controls and into the writer.
    void show_settings();
    // Takes the field's history into the settings.
    void take_history();
    void clear_history();

    // The options next to the field.
    void line_end_clicked(LineEnd end);
    void uppercase_clicked();
    void escapes_clicked();
    // Hex pairs in the field: no line end (its buttons greyed), no capitals.
    void hex_clicked();

    // Send and Enter: the field's text into the history, then to the port.
    void send_command();
    void refocus();
    // Empties the field; 0 when it was empty already (or its list is down).
    int clear_field();
    bool list_dropped() const { return SendMessageA(combo_, CB_GETDROPPEDSTATE, 0, 0) != 0; }
    // F1..F12: the key's macro; 0 when the key has none.
    int send_macro(int index);
    void toggle_repeat();
    void end_repeat();
    void repeat_due();
    void choose_file_to_send();
    void stop_sending();
    // Escape: stops a file going out, or else the repeat.
    bool stop_running() override;
    // The port closed or was lost: the writer ended what it was sending.
    void port_ended();
    // Shows what the writer is doing: held, a file's progress, the last result.
    void show_status();
    void run_options_dialog();
    void run_macros_dialog();

    // Gives the writer the pacing and the repeat its period.
    void apply_timing();
    bool repeating() const { return repeat_on_; }
    bool sending_file() const { return sending_file_; }

private:
    int read_field(char* line);
    int command_bytes(const char* line, int length, char* bytes, FrameError& error);
    void refuse_field(const FrameError& error);
    void show_line_end_buttons();

    void update_menu();
    void show_not_sent(const wchar_t* reason);
    static LRESULT CALLBACK uppercase_filter(HWND edit, UINT msg, WPARAM wparam, LPARAM lparam);

    SendHost& host_;
    SentLines& sent_;
    StatusBar& status_;
    Settings& settings_;
    HWND dialog_ = nullptr;
    HWND combo_ = nullptr;
    HWND edit_ = nullptr;
    HMENU menu_ = nullptr;
    WNDPROC edit_proc_ = nullptr;
    bool repeat_on_ = false;
    bool sending_file_ = false;
    bool was_live_ = false;      // the send part showed a live text at the last look
    uint32_t cuts_seen_ = 0;     // the writer's cut commands already shown
    uint64_t file_size_ = 0;
    wchar_t file_name_[MAX_PATH] = {};
    wchar_t note_[MAX_PATH + 64] = {};  // the last result, which stays on show
};
