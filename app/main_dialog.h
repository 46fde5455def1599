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

    // Sending and receiving (main_dialog_terminal.cpp).
    void send_command();
    void refocus_command();
    void poll_receive(WPARAM timer_id);

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
    char settings_folder[MAX_PATH] = {};
    char settings_path[MAX_PATH] = {};
};
