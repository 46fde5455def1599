#pragma once
#include <cstdint>
#include "framework/dialog_base.h"

// The main window: command line with history, Send, the options, the
// connection light, the list of received data, the menu and the status bar.
class MainDialog : public DialogBase {
public:
    int on_init_dialog() override;
    void on_command(WPARAM wparam, LPARAM lparam) override;
    void on_timer(WPARAM timer_id) override;

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
    void choose_terminator(int32_t send_char);
    void open_update_page();
    void clear_old_commands();

    // Sending and receiving (main_dialog_terminal.cpp).
    void send_command();
    void refocus_command();
    void poll_receive(WPARAM timer_id);

    // The received list (main_dialog_terminal.cpp). Lines added between
    // begin_received_lines and end_received_lines are drawn once, at the end,
    // which also trims the oldest lines past MaxLines and selects the newest.
    void begin_received_lines();
    void add_received_line(const char* text);
    void replace_newest_line(const char* text);
    void end_received_lines();

    // The settings file (main_dialog_settings.cpp).
    void locate_settings_folder();
    void load_settings();
    void save_settings();

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
    char settings_folder[MAX_PATH] = {};
    char settings_path[MAX_PATH] = {};

private:
    HWND received_list() const;
    int32_t lines_held_off = 0;  // nonzero between begin_ and end_received_lines

    // Set-up steps of on_init_dialog.
    void create_status_bar();
    void attach_command_field();
};

// The receive timer and its period.
constexpr UINT_PTR receive_timer_id = 1;
constexpr UINT receive_timer_period_ms = 250;
// The longest command line the field takes.
constexpr int command_max_length = 199;
