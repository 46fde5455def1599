#pragma once
#include <windows.h>
#include "app/line_panel.h"
#include "app/port_session.h"
#include "app/receive_pane.h"
#include "app/send_panel.h"
#include "app/shortcut_keys.h"
#include "app/status_bar.h"
#include "script/script_machine.h"
#include "settings/settings_file.h"

// The running script's timer: received bytes and the time go to the script
// this often, and only while one runs.
constexpr UINT_PTR script_timer_id = 26;
constexpr UINT script_timer_period_ms = 20;

// What the program ends with after a script named on the command line.
enum ScriptExitCode { script_exit_pass = 0, script_exit_fail = 1, script_exit_refused = 2 };

// What the script runner asks of the window for the port.
class ScriptPort {
public:
    virtual int open_port() = 0;
    virtual void close_port() = 0;

protected:
    ~ScriptPort() = default;
};

// Test scripts from the Send menu and the command line. The script is
// parsed whole when it is chosen and refused with its line and reason when
// not well formed; it then runs on the window's thread, fed the received
// bytes by the window and the time by its own timer, sending through the
// same queue as commands and files. The status bar's send part shows its
// name and line; its log lines and verdict go into the list as
// "-- script: ... --" marks, into the capture when one runs, and into the
// command line's log file with a time stamp.
class ScriptRunner : public Stoppable, private ScriptHost {
public:
    ScriptRunner(SendHost& sender, ScriptPort& port, ReceivePane& receive, LinePanel& line,
                 StatusBar& status, const Settings& settings)
        : sender_(sender), port_(port), receive_(receive), line_(line), status_(status),
          settings_(settings)
    {
    }
    ~ScriptRunner();
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    void attach(HWND dialog, HMENU menu);
    // Send > Run script...: a .qvs file chosen, then run.
    void choose_and_run();
    // Parses and starts the script at `path`; false when it was refused.
    bool run_file(const wchar_t* path);
    // Stop script and Escape: 1 when a script was running.
    int stop();
    bool stop_running() override { return stop() != 0; }
    bool running() const { return machine_ && machine_->running(); }
    // Bytes the reader gathered, as the list takes them.
    void take(const char* bytes, int count);
    // The timer.
    void tick();
    // The port's life, for a script named on the command line: it starts
    // once the port is open, and is refused when the port fails to open.
    void port_changed(PortState state);
    // The process's exit code: the command line's script verdict, 0 without one.
    int exit_code() const { return exit_code_; }

private:
    bool send(const unsigned char* bytes, int count) override;
    void set_dtr(bool on) override { line_.set_dtr(on); }
    void set_rts(bool on) override { line_.set_rts(on); }
    void send_break(int32_t ms) override { line_.send_break(static_cast<UINT>(ms)); }
    void set_baud(int32_t baud) override;
    void open_port() override { port_.open_port(); }
    void close_port() override { port_.close_port(); }
    bool capture(const char* path) override;
    void log(const char* text) override;
    void finished(bool passed, const char* verdict) override;

    void refuse(const char* reason);
    void end_run(int code);
    void write_log(const char* text);
    void show_status();
    void update_menu();

    SendHost& sender_;
    ScriptPort& port_;
    ReceivePane& receive_;
    LinePanel& line_;
    StatusBar& status_;
    const Settings& settings_;
    HWND dialog_ = nullptr;
    HMENU menu_ = nullptr;
    Script* script_ = nullptr;
    ScriptMachine* machine_ = nullptr;
    HANDLE log_ = INVALID_HANDLE_VALUE;
    bool from_command_line_ = false;  // the command line's script waits for the port
    bool verdict_for_exit_ = false;   // its verdict is still to come
    int exit_code_ = script_exit_pass;
    int shown_line_ = -1;
    wchar_t path_[MAX_PATH] = {};
    const wchar_t* name_ = L"";       // the file's name in path_
};
