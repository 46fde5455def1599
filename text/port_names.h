#pragma once
#include <stddef.h>

// Serial port names, baud rates and the text that describes a line, all
// without Windows: what the Select Port dialog accepts, what the settings
// file stores and what the status bar shows.

// The highest port number a name may carry (COM1..COM256).
const int highest_port_number = 256;
// The rates that may be typed.
const long lowest_baud_rate = 50;
const long highest_baud_rate = 4000000;

// The number of a port name "COMn" (any case, n 1..256, no leading zero,
// nothing before or after); 0 for anything else, including a null text.
int parse_port_name(const char* text);

// A rate written as a plain whole number from 50 to 4,000,000 (digits only,
// no sign, no spaces, no leading zero); 0 for anything else.
long parse_baud_rate(const char* text);

// Flow control: 0 none, 1 RTS/CTS, 2 XON/XOFF.
enum FlowControl { flow_none = 0, flow_rts_cts = 1, flow_xon_xoff = 2 };
// "RTSCTS" or "XONXOFF" (any case) as a flow setting; 0 (none) for anything else.
int parse_flow_name(const char* text);
// The stored name of a flow setting; "" for none or an unknown value.
const char* flow_name(int flow);

// Writes "COM12 921600 8N1" into `out` (cut to `size` - 1 characters).
// `parity` is 'N', 'O', 'E', 'M' or 'S'; `stop_bits_index` is 0 (one), 1 (one and a
// half) or 2 (two). Returns the length written. `size` is at least 1.
int format_line_settings(char* out, size_t size, int port, unsigned long baud, int data_bits,
                         char parity, int stop_bits_index);

// One entry of the port list: "COM7 - USB Serial Device", or "COM7" without
// a friendly name. A friendly name that ends in " (COM7)" loses that ending.
// Cut to `size` - 1 characters; `size` is at least 1.
void format_port_entry(char* out, size_t size, int port, const char* friendly_name);
