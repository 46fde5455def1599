// The line of the open port: DTR, RTS and a break from the Port menu and
// Ctrl+B, and status part 3 with the input signals that are on and the
// errors counted since the port opened. The reader thread gathers both; the
// window only looks at what it gathered.
#include "app/main_dialog.h"
#include <commctrl.h>
#include "app/program_objects.h"
#include "resources/resource_ids.h"

namespace {

// Appends `text` at `end` within `limit`, cutting it when it does not fit.
char* append(char* end, const char* limit, const char* text)
{
    while (*text && end < limit - 1)
        *end++ = *text++;
    *end = '\0';
    return end;
}

// Appends "Name N" (with ", " before all but the first) when N is not zero.
char* append_count(char* end, const char* limit, int& listed, const char* format, LONG count)
{
    if (count <= 0)
        return end;
    char item[48];
    wsprintfA(item, format, count);
    end = append(end, limit, listed++ ? ", " : "  ");
    return append(end, limit, item);
}

}  // namespace

void MainDialog::watch_line(WPARAM timer_id)
{
    if (timer_id == break_timer_id)
        end_break();
    if (timer_id != line_timer_id)
        return;
    if (opener.busy())
        check_opening();
    show_line_state();
}

// "CTS DSR" (or "-"), then the line's errors: "CTS DSR  Framing 3, Overrun 1".
// Empty while the port is not open; set only when it changed.
void MainDialog::show_line_state()
{
    char text[sizeof line_state_text];
    const char* limit = text + sizeof text;
    char* end = text;
    *end = '\0';
    if (serial_channel.is_open) {
        static const struct {
            LONG bit;
            char name[4];
        } signals[] = {{MS_CTS_ON, "CTS"}, {MS_DSR_ON, "DSR"}, {MS_RLSD_ON, "DCD"}, {MS_RING_ON, "RI"}};
        LONG on = serial_channel.modem_status;
        for (const auto& signal : signals)
            if (on & signal.bit) {
                if (end != text)
                    end = append(end, limit, " ");
                end = append(end, limit, signal.name);
            }
        if (end == text)
            end = append(end, limit, "-");
        static const char* const errors[] = {"Framing %ld", "Parity %ld", "Overrun %ld",
                                             "Break %ld"};
        int listed = 0;
        for (int i = 0; i < 4; ++i)
            end = append_count(end, limit, listed, errors[i], serial_channel.line_errors[i]);
        end = append_count(end, limit, listed, "Input overrun: %ld bytes lost",
                           serial_channel.bytes_dropped);
        append_count(end, limit, listed, "Read errors %ld", serial_channel.read_errors);
    }
    if (lstrcmpA(text, line_state_text) == 0)
        return;
    lstrcpynA(line_state_text, text, sizeof line_state_text);
    SendMessageA(status_bar, SB_SETTEXTA, 3, reinterpret_cast<LPARAM>(text));
}

// DTR, RTS and Send break act on an open port only; RTS not while the
// handshake drives it.
void MainDialog::update_line_menu()
{
    int open = serial_channel.is_open;
    int rts = open && !serial_channel.rts_by_handshake();
    EnableMenuItem(menu, IDM_DTR, open ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(menu, IDM_RTS, rts ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(menu, IDM_SEND_BREAK, open ? MF_ENABLED : MF_GRAYED);
    CheckMenuItem(menu, IDM_DTR, open && serial_channel.dtr_on() ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(menu, IDM_RTS, open && serial_channel.rts_on() ? MF_CHECKED : MF_UNCHECKED);
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
