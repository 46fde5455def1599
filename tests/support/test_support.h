#pragma once
#include <windows.h>
#include <string>

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
bool write_file(const std::string& path, const std::string& bytes);

// What the shell was asked to open (one line each) since the last call of
// clear_opened_log; the stand-in browser writes them.
std::string opened_log();
void clear_opened_log();
// Waits until the stand-in browser has recorded at least `count` lines.
bool wait_for_opened(int count, DWORD milliseconds);
