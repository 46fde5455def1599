#pragma once
#include <windows.h>

// Who handles the keys that act in the whole window.
class ShortcutHandler {
public:
    // 1 when the key was handled (the focused control then never sees it).
    virtual int on_shortcut_key(UINT vk) = 0;

protected:
    ~ShortcutHandler() = default;
};

// A part that may have something under way that Escape stops: a file or a
// repeat going out, a transfer.
class Stoppable {
public:
    // Stops what runs and says so; false when nothing ran.
    virtual bool stop_running() = 0;

protected:
    ~Stoppable() = default;
};

// Escape with nothing typed: the first of the parts with something under
// way stops it, and the key is used (1); 0 when none had anything, and the
// key then closes the window.
int escape_stops(Stoppable* const* parts, int count);

// Keys that act in the whole main window, whatever control has the focus: a
// message filter sees them in the window's modal loop before the focused
// control does, and swallows those the handler takes. Only the window's own
// loop: a dialog it opened keeps its keys. One window at a time.
void install_shortcut_keys(HWND window, ShortcutHandler* handler);
void remove_shortcut_keys();
// A modeless dialog of the window (Find) whose messages the window's loop
// would otherwise not pass through the dialog manager: its keys (Tab, Enter,
// Escape) reach it through the same filter. Null for none.
void route_dialog_keys(HWND modeless);
