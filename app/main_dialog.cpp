#include "app/main_dialog.h"
#include <commctrl.h>
#include <shellapi.h>
#include <cstring>
#include "app/command_line_run.h"
#include "app/program_objects.h"
#include "framework/dpi.h"
#include "framework/program_instance.h"
#include "msgbox/about.h"
#include "msgbox/web_links.h"
#include "resources/resource_ids.h"
#include "serial/line_settings.h"
#include "text/port_names.h"


MainDialog::MainDialog()
    : store_(status_),
      layout_(status_, settings_.view),
      session_(*this),
      receive_pane_(status_, settings_.view, *this),
      find_(receive_pane_, status_),
      send_panel_(*this, receive_pane_, status_, settings_),
      auto_responder_(*this, channel_replies(), status_, settings_),
      line_panel_(status_),
      transfer_(status_, receive_pane_, send_panel_, settings_.view, *this),
      script_(*this, *this, receive_pane_, line_panel_, status_, settings_)
{
}

int MainDialog::on_init_dialog()
{
    // Moves and sizes count as the user's only once the layout is taken.
    layout_.attach(hwnd);
    reset_settings(settings_);
    settings_changed = 0;
    first_tick_done = 0;
    session_.close();
    shown_state_ = PortState::closed;
    SetClassLongPtrA(hwnd, GCLP_HICON,
                     reinterpret_cast<LONG_PTR>(LoadIconA(program_instance,
                                                          MAKEINTRESOURCEA(IDI_PROGRAM))));
    menu_ = LoadMenuA(program_instance, MAKEINTRESOURCEA(IDM_MAIN));
    SetMenu(hwnd, menu_);
    status_.create(hwnd, IDC_STATUS_BAR);
    send_panel_.attach(hwnd, menu_);
    auto_responder_.attach(hwnd, menu_);
    receive_pane_.attach(hwnd, menu_);
    receive_pane_.terminal().create(hwnd, this);
    find_.attach(hwnd);
    line_panel_.attach(hwnd, menu_);
    transfer_.attach(hwnd, menu_);
    script_.attach(hwnd, menu_);
    serial_channel.notifier.attach(hwnd, port_event_message);
    layout_.take_template();
    receive_pane_.fit_column();
    store_.locate(hwnd);
    load_settings();
    layout_.restore_placement();
    install_shortcut_keys(hwnd, this);
    set_tick_period();
    if (settings_.view.plot.shown)
        show_plot(true);
    // With a port named on the command line the title says which, so that
    // two windows can be told apart.
    char title[24] = "Quorvex";
    if (named_on_command_line.port)
        wsprintfA(title, "Quorvex - COM%d", named_on_command_line.port);
    SetWindowTextA(hwnd, title);
    apply_named_port(port_setup_dialog.settings);
    receive_pane_.start_first_capture(capture_on_command_line);
    settings_.port = port_setup_dialog.settings;
    send_panel_.take_history();
    store_.remember_base(settings_);
    return 0;  // the dialog manager must not move the focus
}

