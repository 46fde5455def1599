// A port whose device goes away while it is open: noticed on the next tick,
// shown, and reopened by itself once the device is back.
#include "app/main_dialog.h"
#include <commctrl.h>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "text/port_names.h"

// Runs after each tick's poll, which is what notices a vanished device.
void MainDialog::watch_port(WPARAM timer_id)
{
    if (timer_id != receive_timer_id)
        return;
    if (serial_channel.is_open) {
        if (serial_channel.lost())
            port_lost();
        return;
    }
    if (!reopen_wanted || !Reopen || opener.busy() ||
        GetTickCount() - last_reopen_try < reopen_wait_ms)
        return;
    start_opening(1);
}

void MainDialog::port_lost()
{
    drop_port();
    connection_light.set_failed();
    set_status("Port was lost");
    set_line_text("");
    reopen_wanted = 1;
    reopen_wait_ms = 1000;
    last_reopen_try = GetTickCount();
}

void MainDialog::toggle_reopen()
{
    Reopen = Reopen ? 0 : 1;
    settings_changed = 1;
    show_reopen_option();
}

void MainDialog::show_reopen_option()
{
    CheckMenuItem(menu, IDM_REOPEN_LOST, Reopen ? MF_CHECKED : MF_UNCHECKED);
}

void MainDialog::show_line_settings()
{
    const DCB& line = serial_channel.applied_line;
    char text[32];
    format_line_settings(text, sizeof text, serial_channel.port_number, line.BaudRate,
                         line.ByteSize, line.Parity <= SPACEPARITY ? "NOEMS"[line.Parity] : '?',
                         line.StopBits);
    set_line_text(text);
}

void MainDialog::set_line_text(const char* text)
{
    SendMessageA(status_bar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text));
}
