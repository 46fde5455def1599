#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "serial/port_settings.h"

class DeviceClient;

// Initialises the common controls and registers the program's custom control
// classes, once per process, as the program's entry does.
void prepare_program_classes();

// Dispatches every message that waits for this thread, for `milliseconds`.
void pump_messages(DWORD milliseconds);

// Pumps messages until `condition` holds or `milliseconds` have passed;
// returns whether it held.
template <typename Condition>
bool pump_until(Condition condition, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds)
            return false;
        pump_messages(10);
    }
    return true;
}

// A unique, empty folder under the temporary path, ending with a backslash;
// removed with everything in it by remove_tree.
std::string make_temp_folder(const char* tag);
void remove_tree(const std::string& folder);

std::string read_file(const std::string& path);
// A path or text between the system's code page and UTF-16 (narrow gives UTF-8,
// so that a failure message shows any character).
std::wstring wide(const std::string& text);
std::string narrow(const std::wstring& text);
// The Unix path of a file on drive Z: (Wine's drive for the Unix root).
std::string unix_path(const std::string& windows_path);
bool write_file(const std::string& path, const std::string& bytes);

// What the shell was asked to open (one line each) since the last call of
// clear_opened_log; the stand-in browser writes them.
std::string opened_log();
void clear_opened_log();
// Waits until the stand-in browser has recorded at least `count` lines.
bool wait_for_opened(int count, DWORD milliseconds);

// What a user sees and does in a window.
std::vector<std::string> combo_entries(HWND combo);  // the drop-down list, top first
void click(HWND dialog, int control_id);             // BM_CLICK on a button

// Line settings as the Select Port dialog keeps them (Speed a speed table index).
PortSettings port_settings(int comm, int speed_index, int parity = 0, int byte_size = 0,
                           int stop_bits = 0);
// Every field, for failure messages and comparisons:
// "Comm,Speed,Parity,ByteSize,StopBits port P baud B flow F".
std::string describe(const PortSettings& settings);

// Pumps messages until the device has received at least `count` bytes on
// COM`com`, or `milliseconds` have passed; returns what it received.
std::string wait_for_received(DeviceClient& device, size_t count, DWORD milliseconds,
                              int com = 1);

// A visible top-level window to look for: its class and title (null: any),
// its owner (null: any) and its process (0: this one).
struct WindowQuery {
    const char* class_name = nullptr;
    const char* title = nullptr;  // also "TITLE - anything"
    HWND owner = nullptr;
    DWORD process_id = 0;
};
HWND find_window(const WindowQuery& query);
// Pumps messages until such a window is up; null when none came in time.
HWND wait_for_window(const WindowQuery& query, DWORD milliseconds);
// Arms a thread timer that looks for such a window while a modal loop runs
// (a dialog's, a message box's) and then runs `act` on it once; `act` ends
// that loop, as a click on OK or Cancel does. When no such window comes
// within half a minute, the active window is sent Cancel instead.
void when_window_opens(const WindowQuery& query, const std::function<void(HWND)>& act);
// Disarms the timer; true when `act` ran to its end. Call it once the loop
// has ended.
bool window_was_driven();

// Starts `command_line` (quote the program's path); whether it started.
// `process` receives its handle (null for a Unix program, which Wine starts
// without one) and `process_id` its id; without `process` the handle is closed.
bool start_process(std::string command_line, HANDLE* process = nullptr,
                   DWORD* process_id = nullptr);
// Waits for the process to end and closes its handle: its exit code, or -1
// when there is no process or it did not end in time (it is then ended).
int finish_process(HANDLE process, DWORD milliseconds);
