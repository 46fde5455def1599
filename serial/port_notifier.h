#pragma once
#include <windows.h>

// What a port thread has for the window.
enum PortEvent : LONG {
    port_event_line = 1,      // new input signals or line errors
    port_event_lost = 2,      // the device is gone
    port_event_sending = 4,   // the writer held, moved on, cut a command or ended a file
    port_event_opened = 8,    // an open attempt ended
    port_event_received = 16, // bytes came, while the window asked to hear of them
};

// Tells the window, by one posted message, that a thread of the port has
// something: the message's WPARAM is unused; the window takes every event
// that came since with `take`. While one message is on its way no other is
// posted, so a busy thread never floods the window's queue. A message the
// queue refused (full, or the window going away) is posted again with the
// next event, and the events wait for the window's next `take` meanwhile
// (its timer takes them too). Threads touch no window but this one's
// message queue.
class PortNotifier {
public:
    // A new window: what the last one was told and never took is gone.
    void attach(HWND window, UINT message)
    {
        window_ = window;
        message_ = message;
        InterlockedExchange(&pending_, 0);
        InterlockedExchange(&posted_, 0);
    }
    void post(PortEvent event)
    {
        InterlockedOr(&pending_, event);
        if (InterlockedExchange(&posted_, 1) == 0 && window_ &&
            !PostMessageA(window_, message_, 0, 0))
            InterlockedExchange(&posted_, 0);
    }
    // The message, once here, no longer holds others back: what comes
    // after the take is posted anew.
    LONG take()
    {
        InterlockedExchange(&posted_, 0);
        return InterlockedExchange(&pending_, 0);
    }

private:
    HWND window_ = nullptr;
    UINT message_ = 0;
    volatile LONG pending_ = 0;
    volatile LONG posted_ = 0;  // a message is on its way
};
