// Stand-ins for the platform calls the serial channel makes, installed with
// ImportPatch: they record what the channel asked for, pass the call on to
// the real function, and can make one step fail.
#pragma once
#include <windows.h>
#include <string>
#include "tests/serial/import_patch.h"

struct Spy {
    HANDLE port = nullptr;      // what CreateFileA returned
    std::string opened_name;    // the name CreateFileA was given
    bool left_dirty = false;    // GetCommState reports a line left in a bad state
    HANDLE events[3] = {};      // what the first three CreateEventA calls returned:
                                // the read, write and stop events of an open
    int event_calls = 0;
    int failing_event = 0;      // 1..3: that CreateEventA call fails
    DWORD get_length_given = 0; // DCBlength handed to GetCommState
    DCB reported = {};          // what GetCommState reported
    DCB applied = {};           // what SetCommState was given
    int set_calls = 0;
    bool fail_set = false;
    int setup_calls = 0;
    DWORD setup_in = 0, setup_out = 0;
    bool fail_setup = false;
    int invented_hold = 0;      // 1, 2, 3: ClearCommError reports CTS, XOFF or DSR holding
    int write_calls = 0;        // WriteFile calls
};
extern Spy spy;

// Installs the stand-in for one kernel32 function while it lives.
class SpyPatch : public ImportPatch {
public:
    explicit SpyPatch(const char* function);
};

// The DCB's fields as text, for comparing two of them readably.
std::string describe(const DCB& dcb);
