#pragma once
#include <cstdint>
#include "framework/dialog_base.h"
#include "settings/settings_file.h"
#include "text/receive_view.h"

// The main window: command line with history, Send, the options, the
// connection light, the list of received data, the menu and the status bar.
// The receive view and the capture file's name, outside the window object
// so that they take no room in the program file.
extern ReceiveView receive_view;
extern char capture_path_text[MAX_PATH];

class MainDialog : public DialogBase, private ReceiveSink {
public:
    int on_init_dialog() override;
    void on_command(WPARAM wparam, LPARAM lparam) override;
    void on_timer(WPARAM timer_id) override;
    void on_size(WPARAM wparam, LPARAM lparam) override;
    void on_dpi_changed(WPARAM wparam, LPARAM lparam) override;
    int on_query_end_session() override;
    int on_vkey_to_item(WPARAM wparam) override;
    int on_default_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

    // Port operations (main_dialog.cpp).
    int open_port();
    void close_port();
    void run_port_setup();
    void exit_program();
    void set_status(const char* text);
    // Opens the channel with the stored settings; on success shows the open
    // port (light, status, line settings). 0, showing nothing, on failure.
    int open_channel();

    // A port that goes away while open (main_dialog_port_watch.cpp).
    void watch_port(WPARAM timer_id);
    void port_lost();
    void toggle_reopen();
    void show_reopen_option();
    // Part 1 of the status bar: the line settings in use, or empty.
    void show_line_settings();
    void set_line_text(const char* text);

    // Smaller commands of the menu and the options (main_dialog.cpp).
    void use_uppercase_clicked();
    void open_update_page();
    void clear_old_commands();

    // Sending and receiving (main_dialog_terminal.cpp).
    void send_command();
    int read_command_field(char* line);
    int command_bytes(char* line, int length);
    int append_line_end(char* at);
    void refocus_command();
    void poll_receive(WPARAM timer_id);
    // Shows one read's bytes in the chosen view and adds them to a capture.
    void show_received(const char* bytes, int count);
    // The received list (main_dialog_list.cpp): lines are added between
    // begin and end with drawing held off; the end selects and scrolls to
    // the newest line unless the user has selected an older one, and trims
    // the oldest lines past MaxLines.
    void begin_received_lines();
    void add_received_line(const char* text) override;
    void replace_newest_line(const char* text) override;
    void end_received_lines();

    // The View menu, capture and copy (main_dialog_view.cpp).
    void view_command(int id);
    void choose_view(int mode);
    void toggle_time_stamps();
    void update_view_menu();
    int start_capture(const char* path);
    void choose_capture_file();
    void stop_capture();
    void capture_received(const char* bytes, int count);
    void show_capture_status();
    void show_capture_failure(const char* path);
    void show_capture_text(const char* format, const char* path);
    void copy_selected_lines();
    void clear_received();
    void choose_line_end(int index);
    void escapes_clicked();
    void end_session(WPARAM ending);

    // The resizable window (main_dialog_window.cpp).
    void remember_layout();
    void restore_placement();
    void window_pos_changed();
    void fill_min_max(MINMAXINFO* info);

    // The settings file (main_dialog_settings.cpp).
    void locate_settings_folder();
    void load_settings();
    void save_settings();

    // Sending through the writer's queue (main_dialog_send.cpp): a file,
    // the repeat, the macros, their options, and the send part of the status
    // bar; keys that act in the whole window (main_dialog_keys.cpp).
    void choose_send_file();
    void stop_sending();
    void toggle_repeat();
    void end_repeat();
    void repeat_due(WPARAM timer_id);
    int send_macro(int index);
    void run_send_dialog(int template_id);
    void apply_send_options();
    void end_sending();
    void show_send_status();
    void update_send_menu();
    void install_key_filter();
    void remove_key_filter();
    int on_shortcut_key(UINT vk);
    int32_t repeat_on = 0;
    int32_t sending_file = 0;       // a file is queued or going out
    uint32_t cuts_seen = 0;         // the writer's cut commands already shown
    uint64_t send_file_size = 0;

    HWND status_bar = nullptr;
    HWND command_edit = nullptr;
    HMENU menu = nullptr;
    int32_t settings_changed = 0;
    int32_t Upper = 0;
    int32_t first_tick_done = 0;
    int32_t SendChar = 0;
    int32_t MaxLines = 100000;  // received lines kept
    // Reopen a lost port by itself (the Port menu's option), whether a loss
    // is waiting for that, and when the last attempt was.
    int32_t Reopen = 1;
    int32_t reopen_wanted = 0;
    DWORD last_reopen_try = 0;
    // Line end, escapes, view, time stamps and the window's place as the
    // settings file keeps them; the view itself is the receive view's.
    ViewSettings options;
    ReceiveView& view = receive_view;
    HANDLE capture_file = nullptr;
    DWORD capture_bytes = 0;
    char (&capture_path)[MAX_PATH] = capture_path_text;
    char settings_folder[MAX_PATH] = {};
    char settings_path[MAX_PATH] = {};

private:
    // Set-up steps of on_init_dialog.
    void create_status_bar();
    void attach_command_field();

    // Where the list was following the newest line when a tick began.
    int follow_newest = 1;
    int lines_added = 0;
    // The template's window size and client size, and each resized
    // control's rectangle in it, for laying out a larger window.
    SIZE min_window = {};
    SIZE base_client = {};
    RECT base_rects[3] = {};  // the list, the command box, Send
    UINT layout_dpi = 0;      // the scale those sizes were taken at
};

// The receive timer and its period.
constexpr UINT_PTR receive_timer_id = 1;
constexpr UINT receive_timer_period_ms = 250;
// The repeat's timer.
constexpr UINT_PTR repeat_timer_id = 7;
// The longest command line the field takes.
constexpr int command_max_length = 199;
