#pragma once
#include <cstdint>
#include "app/auto_responder.h"
#include "app/line_find.h"
#include "app/line_panel.h"
#include "app/port_session.h"
#include "app/receive_pane.h"
#include "app/script_runner.h"
#include "app/send_panel.h"
#include "app/settings_store.h"
#include "app/shortcut_keys.h"
#include "app/status_bar.h"
#include "app/transfer_panel.h"
#include "app/window_layout.h"
#include "framework/dialog_base.h"
#include "settings/settings_file.h"

// The receive timer and its period; with the plot up, its period.
constexpr UINT_PTR receive_timer_id = 1;
constexpr UINT receive_timer_period_ms = 250;
constexpr UINT plot_timer_period_ms = 40;
// What the port's threads post when they have something.
constexpr UINT port_event_message = WM_APP + 1;

// The main window. It creates the parts, routes messages, commands and
// notifications to them, and coordinates the port's life, sending,
// receiving and the settings file. Each part owns its state: the port
// session, the received list, finding in it, the send panel, the automatic
// replies, the transfers, the line panel, the test scripts, the layout, the
// status bar and the settings store.
class MainDialog : public DialogBase,
                   private SendHost,
                   private PortDriver,
                   private ShortcutHandler,
                   private ScriptPort {
public:
    MainDialog();

    int on_init_dialog() override;
    void on_command(WPARAM wparam, LPARAM lparam) override;
    void on_timer(WPARAM timer_id) override;
    void on_size(WPARAM wparam, LPARAM lparam) override;
    void on_dpi_changed(WPARAM wparam, LPARAM lparam) override;
    LRESULT on_notify(WPARAM wparam, LPARAM lparam) override;
    int on_default_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

    // 1 when the port is open; otherwise starts opening it (when not already
    // under way) and is 0.
    int open_port() override;
    void close_port() override;
    void run_port_setup();
    void send_command();
    // Moves everything the reader gathered when the tick began into the
    // capture, the list and the plot.
    void poll_receive();
    void load_settings();
    void save_settings();
    void exit_program();
    void set_status(const char* text);

    // The parts, for the tests and the benchmarks.
    Settings& settings() { return settings_; }
    ReceivePane& receiver() { return receive_pane_; }
    SendPanel& sender() { return send_panel_; }
    AutoResponder& responder() { return auto_responder_; }
    PortSession& session() { return session_; }
    ScriptRunner& script() { return script_; }
    const SettingsStore& store() const { return store_; }
    HWND command_edit() const { return send_panel_.edit(); }
    HWND status_bar() const { return status_.hwnd(); }
    const StatusBar& status() const { return status_; }
    HMENU menu() const { return menu_; }

    int32_t settings_changed = 0;
    int32_t first_tick_done = 0;

private:
    // The port's life: what its threads told, and what the user sees of it.
    void take_port_events();
    void show_port_state();
    void show_plot(bool shown);
    void set_tick_period();
    void view_command(int id);
    void toggle_reopen();
    void end_session(WPARAM ending);
    // SendHost, PortDriver and ShortcutHandler.
    SendOutcome send_bytes(const char* bytes, int count) override;
    bool port_wanted() override;
    void mark_settings_changed() override { settings_changed = 1; }
    int start_open(const PortSettings& line) override;
    void abandon_open() override;
    int adopt_opened(OpenFailure& failure, DWORD& error) override;
    int apply_line(const PortSettings& line) override;
    int close_channel() override;
    int write_bytes(const char* bytes, int count) override;
    int on_shortcut_key(UINT vk) override;

    Settings settings_;
    StatusBar status_;
    SettingsStore store_;
    WindowLayout layout_;
    PortSession session_;
    ReceivePane receive_pane_;
    LineFind find_;
    SendPanel send_panel_;
    AutoResponder auto_responder_;
    LinePanel line_panel_;
    TransferPanel transfer_;
    ScriptRunner script_;
    PortOpener opener_;
    HMENU menu_ = nullptr;
    PortState shown_state_ = PortState::closed;
};