void MainDialog::on_command(WPARAM wparam, LPARAM)
{
    // Only the option buttons look at the notification: they act on clicks.
    bool clicked = HIWORD(wparam) == BN_CLICKED;
    int id = LOWORD(wparam);
    switch (id) {
    case IDOK:               send_command(); break;
    case IDC_SEND:           send_command(); break;
    case IDCANCEL:           exit_program(); break;
    case IDM_EXIT:           exit_program(); break;
    case IDC_USE_UPPERCASE:  if (clicked) send_panel_.uppercase_clicked(); break;
    case IDC_SEND_CR:        if (clicked) send_panel_.line_end_clicked(LineEnd::cr); break;
    case IDC_SEND_LF:        if (clicked) send_panel_.line_end_clicked(LineEnd::lf); break;
    case IDC_SEND_CRLF:      if (clicked) send_panel_.line_end_clicked(LineEnd::crlf); break;
    case IDC_SEND_NONE:      if (clicked) send_panel_.line_end_clicked(LineEnd::none); break;
    case IDC_ESCAPES:        if (clicked) send_panel_.escapes_clicked(); break;
    case IDC_HEX:            if (clicked) send_panel_.hex_clicked(); break;
    case IDM_PORT_SETUP:     run_port_setup(); break;
    case IDM_OPEN:           open_port(); break;
    case IDM_CLOSE:          close_port(); break;
    case IDM_REOPEN_LOST:    toggle_reopen(); break;
    case IDM_DTR:            line_panel_.toggle_dtr(); break;
    case IDM_RTS:            line_panel_.toggle_rts(); break;
    case IDM_SEND_BREAK:     line_panel_.send_break(); break;
    case IDM_CHECK_UPDATES:  ShellExecuteA(hwnd, "open", PRODUCT_PAGE_ADDRESS, nullptr, nullptr, SW_SHOWNORMAL); break;
    case IDM_PROGRAM_INFO:   help_page.open_page(); break;
    case IDM_ABOUT:          show_about(about_box, hwnd); break;
    case IDM_CLEAR_COMMANDS: send_panel_.clear_history(); break;
    case IDM_SEND_FILE:      send_panel_.choose_file_to_send(); break;
    case IDM_STOP_SENDING:   if (!transfer_.cancel()) send_panel_.stop_sending(); break;
    case IDM_SEND_XMODEM:    transfer_.choose_file_to_send(TransferProtocol::xmodem); break;
    case IDM_SEND_YMODEM:    transfer_.choose_file_to_send(TransferProtocol::ymodem); break;
    case IDM_RECEIVE_XMODEM: transfer_.choose_where_to_receive(TransferProtocol::xmodem); break;
    case IDM_RECEIVE_YMODEM: transfer_.choose_where_to_receive(TransferProtocol::ymodem); break;
    case IDM_XMODEM_1K:
    case IDM_XMODEM_REMOVE_PADDING: transfer_.toggle_option(id); break;
    case IDM_REPEAT:         send_panel_.toggle_repeat(); break;
    case IDM_RUN_SCRIPT:     script_.choose_and_run(); break;
    case IDM_STOP_SCRIPT:    script_.stop(); break;
    case IDM_SEND_OPTIONS:   send_panel_.run_options_dialog(); break;
    case IDM_MACROS:         send_panel_.run_macros_dialog(); break;
    case IDM_AUTO_REPLY_RULES: auto_responder_.run_rules_dialog(); send_panel_.refocus(); break;
    case IDM_AUTO_REPLY:     auto_responder_.toggle(); break;
    case IDM_FIND:           find_.open_dialog(); break;
    case IDM_PLOT:           show_plot(!plot_window.hwnd); settings_changed = 1; break;
    case IDM_CLEAR_RECEIVED: receive_pane_.clear(); plot_window.clear(); status_.end_note(); break;
    case IDM_CAPTURE:        receive_pane_.view_command(id); send_panel_.refocus(); break;
    default:                 view_command(id); break;
    }
}

void MainDialog::on_timer(WPARAM timer_id)
{
    switch (timer_id) {
    case receive_timer_id:  poll_receive(); break;
    case repeat_timer_id:   send_panel_.repeat_due(); break;
    case break_timer_id:    line_panel_.end_break(); break;
    case filter_timer_id:   receive_pane_.filter_step(); break;
    case find_timer_id:     find_.search_step(); break;
    case transfer_timer_id: transfer_.tick(); break;
    case script_timer_id:   poll_receive(); script_.tick(); break;
    default:                break;
    }
}

void MainDialog::on_size(WPARAM kind, LPARAM lparam)
{
    if (layout_.size_changed(kind, lparam))
        settings_changed = 1;
    if (receive_pane_.list())
        receive_pane_.fit_column();
}

