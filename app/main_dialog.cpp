#include "app/main_dialog.h"
#include <commctrl.h>
#include <shellapi.h>
#include "app/program_objects.h"
#include "app/uppercase_char_filter.h"
#include "framework/program_instance.h"
#include "msgbox/about.h"
#include "msgbox/web_links.h"
#include "resources/resource_ids.h"

int MainDialog::on_init_dialog()
{
    // Moves and sizes count as the user's only once the layout is taken.
    min_window.cx = 0;
    SetClassLongPtrA(hwnd, GCLP_HICON,
                     reinterpret_cast<LONG_PTR>(LoadIconA(program_instance,
                                                          MAKEINTRESOURCEA(IDI_PROGRAM))));
    menu = LoadMenuA(program_instance, MAKEINTRESOURCEA(IDM_MAIN));
    SetMenu(hwnd, menu);
    create_status_bar();
    attach_command_field();
    attach_received_list();
    remember_layout();
    locate_settings_folder();
    load_settings();
    restore_placement();
    update_view_menu();
    install_key_filter();
    SetTimer(hwnd, receive_timer_id, receive_timer_period_ms, nullptr);
    if (options.plot.shown)
        show_plot();
    SetWindowTextA(hwnd, "Quorvex");
    apply_command_line();
    remember_settings_base();
    return 0;  // the dialog manager must not move the focus
}

void MainDialog::create_status_bar()
{
    // Its parts are set with the layout: part 0 the port's state, part 1
    // its line settings, part 2 the capture, part 3 the line's signals.
    status_bar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", hwnd, IDC_STATUS_BAR);
    line_state_text[0] = '\0';
}

// Attaches the history combo box from the template, limits its edit field
// and routes the field's typing through the uppercase filter.
void MainDialog::attach_command_field()
{
    command_combo.create(hwnd, IDC_COMMAND, "", CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT);
    SendMessageA(command_combo.hwnd, CB_LIMITTEXT, command_max_length, 0);
    command_edit = ChildWindowFromPoint(command_combo.hwnd, POINT{5, 5});
    if (!command_edit || command_edit == command_combo.hwnd) {
        // The point missed the field; ask the combo box for it instead, so
        // that the combo box itself is never subclassed as if it were the field.
        COMBOBOXINFO info = {};
        info.cbSize = sizeof info;
        command_edit = GetComboBoxInfo(command_combo.hwnd, &info) ? info.hwndItem : nullptr;
    }
    previous_edit_proc = nullptr;
    if (command_edit)
        previous_edit_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            command_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(uppercase_char_filter)));
}

void MainDialog::on_command(WPARAM wparam, LPARAM)
{
    // Only the option buttons look at the notification: they act on clicks.
    bool clicked = HIWORD(wparam) == BN_CLICKED;
    switch (LOWORD(wparam)) {
    case IDOK:               send_command(); break;
    case IDC_SEND:           send_command(); break;
    case IDCANCEL:           exit_program(); break;
    case IDM_EXIT:           exit_program(); break;
    case IDC_USE_UPPERCASE:  if (clicked) use_uppercase_clicked(); break;
    case IDC_SEND_CR:        if (clicked) choose_line_end(0); break;
    case IDC_SEND_LF:        if (clicked) choose_line_end(1); break;
    case IDC_SEND_CRLF:      if (clicked) choose_line_end(2); break;
    case IDC_SEND_NONE:      if (clicked) choose_line_end(3); break;
    case IDC_ESCAPES:        if (clicked) escapes_clicked(); break;
    case IDM_PORT_SETUP:     run_port_setup(); break;
    case IDM_OPEN:           open_port(); break;
    case IDM_CLOSE:          close_port(); break;
    case IDM_REOPEN_LOST:    toggle_reopen(); break;
    case IDM_DTR:            toggle_dtr(); break;
    case IDM_RTS:            toggle_rts(); break;
    case IDM_SEND_BREAK:     send_break(); break;
    case IDM_CHECK_UPDATES:  open_update_page(); break;
    case IDM_PROGRAM_INFO:   help_page.open_page(); break;
    case IDM_ABOUT:          show_about(about_box, hwnd); break;
    case IDM_CLEAR_COMMANDS: clear_old_commands(); break;
    case IDM_SEND_FILE:      choose_send_file(); break;
    case IDM_STOP_SENDING:   stop_sending(); break;
    case IDM_REPEAT:         toggle_repeat(); break;
    case IDM_SEND_OPTIONS:   run_send_dialog(IDD_SEND_OPTIONS); break;
    case IDM_MACROS:         run_send_dialog(IDD_MACROS); break;
    default:                 view_command(LOWORD(wparam)); break;
    }
}

void MainDialog::on_timer(WPARAM timer_id)
{
    poll_receive(timer_id);
    watch_port(timer_id);
    watch_line(timer_id);
    repeat_due(timer_id);
    if (timer_id == receive_timer_id)
        show_send_status();
}

// The View menu's commands; the three views are its first three ids.
void MainDialog::view_command(int id)
{
    if (id >= IDM_VIEW_AS_RECEIVED && id <= IDM_VIEW_HEX) {
        choose_view(id - IDM_VIEW_AS_RECEIVED);
        return;
    }
    switch (id) {
    case IDM_TIME_STAMPS:      toggle_time_stamps(); break;
    case IDM_CAPTURE:          choose_capture_file(); break;
    case IDM_STOP_CAPTURE:     stop_capture(); break;
    case IDM_COPY:             copy_selected_lines(); break;
    case IDM_CLEAR_RECEIVED:   clear_received(); break;
    case IDM_PLOT:             toggle_plot(); break;
    default:                   break;
    }
}

void MainDialog::use_uppercase_clicked()
{
    Upper = IsDlgButtonChecked(hwnd, IDC_USE_UPPERCASE) == BST_CHECKED ? 1 : 0;
    settings_changed = 1;
    refocus_command();
}

void MainDialog::open_update_page()
{
    ShellExecuteA(hwnd, "open", PRODUCT_PAGE_ADDRESS, nullptr, nullptr, SW_SHOWNORMAL);
}

// Empties the history and the field; the stored history stays as it is
// unless something else changes before exit.
void MainDialog::clear_old_commands()
{
    SendMessageA(command_combo.hwnd, CB_RESETCONTENT, 0, 0);
}

int MainDialog::open_port()
{
    if (serial_channel.is_open)
        return 1;
    if (!opener.busy())
        start_opening(0);
    return 0;
}

// The user's Close also ends any wait for an open or to reopen a lost port.
void MainDialog::close_port()
{
    drop_port();
    reopen_wanted = 0;
    connection_light.set_closed();
    set_status("Port is closed");
    set_line_text("");
}

// The settings count as changed whatever the dialog ended with; only OK with
// new settings reaches the port (main_dialog_port_open.cpp).
void MainDialog::run_port_setup()
{
    PortSettings before = port_setup_dialog.settings;
    port_setup_dialog.run_modal(hwnd, IDD_SELECT_PORT);
    settings_changed = 1;
    if (port_setup_dialog.changed)
        apply_port_setup(before);
}

void MainDialog::exit_program()
{
    KillTimer(hwnd, receive_timer_id);
    end_repeat();
    remove_key_filter();
    stop_capture();
    drop_port();
    if (settings_changed == 1)
        save_settings();
    EndDialog(hwnd, 0);
}

void MainDialog::set_status(const char* text)
{
    SendMessageA(status_bar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}
