// Shows a message box modally and acts on it from inside its own wait, the
// way a user's input would reach it.
#pragma once
#include <windows.h>
#include <functional>
#include "msgbox/message_box_window.h"

// A top-level window standing in for the main window: client area 600 x 400,
// counting the WM_TIMER messages it gets.
class OwnerWindow {
public:
    OwnerWindow();
    ~OwnerWindow();
    HWND hwnd = nullptr;
    static int timer_ticks;
};

// Runs box.show(...) while `step(box window, tick)` is called on each tick
// of a 30 ms thread timer, tick counting from 1 while the box is up. A box
// still up after `max_ticks` is sent a WM_CLOSE, so no test can hang. The
// test fails, naming drive_box, when the box never came up or the steps did
// not end it in time. Returns what show returned.
struct BoxArguments {
    HWND owner;
    const char* text;
    const char* link_text;
    UINT style;
    int icon_id;
};
int show_driven(MessageBoxWindow& box, const BoxArguments& arguments,
                const std::function<void(HWND box_window, int tick)>& step,
                int max_ticks = 150, UINT period_ms = 30);
// The same around `bring_up`, which shows `box` some other way (a menu
// command, for example); returns what bring_up returned.
int drive_box(MessageBoxWindow& box, const std::function<int()>& bring_up,
              const std::function<void(HWND box_window, int tick)>& step,
              int max_ticks = 150, UINT period_ms = 30);

// The ticks that show_driven ran before the box closed.
extern int driven_ticks;

// Input, as real keys and clicks produce it, to the window with the focus.
void press_key(WPARAM key);
void key_down(WPARAM key);
void key_up(WPARAM key);
void click_window(HWND window);
