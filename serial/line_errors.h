#pragma once
#include <windows.h>

// The line errors counted for the user: framing, parity, overrun (the
// UART's or the driver's queue) and break, in that order.
constexpr int line_error_kinds = 4;

// Counts each error the driver reported in `errors` (ClearCommError's flags)
// in `counts`; true when any was. Whichever thread read the flags counts
// them, as reading clears them in the driver.
inline bool count_line_errors(DWORD errors, volatile LONG* counts)
{
    const DWORD flags[line_error_kinds] = {CE_FRAME, CE_RXPARITY, CE_OVERRUN | CE_RXOVER, CE_BREAK};
    bool any = false;
    for (int i = 0; i < line_error_kinds; ++i)
        if (errors & flags[i]) {
            InterlockedIncrement(&counts[i]);
            any = true;
        }
    return any;
}
