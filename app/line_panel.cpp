#include "app/line_panel.h"
#include "app/program_objects.h"
#include "resources/resource_ids.h"

void LinePanel::update_menu()
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
        EnableMenuItem(menu_, item.id, item.enabled ? MF_ENABLED : MF_GRAYED);
        CheckMenuItem(menu_, item.id, item.checked ? MF_CHECKED : MF_UNCHECKED);
    }
}

// "CTS DSR  Framing 3, Overrun 1". The longest text (every signal, every
// count at its largest) takes about 160 bytes.
void LinePanel::show_state()
{
    char text[192] = {};
    if (serial_channel.is_open) {
        char* end = text;
        const struct {
            LONG bit;
            const char* name;
        } signals[] = {{MS_CTS_ON, "CTS"}, {MS_DSR_ON, "DSR"}, {MS_RLSD_ON, "DCD"}, {MS_RING_ON, "RI"}};
        for (const auto& signal : signals)
            if (serial_channel.modem_status & signal.bit)
                end += wsprintfA(end, end == text ? "%s" : " %s", signal.name);
        if (end == text)
            end += wsprintfA(end, "No signals");
        const struct {
            LONG count;
            const char* format;
        } counts[] = {
            {serial_channel.line_errors[0], "%sFraming %ld"},
            {serial_channel.line_errors[1], "%sParity %ld"},
            {serial_channel.line_errors[2], "%sOverrun %ld"},
            {serial_channel.line_errors[3], "%sBreak %ld"},
            {serial_channel.bytes_dropped, "%sInput overrun: %ld bytes lost"},
            {serial_channel.read_errors, "%sRead errors %ld"},
        };
        const char* separator = "  ";
        for (const auto& count : counts)
            if (count.count > 0) {
                end += wsprintfA(end, count.format, separator, count.count);
                separator = ", ";
            }
    }
    status_.set_text(status_signals, text);
}

void LinePanel::show_refusal(const char* what)
{
    char text[64];
    wsprintfA(text, "COM%d refused %s (error %lu)", serial_channel.port_number, what, GetLastError());
    status_.set_text(status_line, text);
}

void LinePanel::toggle_dtr()
{
    set_dtr(!serial_channel.dtr_on());
}

void LinePanel::toggle_rts()
{
    set_rts(!serial_channel.rts_on());
}

void LinePanel::set_dtr(bool on)
{
    if (!serial_channel.set_dtr(on ? 1 : 0))
        show_refusal("DTR");
    update_menu();
}

void LinePanel::set_rts(bool on)
{
    if (!serial_channel.set_rts(on ? 1 : 0))
        show_refusal("RTS");
    update_menu();
}

void LinePanel::send_break(UINT ms)
{
    if (break_held_ || !serial_channel.is_open)
        return;
    if (!serial_channel.set_break(1)) {
        show_refusal("the break");
        return;
    }
    break_held_ = true;
    SetTimer(dialog_, break_timer_id, ms, nullptr);
}

void LinePanel::end_break()
{
    KillTimer(dialog_, break_timer_id);
    if (break_held_)
        serial_channel.set_break(0);
    break_held_ = false;
}

void LinePanel::port_changed()
{
    if (!serial_channel.is_open)
        end_break();
    update_menu();
    show_state();
}
