#include "serial/line_settings.h"

namespace {

BYTE parity_for_index(int index)
{
    // 1 odd, 2 even, 3 mark, 4 space: the same numbers as the DCB's.
    return index >= ODDPARITY && index <= SPACEPARITY ? static_cast<BYTE>(index) : NOPARITY;
}

BYTE stop_bits_for_index(int index)
{
    if (index == 1)
        return ONE5STOPBITS;
    if (index == 2)
        return TWOSTOPBITS;
    return ONESTOPBIT;
}

}  // namespace

DWORD baud_rate_for_index(int index)
{
    static const DWORD rates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    if (index < 0 || index >= static_cast<int>(sizeof rates / sizeof rates[0]))
        return 9600;
    return rates[index];
}

int port_number_for_index(int comm)
{
    return comm >= 0 && comm <= 3 ? comm + 1 : 2;
}

int port_number_for(const PortSettings& settings)
{
    if (settings.Port >= 1 && settings.Port <= 256)
        return settings.Port;
    return port_number_for_index(settings.Comm);
}

void set_whole_line(DCB& dcb, const PortSettings& settings)
{
    DWORD baud = static_cast<DWORD>(settings.Baud);
    dcb.BaudRate = baud >= 50 && baud <= 4000000 ? baud : baud_rate_for_index(settings.Speed);
    dcb.Parity = parity_for_index(settings.Parity);
    dcb.ByteSize = settings.ByteSize == 1 ? 7 : 8;
    dcb.StopBits = stop_bits_for_index(settings.StopBits);
    bool rts_cts = settings.Flow == 1;
    bool xon_xoff = settings.Flow == 2;
    dcb.fBinary = TRUE;
    dcb.fParity = dcb.Parity != NOPARITY;
    dcb.fOutxCtsFlow = rts_cts;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = settings.Dtr ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = xon_xoff;
    dcb.fInX = xon_xoff;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fRtsControl = rts_cts        ? RTS_CONTROL_HANDSHAKE
                      : settings.Rts ? RTS_CONTROL_ENABLE
                                     : RTS_CONTROL_DISABLE;
    dcb.fAbortOnError = FALSE;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
}
