// The open port's line: new settings without a reopen, DTR, RTS and break.
// These run on the window's thread; each is one quick driver call.
#include "serial/serial_channel.h"
#include <cstring>

int SerialChannel::apply_line(const PortSettings& settings)
{
    if (!is_open)
        return 0;
    DCB line = applied_line;
    set_whole_line(line, settings);
    // Leaving RTS/CTS flow control hands RTS back to the Port Setup choice.
    line.fDtrControl = applied_line.fDtrControl;
    if (line.fRtsControl != RTS_CONTROL_HANDSHAKE && rts_by_handshake() == 0)
        line.fRtsControl = applied_line.fRtsControl;
    if (memcmp(&line, &applied_line, sizeof line) == 0)
        return 1;
    if (!SetCommState(handle, &line))
        return 0;
    applied_line = line;
    writer.follow_line(line);
    return 1;
}

int SerialChannel::set_dtr(int on)
{
    if (!is_open || !EscapeCommFunction(handle, on ? SETDTR : CLRDTR))
        return 0;
    applied_line.fDtrControl = on ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    return 1;
}

// RTS under RTS/CTS flow control belongs to the handshake.
int SerialChannel::set_rts(int on)
{
    if (!is_open || rts_by_handshake() || !EscapeCommFunction(handle, on ? SETRTS : CLRRTS))
        return 0;
    applied_line.fRtsControl = on ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    return 1;
}

int SerialChannel::set_break(int on)
{
    if (!is_open)
        return 0;
    return on ? SetCommBreak(handle) != 0 : ClearCommBreak(handle) != 0;
}
