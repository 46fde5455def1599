// Stand-ins for the platform calls the serial channel makes, installed with
// ImportPatch: they record what the channel asked for, pass the call on to
// the real function, and can make one step fail. The wait stand-ins end a
// finite wait only on a clock tick, as Windows does and Wine does not.
#pragma once
#include <windows.h>
#include <string>
#include "tests/serial/import_patch.h"

struct Spy {
    HANDLE port = nullptr;      // what CreateFileA returned
    std::string opened_name;    // the name CreateFileA was given
    int create_calls = 0;
    DWORD create_error = 0;     // when nonzero, CreateFileA fails with it
    DWORD create_delay_ms = 0;  // CreateFileA takes this long
    bool exclusive = false;     // as on Windows: a port is its opener's from the start of
                                // CreateFileA until closed (CloseHandle's stand-in sees
                                // that); another open meanwhile gets ERROR_ACCESS_DENIED
    volatile LONG claimed = 0;
    int port_closes = 0;        // CloseHandle calls on `port`
    HANDLE open_port = nullptr; // `port` until it is closed
    bool fail_timeouts = false; // SetCommTimeouts fails
    bool left_dirty = false;    // GetCommState reports a line left in a bad state
    HANDLE events[3] = {};      // what the first three CreateEventA calls returned:
                                // the read, write and stop events of an open
    int event_calls = 0;
    int failing_event = 0;      // 1..3: that CreateEventA call fails
    DWORD get_length_given = 0; // DCBlength handed to GetCommState
    DCB reported = {};          // what GetCommState reported
    DCB applied = {};           // what SetCommState was given
    std::string dtr_applied;    // the DTR of each SetCommState, e.g. "off on "
    int set_calls = 0;
    bool fail_set = false;
    int setup_calls = 0;
    DWORD setup_in = 0, setup_out = 0;
    bool fail_setup = false;
    bool fail_clear = false;    // ClearCommError fails, leaving garbage in its record
    DWORD line_error_flags = 0; // ClearCommError reports these once
    bool status_to_writer = false; // line_error_flags and fail_clear are for the
                                   // writing thread's ClearCommError only
    bool stand_in_modem = false;// GetCommModemStatus reports modem_bits
    bool fail_modem = false;    //   or fails
    DWORD modem_bits = 0;
    bool stand_in_events = false;  // WaitCommEvent waits for line_changed
    OVERLAPPED* volatile pending_wait = nullptr;
    DWORD* wait_mask = nullptr;
    std::string line_calls;     // EscapeCommFunction and break calls, e.g. "CLRDTR BREAK+ "
    bool refuse_escape = false; // EscapeCommFunction fails with ERROR_GEN_FAILURE
    DWORD break_on_tick = 0, break_off_tick = 0;
    volatile LONG read_calls = 0;
    DWORD largest_read = 0;     // the most bytes one ReadFile asked for
    int failing_reads = 0;      // the next ReadFile calls fail with read_error
    DWORD read_error = 0;
    volatile LONG invented_bytes = 0;  // ReadFile returns these at once, as 'x'
    bool empty_reads_at_once = false;  // as Windows does: a read finds nothing at once
    int invented_hold = 0;      // 1, 2, 3: ClearCommError reports CTS, XOFF or DSR holding
    int write_calls = 0;        // WriteFile calls
    DWORD write_thread = 0;     // the thread of the last WriteFile
    int failing_writes = 0;     // the next WriteFile calls fail with write_error, leaving
    DWORD write_error = 0;      // the OVERLAPPED marked pending as Windows and Wine do
    HANDLE held_write = nullptr;// WriteFile waits for it first: a driver stuck in a call
    bool keep_reads = false;    // an overlapped ReadFile stays pending until end_kept_read,
                                // and CancelIo cancels nothing: a driver that never ends
                                // a cancelled request (its adapter pulled out)
    OVERLAPPED* volatile kept_read = nullptr;
    UINT refused_message = 0;   // PostMessageA refuses this message, as from a full queue
    volatile LONG refused_posts = 0;
};
extern Spy spy;

// Ends the read keep_reads kept, with no bytes.
void end_kept_read();

// Tells a waiting WaitCommEvent stand-in that `events` (EV_CTS, ...) happened.
void line_changed(DWORD events);

// Installs the stand-in for one kernel32 function (or user32's PostMessageA)
// while it lives.
class SpyPatch : public ImportPatch {
public:
    explicit SpyPatch(const char* function);
};

// The DCB's fields as text, for comparing two of them readably.
std::string describe(const DCB& dcb);
