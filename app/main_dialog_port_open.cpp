// Opening the port off the window's thread, showing why an open failed, and
// Port Setup's new settings for a port that is open.
#include <cstring>
#include "app/main_dialog.h"
#include "app/program_objects.h"

PortOpener MainDialog::opener;
char MainDialog::held_command[command_max_length + 3];

namespace {

// The longest wait between two tries to reopen a lost port.
constexpr DWORD longest_reopen_wait_ms = 30000;

// The channel takes a speed table index: the four speed buttons are entries
// 3 to 6 of its table. A hand-edited huge value wraps instead of
// overflowing, and the channel maps it to 9600 like any unknown index.
PortSettings channel_settings()
{
    PortSettings line = port_setup_dialog.settings;
    line.Speed = static_cast<int32_t>(static_cast<uint32_t>(line.Speed) + 3u);
    // The command line may keep DTR or RTS off for this run.
    if (named_on_command_line.dtr == 0)
        line.Dtr = 0;
    if (named_on_command_line.rts == 0)
        line.Rts = 0;
    return line;
}

}  // namespace

void MainDialog::start_opening(int quietly)
{
    PortSettings line = channel_settings();
    opening_quietly = quietly;
    opening_port = port_number_for(line);
    if (!quietly) {
        char text[32];
        wsprintfA(text, "Opening COM%d...", opening_port);
        set_status(text);
        set_line_text("");
    }
    if (opener.start(line)) {
        SetTimer(hwnd, line_timer_id, line_timer_period_ms, nullptr);
        return;
    }
    connection_light.set_failed();
    set_status("Port failed to open");
    show_open_failure(OpenFailure::other, ERROR_NOT_ENOUGH_MEMORY);
}

// Runs on the line timer until the attempt under way has ended.
void MainDialog::check_opening()
{
    if (!opener.finished())
        return;
    OpenedLine opened = opener.take();
    if (serial_channel.adopt(opened)) {
        show_port_open();
        return;
    }
    // A device still away is tried again later; a port that another program
    // holds is shown once and left until the user opens it.
    if (opening_quietly) {
        last_reopen_try = GetTickCount();
        reopen_wait_ms = reopen_wait_ms * 2 < longest_reopen_wait_ms ? reopen_wait_ms * 2
                                                                     : longest_reopen_wait_ms;
        if (serial_channel.failure != OpenFailure::in_use)
            return;
        reopen_wanted = 0;
    }
    held_command_length = 0;
    end_repeat();
    connection_light.set_failed();
    set_status("Port failed to open");
    show_open_failure(serial_channel.failure, serial_channel.failure_error);
}

void MainDialog::show_port_open()
{
    reopen_wanted = 0;
    connection_light.set_open();
    set_status("Port is open");
    set_named_line_signals();
    show_line_settings();
    update_line_menu();
    if (held_command_length > 0)
        serial_channel.write(held_command, held_command_length);
    held_command_length = 0;
}

void MainDialog::show_open_failure(OpenFailure failure, DWORD error)
{
    // One reason for each failure after the first, in their order.
    const char* reason = "COM%d is in use by another program\0COM%d does not exist\0"
                         "COM%d refused these line settings\0COM%d did not open (error %lu)";
    for (int i = static_cast<int>(OpenFailure::in_use); i < static_cast<int>(failure); ++i)
        reason += lstrlenA(reason) + 1;
    char text[64];
    wsprintfA(text, reason, opening_port, error);
    set_line_text(text);
}

void MainDialog::drop_port()
{
    opener.abandon();
    held_command_length = 0;
    end_break();
    serial_channel.close();
    end_sending();
    KillTimer(hwnd, line_timer_id);
    update_line_menu();
    show_line_state();
}

void MainDialog::apply_port_setup(const PortSettings& before)
{
    if (memcmp(&before, &port_setup_dialog.settings, sizeof before) == 0)
        return;
    PortSettings line = channel_settings();
    if (opener.busy()) {
        start_opening(opening_quietly);
        return;
    }
    if (!serial_channel.is_open)
        return;
    if (port_number_for(line) != serial_channel.port_number) {
        drop_port();
        open_port();
        return;
    }
    opening_port = serial_channel.port_number;
    if (serial_channel.apply_line(line))
        show_line_settings();
    else
        show_open_failure(OpenFailure::line_refused, 0);
    update_line_menu();
}

void MainDialog::send_once_open(const char* bytes, int count)
{
    if (count < 0 || count > static_cast<int>(sizeof held_command))
        return;
    memcpy(held_command, bytes, static_cast<size_t>(count));
    held_command_length = count;
}
