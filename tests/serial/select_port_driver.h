// Drives the modal Select Port dialog from inside its own modal loop.
#pragma once
#include <windows.h>
#include <functional>

// Arms a timer that waits for the Select Port dialog of this thread and then
// runs `act` on it once; `act` ends the dialog (a click on OK or Cancel).
void when_select_port_opens(const std::function<void(HWND)>& act);
// Disarms the timer; true when `act` ran to its end. Call it after the
// dialog ended.
bool select_port_was_driven();

// Check state of one radio button, as the user sees it.
bool is_checked(HWND dialog, int id);
