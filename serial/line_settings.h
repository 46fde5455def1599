#pragma once
#include <windows.h>
#include "serial/port_settings.h"

// Turning the port settings into the line a port is given.

// Baud rate for a speed table index (9600 for any index outside the table).
DWORD baud_rate_for_index(int index);
// The port number for a port index: 1..4 for 0..3, 2 otherwise.
int port_number_for_index(int comm);
// The port number the settings choose: a valid Port, else the Comm button.
int port_number_for(const PortSettings& settings);

// Sets every field of the line from `settings` (`Speed` a speed table
// index), so that nothing a program left on the port before (flow control,
// abort-on-error, a dropped DTR) keeps it from working. DTR and RTS follow
// the settings' Dtr and Rts, RTS the handshake under RTS/CTS flow control.
void set_whole_line(DCB& dcb, const PortSettings& settings);
