#pragma once
#include <windows.h>

// Fills a combo box's list with the serial ports the system reports, in the
// order of their numbers, each as "COM7 - <friendly name>" where the system
// gives one; each entry's item data is its port number.
void fill_port_list(HWND combo);

// Fills a combo box's list with the common baud rates.
void fill_rate_list(HWND combo);

// The port number the combo box's text names: a listed entry, or a typed
// "COMn"; 0 when it names no port.
int port_in_field(HWND combo);
