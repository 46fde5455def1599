#pragma once
#include <cstdint>
#include "framework/dialog_base.h"
#include "serial/port_opener.h"
#include "settings/settings_file.h"
#include "text/command_line.h"
#include "text/line_store.h"
#include "text/receive_view.h"

// The main window: command line with history, Send, the options, the
// connection light, the list of received data, the menu and the status bar.
// The receive view and the capture file's name, outside the window object
// so that they take no room in the program file.
extern ReceiveView receive_view;
extern wchar_t capture_path_text[MAX_PATH];
// The settings folder and file, and each control's place in the layout.
extern wchar_t settings_folder_text[MAX_PATH];
extern wchar_t settings_path_text[MAX_PATH];
struct LaidOutControl {
    HWND window;
    RECT rect;
};
const int max_laid_out = 40;
extern LaidOutControl laid_out_controls[max_laid_out];
// The received lines the list shows (main_dialog_list.cpp), and line
// `index` as shown, cut to `room` - 1 characters; returns its length.
extern LineStore received_lines;
int received_line_text(int index, wchar_t* out, int room);
// The longest command line the field takes.
constexpr int command_max_length = 199;

class MainDialog : public DialogBase, private ReceiveSink {
public:
    int on_init_dialog() override;
    void on_command(WPARAM wparam, LPARAM lparam) override;
    void on_timer(WPARAM timer_id) override;
    void on_size(WPARAM wparam, LPARAM lparam) override;
    void on_dpi_changed(WPARAM wparam, LPARAM lparam) override;
    int on_query_end_session() override;
    LRESULT on_notify(WPARAM wparam, LPARAM lparam) override;
    int on_default_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

    // Port operations (main_dialog.cpp). `open_port` is 1 when the port is
    // open; otherwise it starts opening it (when not already under way) and
    // is 0.
    int open_port();
    void close_port();
    void run_port_setup();
    void exit_program();
    void set_status(const char* text);

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
    // The received list (main_dialog_list.cpp): lines are added to the
    // store between begin and end; the end selects and scrolls to
    // the newest line unless the user has selected an older one, and trims
    // the oldest lines past MaxLines.
    void attach_received_list();
    void fit_received_column();
    void begin_received_lines();
    void add_received_line(const char* text) override;
    void replace_newest_line(const char* text) override;
    void end_received_lines();

    // The View menu, capture and copy (main_dialog_view.cpp).
    void view_command(int id);
    void choose_view(int mode);
    void toggle_time_stamps();
    void update_view_menu();
    int start_capture(const wchar_t* path);
    void choose_capture_file();
    void stop_capture();
    void capture_received(const char* bytes, int count);
    void show_capture_status();
    void show_capture_failure(const wchar_t* path);
    void show_capture_text(const wchar_t* format, const wchar_t* path);
    void copy_selected_lines();
    void clear_received();
    void choose_line_end(int index);
    void escapes_clicked();
    void end_session(WPARAM ending);

    // The resizable window (main_dialog_window.cpp) and its place on the
    // screen (main_dialog_placement.cpp).
    void remember_layout();
    void restore_placement();
    void window_pos_changed();
    void fill_min_max(MINMAXINFO* info);

    // The plot window (main_dialog_plot.cpp): View > Plot shows and hides
    // it; while it is up the receive tick comes often enough for its frames.
    void toggle_plot();
    void show_plot();
    void hide_plot();
    void show_plot_state();

    // The settings file (main_dialog_settings.cpp).
    void locate_settings_folder();
    void load_settings();
    void read_settings(const wchar_t* path);
    int build_settings();
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

