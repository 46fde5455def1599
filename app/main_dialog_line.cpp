// The line of the open port: DTR, RTS and a break from the Port menu and
// Ctrl+B, and status part 3 with the input signals that are on and the
// errors counted since the port opened. The reader thread gathers both; the
// window only looks at what it gathered.
#include "app/main_dialog.h"
#include <commctrl.h>
#include <cstring>
#include "app/program_objects.h"
#include "resources/resource_ids.h"

char MainDialog::line_state_text[192];

void MainDialog::watch_line(WPARAM timer_id)
{
    if (timer_id == break_timer_id)
        end_break();
    if (timer_id != line_timer_id)
        return;
    if (opener.busy())
        check_opening();
    show_line_state();
    // Nothing to watch until the next open starts the timer again.
    if (!serial_channel.is_open && !opener.busy())
        KillTimer(hwnd, line_timer_id);
}

// "CTS DSR" (or "-"), then the line's errors: "CTS DSR  Framing 3, Overrun 1".
// Empty while the port is not open; set only when it changed. The longest
// text (every signal, every count at its largest) takes about 160 bytes.
void MainDialog::show_line_state()
{
    char text[sizeof line_state_text] = {};
    if (serial_channel.is_open) {
        char* end = text;
        LONG on = serial_channel.modem_status;
        const char* name = "CTS\0DSR\0DCD\0RI";
        static const BYTE bits[] = {MS_CTS_ON, MS_DSR_ON, MS_RLSD_ON, MS_RING_ON};
        for (BYTE bit : bits) {
            if (on & bit)
                end += wsprintfA(end, end == text ? "%s" : " %s", name);
            name += lstrlenA(name) + 1;
        }
        if (end == text)
            *end++ = '-';
        const LONG counts[] = {serial_channel.line_errors[0], serial_channel.line_errors[1],
                               serial_channel.line_errors[2], serial_channel.line_errors[3],
                               serial_channel.bytes_dropped, serial_channel.read_errors};
        const char* format = "%sFraming %ld\0%sParity %ld\0%sOverrun %ld\0%sBreak %ld\0"
                             "%sInput overrun: %ld bytes lost\0%sRead errors %ld";
        const char* separator = "  ";
        for (LONG count : counts) {
            if (count > 0) {
                end += wsprintfA(end, format, separator, count);
                separator = ", ";
            }
            format += lstrlenA(format) + 1;
        }
    }
    if (memcmp(text, line_state_text, sizeof text) == 0)
        return;
    memcpy(line_state_text, text, sizeof text);
    SendMessageA(status_bar, SB_SETTEXTA, 3, reinterpret_cast<LPARAM>(text));
}

// DTR, RTS and Send break act on an open port only; RTS not while the
// handshake drives it.
void MainDialog::update_line_menu()
{
    int open = serial_channel.is_open;
    const struct {
        UINT id;
        int enabled, checked;
    } items[] = {
        {IDM_DTR, open, open && serial_channel.dtr_on()},
        {IDM_RTS, open && !serial_channel.rts_by_handshake(), open && serial_channel.rts_on()},
        {IDM_SEND_BREAK, open, 0},
    };
    for (const auto& item : items) {
        EnableMenuItem(menu, item.id, item.enabled ? MF_ENABLED : MF_GRAYED);
        CheckMenuItem(menu, item.id, item.checked ? MF_CHECKED : MF_UNCHECKED);
    }
}

void MainDialog::toggle_dtr()
{
    serial_channel.set_dtr(!serial_channel.dtr_on());
    update_line_menu();
}

void MainDialog::toggle_rts()
{
    serial_channel.set_rts(!serial_channel.rts_on());
    update_line_menu();
}

// The break ends on a timer, so the window goes on answering meanwhile.
void MainDialog::send_break()
{
    if (break_held || !serial_channel.set_break(1))
        return;
    break_held = 1;
    SetTimer(hwnd, break_timer_id, break_length_ms, nullptr);
}

void MainDialog::end_break()
{
    KillTimer(hwnd, break_timer_id);
    if (break_held)
        serial_channel.set_break(0);
    break_held = 0;
}
