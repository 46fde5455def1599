// Runs the program's real main dialog modally and drives it from inside its
// own modal loop, the way a user's input would reach it.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "tests/support/device_client.h"
#include "tests/support/test_support.h"  // click, combo_entries, wait_for_received

struct MainWindowRun {
    INT_PTR result = -2;       // what run_modal returned
    bool ended_by_driver = false;  // the script left the window open
    bool port_open_after = false;  // the channel was still open when it ended
    bool script_finished = false;  // the script ran and returned
};

// How the window starts: with every program-wide value at its default
// (port settings, options, history, light), or as the next run of the
// program would, from the settings file it finds.
enum class WindowStart { defaults, settings_file };

// Starts the main dialog from template 101, then runs `script` inside the
// dialog's modal loop before the first timer tick. A window the script
// leaves open is closed through IDCANCEL afterwards, with the settings
// marked unchanged so that a test never writes the settings file. The test
// fails, naming run_main_window, when the window could not be created or the
// script did not run to its end.
MainWindowRun run_main_window(const std::function<void(HWND)>& script,
                              WindowStart start_from = WindowStart::defaults);

// Runs `script` in the main window once the port (COM1, the device in
// `mode`) is open, with nothing left over from an earlier test in the line
// or the received list. The test fails, naming with_open_port, when the
// port did not open; run_main_window names itself when the script did not
// run to its end.
void with_open_port(DeviceClient& device, const char* mode,
                    const std::function<void(HWND)>& script);


// What the user sees.
std::vector<std::string> list_lines(HWND dialog);  // as UTF-8
int list_selection(HWND dialog);                   // the first selected line, or -1
std::vector<int> selected_lines(HWND dialog);
std::vector<std::string> history(HWND dialog);
std::string command_text(HWND dialog);
// A part's whole text (part 1: the line settings, 2: the capture), which the
// bar may show shortened for want of room; and the text the bar shows.
std::string status_text(int part = 0);
std::string shown_status_text(int part = 0);

// User input.
// The first `parts` status parts whose text is wider than the part, or "".
std::string status_parts_cut_short(int parts);
void type_text(const char* text);           // WM_CHAR into the command field
bool paste_text(const char* text);          // through the clipboard, WM_PASTE
void command(HWND dialog, int id, int notification = 0);

// Takes the messages waiting for `milliseconds` as the dialog's own modal
// loop takes them: the window-wide keys' filter first, then the dialog
// manager (which asks the focused control which keys it wants), then
// TranslateMessage.
void pump_as_the_dialog(HWND dialog, DWORD milliseconds);
// Pumps messages until the first tick's open has ended, open or failed.
bool wait_for_first_open_attempt(DWORD milliseconds);
// Pumps messages until no open is under way (the port opens off the
// window's thread).
bool wait_for_open_attempt(DWORD milliseconds);
// Pumps messages until `count` more ticks of timer 1 have reached the window.
bool wait_for_ticks(int count, DWORD milliseconds);