    // Opening off the window's thread (main_dialog_port_open.cpp): the
    // attempt under way, polled by the line timer; a reopen after a loss is
    // quiet until it succeeds or the port is taken by another program.
    // Tries after a loss wait longer each time, up to 30 s.
    void start_opening(int quietly);
    void check_opening();
    void show_port_open();
    void show_open_failure(OpenFailure failure, DWORD error);
    // Ends any wait for an open and closes the port, its break and its
    // signals part.
    void drop_port();
    // Port Setup's new settings for an open port: a new port reopens, a new
    // line is applied to the open one, nothing else touches it.
    void apply_port_setup(const PortSettings& before);
    // A command sent while the port opens goes out once it is open.
    void send_once_open(const char* bytes, int count);
    // Static, like the buffers below, so that they take no room in the
    // program file.
    static PortOpener opener;
    int32_t opening_quietly = 0;
    int32_t opening_port = 0;
    DWORD reopen_wait_ms = 0;  // set by a loss
    static char held_command[command_max_length + 3];
    int32_t held_command_length = 0;  // 0: nothing waits

    // The line (main_dialog_line.cpp): DTR, RTS and a break driven from the
    // Port menu and Ctrl+B; status part 3 showing the input signals and the
    // errors the reader counted, refreshed by the line timer.
    void watch_line(WPARAM timer_id);
    void update_line_menu();
    void show_line_state();
    void toggle_dtr();
    void toggle_rts();
    void send_break();
    void end_break();
    int32_t break_held = 0;
    static char line_state_text[192];

    // Line end, escapes, view, time stamps and the window's place as the
    // settings file keeps them; the view itself is the receive view's.
    ViewSettings options;
    ReceiveView& view = receive_view;
    HANDLE capture_file = nullptr;
    DWORD capture_bytes = 0;
    wchar_t (&capture_path)[MAX_PATH] = capture_path_text;
    wchar_t (&settings_folder)[MAX_PATH] = settings_folder_text;
    wchar_t (&settings_path)[MAX_PATH] = settings_path_text;

    // Sharing the desktop: the settings file shared with other
    // windows of the program (main_dialog_shared_settings.cpp), what the
    // command line named for this run (main_dialog_command_line.cpp).
    void show_settings_failure(DWORD failure);
    void remember_settings_base();
    int take_other_windows_changes();
    char* settings_base = nullptr;  // what this window would have saved at start
    uint32_t settings_base_size = 0;
    void apply_command_line();
    void set_named_line_signals();

private:
    // Set-up steps of on_init_dialog.
    void create_status_bar();
    void attach_command_field();

    // Where the list was following the newest line when a tick began, the
    // lines it then held and had selected, and the lines added (or
    // replaced) and dropped since.
    int follow_newest = 1;
    int listed_lines = 0;
    int lines_selected = 0;
    int lines_added = 0;
    int lines_dropped = 0;
    // The template's window size and client size, and each resized
    // control's rectangle in it, for laying out a larger window.
    SIZE min_window = {};
    SIZE base_client = {};
    UINT layout_dpi = 0;      // the scale those sizes were taken at
    // Every control's place in the template's client area, at layout_dpi.
    LaidOutControl (&laid_out)[max_laid_out] = laid_out_controls;
    int control_count = 0;
    // While the window is put in its saved place (its moves are not the
    // user's), and the outer rectangle it had then or after the user's last move.
    int32_t placing = 0;
    RECT placed = {};
};

// What the command line named for this run, and the capture file it named
// (empty when none); read_command_line fills them before the window starts.
extern CommandLine named_on_command_line;
extern wchar_t capture_on_command_line[MAX_PATH];
// Reads `text` (a whole command line, the program's name first). An argument
// it doesn't know shows the usage in a message box, and then nothing named
// counts.
void read_command_line(const wchar_t* text);

// The receive timer and its period; with the plot up, its period.
constexpr UINT_PTR receive_timer_id = 1;
constexpr UINT receive_timer_period_ms = 250;
// While a port is open or opening the line timer polls the opener and the
// line's signals; the break timer ends a break.
constexpr UINT_PTR line_timer_id = 20;
constexpr UINT line_timer_period_ms = 50;
constexpr UINT_PTR break_timer_id = 21;
constexpr UINT break_length_ms = 250;
constexpr UINT plot_timer_period_ms = 40;

// True when the caption of a window at `rect` (taken at `dpi`, with the
// borders `window` has) lies whole on the work area of one screen, so that
// the user can take hold of it.
bool caption_on_a_work_area(HWND window, const RECT& rect, UINT dpi);
// The repeat's timer.
constexpr UINT_PTR repeat_timer_id = 7;