// On a monitor of another scale the layout scales before the window takes
// its new rectangle.
void MainDialog::on_dpi_changed(WPARAM wparam, LPARAM lparam)
{
    layout_.dpi_changed(LOWORD(wparam));
    DialogBase::on_dpi_changed(wparam, lparam);
    RECT client;
    GetClientRect(hwnd, &client);
    on_size(SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

LRESULT MainDialog::on_notify(WPARAM, LPARAM lparam)
{
    auto* header = reinterpret_cast<const NMHDR*>(lparam);
    return header->hwndFrom == receive_pane_.list() ? receive_pane_.on_notify(header) : 0;
}

int MainDialog::on_default_message(UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == find_.message())
        find_.on_find_message(lparam);
    switch (msg) {
    case port_event_message:    take_port_events(); return 0;
    case WM_ENDSESSION:         end_session(wparam); return 0;
    case WM_GETMINMAXINFO:      layout_.fill_min_max(reinterpret_cast<MINMAXINFO*>(lparam)); return 0;
    case WM_WINDOWPOSCHANGED:   if (layout_.position_changed()) settings_changed = 1; return 0;
    default:                    return 0;
    }
}

int MainDialog::open_port()
{
    if (session_.state() == PortState::open)
        return 1;
    session_.open(port_setup_dialog.settings);
    show_port_state();
    return 0;
}

// The user's Close also ends any wait for an open or to reopen a lost port.
void MainDialog::close_port()
{
    transfer_.end_before_close();
    session_.close();
    show_port_state();
}

// The settings count as changed whatever the dialog ended with; only OK with
// new settings reaches the port: a new port reopens, a new line is given to
// the open one, nothing else touches it.
void MainDialog::run_port_setup()
{
    PortSettings before = port_setup_dialog.settings;
    port_setup_dialog.run_modal(hwnd, IDD_SELECT_PORT);
    settings_changed = 1;
    if (port_setup_dialog.changed && memcmp(&before, &port_setup_dialog.settings, sizeof before)) {
        // A port that is not open stays as it was shown: its light, its
        // state and why it failed.
        PortState state = session_.state();
        session_.line_changed(port_setup_dialog.settings);
        if (state == PortState::open || state == PortState::opening)
            show_port_state();
    }
}

void MainDialog::toggle_reopen()
{
    settings_.reopen = settings_.reopen ? 0 : 1;
    session_.set_reopening(settings_.reopen != 0);
    CheckMenuItem(menu_, IDM_REOPEN_LOST, settings_.reopen ? MF_CHECKED : MF_UNCHECKED);
    settings_changed = 1;
}

void MainDialog::send_command()
{
    send_panel_.send_command();
}

// Takes everything the reader had gathered when the tick began, chunk by
// chunk, so that a backlog never grows; what comes meanwhile waits for the
// next tick, so a device that never stops can't hold the window in one tick.
void MainDialog::poll_receive()
{
    if (!first_tick_done) {
        first_tick_done = 1;
        // After a refused command line no port opens, and the status says so.
        if (!command_line_refused)
            open_port();
        else {
            show_port_state();
            script_.port_changed(session_.state());
        }
    }
    // Events whose message was lost (a full queue) wait no longer than this.
    take_port_events();
    // What a close left to a driver that kept hold is taken back once it
    // lets go, so the port is free for other programs meanwhile.
    serial_channel.let_go_of_left();
    PortState before = session_.state();
    session_.tick(GetTickCount());
    if (session_.state() != before)
        show_port_state();
    SYSTEMTIME now;
    GetLocalTime(&now);
    receive_pane_.view().begin_tick(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    // The most bytes one received line holds.
    char chunk[receive_line_max_bytes];
    receive_pane_.begin_batch();
    // While a transfer runs it takes what comes; what came after its end in
    // its last read is the list's first.
    int gathered =
        transfer_.holds_input() ? 0 : transfer_.left_over() + serial_channel.bytes_waiting();
    for (int moved = 0; moved < gathered;) {
        int got = transfer_.take_left_over(chunk, sizeof chunk);
        if (got == 0)
            got = serial_channel.read(chunk, sizeof chunk);
        if (got <= 0)
            break;
        receive_pane_.take(chunk, got);
        auto_responder_.take(chunk, got, GetTickCount());
        script_.take(chunk, got);
        plot_window.feed(chunk, got);
        moved += got;
    }
    receive_pane_.end_batch();
    plot_window.refresh();
    receive_pane_.capture().tick();
    if (send_panel_.sending_file())
        send_panel_.show_status();
}

// Every option at its default, then as the file says, on the controls.
void MainDialog::load_settings()
{
    store_.load(settings_);
    port_setup_dialog.settings = settings_.port;
    session_.set_reopening(settings_.reopen != 0);
    CheckMenuItem(menu_, IDM_REOPEN_LOST, settings_.reopen ? MF_CHECKED : MF_UNCHECKED);
    receive_pane_.set_max_lines(settings_.max_lines);
    receive_pane_.show_settings();
    send_panel_.show_settings();
    auto_responder_.show_settings();
    transfer_.show_settings();
}

void MainDialog::save_settings()
{
    settings_.port = port_setup_dialog.settings;
    send_panel_.take_history();
    store_.save(settings_);
    settings_changed = 0;
}

void MainDialog::exit_program()
{
    KillTimer(hwnd, receive_timer_id);
    script_.stop();
    send_panel_.end_repeat();
    remove_shortcut_keys();
    receive_pane_.capture().stop();
    transfer_.end_before_close();
    session_.close();
    line_panel_.end_break();
    if (settings_changed == 1)
        save_settings();
    EndDialog(hwnd, script_.exit_code());
}

void MainDialog::set_status(const char* text)
{
    status_.set_text(status_state, text);
}

// When the session really ends the process goes without an exit: the
// capture file is completed and changed settings are saved now.
void MainDialog::end_session(WPARAM ending)
{
    if (!ending)
        return;
    receive_pane_.capture().stop();
    if (settings_changed == 1)
        save_settings();
}

// The plot window from the View menu: shown where it was last, and up again
// at start when it was up at exit; while it is up the receive tick comes
// often enough for its frames.
void MainDialog::show_plot(bool shown)
{
    PlotSettings& plot = settings_.view.plot;
    if (shown) {
        const RECT* place =
            plot.has_window && caption_on_a_work_area(hwnd, plot.window, window_dpi(hwnd))
                ? &plot.window
                : nullptr;
        plot.shown = plot_window.show(hwnd, plot, place, settings_changed);
    } else {
        plot_window.destroy();
        plot.shown = 0;
    }
    CheckMenuItem(menu_, IDM_PLOT, plot_window.hwnd ? MF_CHECKED : MF_UNCHECKED);
    set_tick_period();
}

// The receive pane's commands; the tick quickens or slows when the
// Terminal view comes or goes.
void MainDialog::view_command(int id)
{
    bool terminal = receive_pane_.terminal_shown();
    receive_pane_.view_command(id);
    if (receive_pane_.terminal_shown() != terminal)
        set_tick_period();
}

// The plot and the Terminal view show what arrives sooner.
void MainDialog::set_tick_period()
{
    bool quick = plot_window.hwnd || receive_pane_.terminal_shown();
    SetTimer(hwnd, receive_timer_id, quick ? plot_timer_period_ms : receive_timer_period_ms, nullptr);
}

// F1..F12 send their macros; a key without one (F10 opens the menu bar) and
// any key with Alt held (Alt+F4 closes) go on as usual, but F3 and Shift+F3
// without a macro find again. The menus' Ctrl keys act from any control.
// Escape with text in the command field empties the field; with the field
// empty it stops a running script or a send under way, and otherwise closes
// the program.
int MainDialog::on_shortcut_key(UINT vk)
{
    // In the terminal's screen every key but a macro's goes to the device.
    if (GetFocus() == receive_pane_.terminal().hwnd())
        return vk >= VK_F1 && vk <= VK_F12 && GetKeyState(VK_MENU) >= 0 &&
               send_panel_.send_macro(static_cast<int>(vk - VK_F1));
    if (vk == VK_ESCAPE) {
        status_.end_note();
        if (send_panel_.list_dropped())
            return 0;  // it closes the list
        Stoppable* const runners[] = {&script_, &transfer_, &send_panel_};
        return send_panel_.clear_field() || escape_stops(runners, 3);
    }
    if (GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
        const struct {
            UINT vk;
            int command;
        } keys[] = {{'B', IDM_SEND_BREAK}, {'O', IDM_OPEN}, {'W', IDM_CLOSE},
                    {'K', IDM_CLEAR_RECEIVED}, {VK_CANCEL, IDM_STOP_SENDING},
                    {'F', IDM_FIND}, {'L', IDM_FILTER}};
        for (const auto& key : keys)
            if (key.vk == vk) {
                on_command(key.command, 0);
                return 1;
            }
    }
    if (vk < VK_F1 || vk > VK_F12 || GetKeyState(VK_MENU) < 0)
        return 0;
    if (send_panel_.send_macro(static_cast<int>(vk - VK_F1)))
        return 1;
    if (vk == VK_F3)
        find_.find_again(GetKeyState(VK_SHIFT) >= 0);
    return vk == VK_F3;
}

// What the port's threads told since the last look.
void MainDialog::take_port_events()
{
    LONG events = serial_channel.notifier.take();
    if (!events)
        return;
    DWORD now = GetTickCount();
    if ((events & port_event_opened) && opener_.finished())
        session_.opening_finished(now);
    if ((events & port_event_lost) && serial_channel.is_open && serial_channel.lost())
        session_.lost(now);
    if (events & port_event_line)
        line_panel_.show_state();
    if (events & port_event_sending)
        send_panel_.show_status();
    if (events & port_event_received)
        transfer_.bytes_arrived();
    // A transfer's bytes change nothing of the port's state.
    if (events & ~port_event_received)
        show_port_state();
}

// The light, the state and line parts of the status bar, and what follows
// a port that opened or went: the line panel, the repeat, the writer's end.
void MainDialog::show_port_state()
{
    PortState state = session_.state();
    PortState before = shown_state_;
    shown_state_ = state;
    char text[160];
    int port = session_.port_number();
    session_.describe_failure(text, sizeof text);
    switch (state) {
    case PortState::closed:
        connection_light.set_closed();
        set_status("Port is closed");
        status_.set_text(status_line, text);
        break;
    case PortState::opening:
        if (before == PortState::opening)
            break;
        wsprintfA(text, "Opening COM%d...", port);
        set_status(text);
        status_.set_text(status_line, "");
        break;
    case PortState::open:
        if (before != PortState::open) {
            connection_light.set_open();
            set_status("Port is open");
            set_named_line_signals();
            receive_pane_.port_opened();
            // The title names the port, so that two windows can be told apart.
            wsprintfA(text, "Quorvex - COM%d", serial_channel.port_number);
            SetWindowTextA(hwnd, text);
        }
        if (session_.failure() == OpenFailure::none) {
            const DCB& line = serial_channel.applied_line;
            format_line_settings(text, sizeof text, serial_channel.port_number, line.BaudRate,
                                 line.ByteSize,
                                 line.Parity <= SPACEPARITY ? "NOEMS"[line.Parity] : '?',
                                 line.StopBits);
        }
        status_.set_text(status_line, text);
        if (session_.take_dropped_on_open())
            status_.set_text(status_send, "Not sent: the send queue is full");
        break;
    case PortState::waiting_to_reopen:
        if (before == PortState::open) {
            connection_light.set_failed();
            set_status("Port was lost");
        }
        status_.set_text(status_line, text);
        break;
    case PortState::reopening:
        break;
    case PortState::failed:
        connection_light.set_failed();
        set_status("Port failed to open");
        status_.set_text(status_line, text);
        break;
    }
    if ((state == PortState::open) != (before == PortState::open)) {
        line_panel_.port_changed();
        EnableMenuItem(menu_, IDM_OPEN, state == PortState::open ? MF_GRAYED : MF_ENABLED);
        EnableMenuItem(menu_, IDM_CLOSE, state == PortState::open ? MF_ENABLED : MF_GRAYED);
    }
    // A loss and the return, marked in the list so that a log read later
    // shows the gap.
    if (before == PortState::open && state == PortState::waiting_to_reopen)
        receive_pane_.show_marker("lost", port);
    if (before == PortState::reopening && state == PortState::open)
        receive_pane_.show_marker("reopened", port);
    if (state == PortState::open && before != PortState::open)
        auto_responder_.restart();
    if (before == PortState::open && state != PortState::open)
        send_panel_.port_ended();
    if (state == PortState::failed || state == PortState::closed)
        send_panel_.end_repeat();
    if (state != before)
        script_.port_changed(state);
}

SendOutcome MainDialog::send_bytes(const char* bytes, int count)
{
    SendOutcome outcome = session_.send(bytes, count, port_setup_dialog.settings);
    show_port_state();
    return outcome;
}

// Asks for the port; true when it is open or on its way.
bool MainDialog::port_wanted()
{
    open_port();
    PortState state = session_.state();
    return state == PortState::open || state == PortState::opening ||
           state == PortState::reopening;
}

int MainDialog::start_open(const PortSettings& line)
{
    return opener_.start(channel_line(line), &serial_channel.notifier);
}

void MainDialog::abandon_open()
{
    opener_.abandon();
}

int MainDialog::adopt_opened(OpenFailure& failure, DWORD& error)
{
    OpenedLine opened = opener_.take();
    if (serial_channel.adopt(opened))
        return 1;
    failure = serial_channel.failure;
    error = serial_channel.failure_error;
    return 0;
}

int MainDialog::apply_line(const PortSettings& line)
{
    return serial_channel.apply_line(channel_line(line));
}

int MainDialog::close_channel()
{
    return serial_channel.close();
}

int MainDialog::write_bytes(const char* bytes, int count)
{
    return serial_channel.write(bytes, count);
}
