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

    void exit_program();

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
