#include "tests/serial/platform_spy.h"
#include <cstdio>
#include <cstring>

Spy spy;

namespace {

// The real functions, found once; calling them by name from a stand-in
// would come back to the stand-in while it is installed.
template <typename Function>
Function real(const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

HANDLE WINAPI spy_create_file(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                              DWORD disposition, DWORD flags, HANDLE templ)
{
    static auto create_file = real<decltype(&CreateFileA)>("CreateFileA");
    // Files (the settings file) pass unseen.
    if (!name || strncmp(name, "\\\\.\\COM", 7) != 0)
        return create_file(name, access, share, sa, disposition, flags, templ);
    if (spy.exclusive && InterlockedCompareExchange(&spy.claimed, 1, 0) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    ++spy.create_calls;
    spy.opened_name = name;
    if (spy.create_delay_ms)
        Sleep(spy.create_delay_ms);
    if (spy.create_error) {
        InterlockedExchange(&spy.claimed, 0);
        SetLastError(spy.create_error);
        return INVALID_HANDLE_VALUE;
    }
    spy.port = create_file(name, access, share, sa, disposition, flags, templ);
    spy.open_port = spy.port;
    if (spy.port == INVALID_HANDLE_VALUE)
        InterlockedExchange(&spy.claimed, 0);
    return spy.port;
}

BOOL WINAPI spy_close_handle(HANDLE handle)
{
    static auto close_handle = real<decltype(&CloseHandle)>("CloseHandle");
    // Once closed, the port's handle value may come back for another object.
    if (handle && handle == spy.open_port) {
        ++spy.port_closes;
        spy.open_port = nullptr;
        InterlockedExchange(&spy.claimed, 0);
    }
    return close_handle(handle);
}

BOOL WINAPI spy_set_comm_timeouts(HANDLE port, LPCOMMTIMEOUTS timeouts)
{
    static auto set_comm_timeouts = real<decltype(&SetCommTimeouts)>("SetCommTimeouts");
    if (spy.fail_timeouts) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    return set_comm_timeouts(port, timeouts);
}

BOOL WINAPI spy_get_comm_modem_status(HANDLE port, LPDWORD bits)
{
    static auto get_modem_status = real<decltype(&GetCommModemStatus)>("GetCommModemStatus");
    if (!spy.stand_in_modem)
        return get_modem_status(port, bits);
    if (spy.fail_modem) {
        SetLastError(ERROR_BAD_COMMAND);
        return FALSE;
    }
    *bits = spy.modem_bits;
    return TRUE;
}

// An overlapped wait that the stand-in completes itself: line_changed ends
// it with the events, CancelIo with a cancel.
BOOL WINAPI spy_wait_comm_event(HANDLE port, LPDWORD mask, LPOVERLAPPED overlapped)
{
    static auto wait_comm_event = real<decltype(&WaitCommEvent)>("WaitCommEvent");
    if (!spy.stand_in_events || !overlapped)
        return wait_comm_event(port, mask, overlapped);
    overlapped->Internal = STATUS_PENDING;
    overlapped->InternalHigh = 0;
    ResetEvent(overlapped->hEvent);
    spy.wait_mask = mask;
    InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&spy.pending_wait), overlapped);
    SetLastError(ERROR_IO_PENDING);
    return FALSE;
}

BOOL WINAPI spy_cancel_io(HANDLE port)
{
    static auto cancel_io = real<decltype(&CancelIo)>("CancelIo");
    if (spy.keep_reads)
        return TRUE;
    if (spy.stand_in_events)
        line_changed(0);
    return cancel_io(port);
}

BOOL WINAPI spy_escape_comm_function(HANDLE port, DWORD function)
{
    static auto escape = real<decltype(&EscapeCommFunction)>("EscapeCommFunction");
    const char* names[] = {"?", "SETXOFF", "SETXON", "SETRTS", "CLRRTS", "SETDTR", "CLRDTR"};
    spy.line_calls += std::string(function <= 6 ? names[function] : "?") + " ";
    if (spy.refuse_escape) {
        SetLastError(ERROR_GEN_FAILURE);
        return FALSE;
    }
    escape(port, function);
    return TRUE;  // a pseudo-terminal has no modem lines to switch
}

BOOL WINAPI spy_set_comm_break(HANDLE)
{
    spy.line_calls += "BREAK+ ";
    spy.break_on_tick = GetTickCount();
    return TRUE;
}

BOOL WINAPI spy_clear_comm_break(HANDLE)
{
    spy.line_calls += "BREAK- ";
    spy.break_off_tick = GetTickCount();
    return TRUE;
}

HANDLE WINAPI spy_create_event(LPSECURITY_ATTRIBUTES sa, BOOL manual, BOOL initial, LPCSTR name)
{
    static auto create_event = real<decltype(&CreateEventA)>("CreateEventA");
    int call = ++spy.event_calls;
    if (call == spy.failing_event) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HANDLE event = create_event(sa, manual, initial, name);
    if (call <= 3)
        spy.events[call - 1] = event;
    return event;
}

BOOL WINAPI spy_get_comm_state(HANDLE port, LPDCB dcb)
{
    static auto get_comm_state = real<decltype(&GetCommState)>("GetCommState");
    spy.get_length_given = dcb->DCBlength;
    BOOL ok = get_comm_state(port, dcb);
    if (spy.left_dirty) {
        // What another program may leave on a port: handshakes on, DTR off,
        // NULs stripped, errors aborting every transfer.
        dcb->fBinary = 0;
        dcb->fOutxCtsFlow = dcb->fOutxDsrFlow = dcb->fDsrSensitivity = 1;
        dcb->fDtrControl = DTR_CONTROL_DISABLE;
        dcb->fRtsControl = RTS_CONTROL_DISABLE;
        dcb->fOutX = dcb->fInX = dcb->fNull = dcb->fErrorChar = dcb->fAbortOnError = 1;
    }
    spy.reported = *dcb;
    return ok;
}

BOOL WINAPI spy_set_comm_state(HANDLE port, LPDCB dcb)
{
    static auto set_comm_state = real<decltype(&SetCommState)>("SetCommState");
    ++spy.set_calls;
    spy.applied = *dcb;
    const char* dtr[] = {"off ", "on ", "handshake "};
    spy.dtr_applied += dcb->fDtrControl <= 2 ? dtr[dcb->fDtrControl] : "? ";
    if (spy.fail_set) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return set_comm_state(port, dcb);
}

BOOL WINAPI spy_setup_comm(HANDLE port, DWORD in_queue, DWORD out_queue)
{
    static auto setup_comm = real<decltype(&SetupComm)>("SetupComm");
    ++spy.setup_calls;
    spy.setup_in = in_queue;
    spy.setup_out = out_queue;
    if (spy.fail_setup) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return setup_comm(port, in_queue, out_queue);
}

BOOL WINAPI spy_clear_comm_error(HANDLE port, LPDWORD errors, LPCOMSTAT status)
{
    static auto clear_comm_error = real<decltype(&ClearCommError)>("ClearCommError");
    bool told = !spy.status_to_writer || GetCurrentThreadId() == spy.write_thread;
    if (spy.fail_clear && told) {
        memset(status, 0x7f, sizeof *status);
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    BOOL ok = clear_comm_error(port, errors, status);
    if (ok) {
        status->fCtsHold = spy.invented_hold == 1;
        status->fXoffHold = spy.invented_hold == 2;
        status->fDsrHold = spy.invented_hold == 3;
    }
    if (ok && errors && told) {
        *errors |= spy.line_error_flags;
        spy.line_error_flags = 0;
    }
    return ok;
}

BOOL WINAPI spy_read_file(HANDLE file, LPVOID buffer, DWORD size, LPDWORD count,
                          LPOVERLAPPED overlapped)
{
    static auto read_file = real<decltype(&ReadFile)>("ReadFile");
    InterlockedIncrement(&spy.read_calls);
    if (size > spy.largest_read)
        spy.largest_read = size;
    if (spy.failing_reads > 0) {
        --spy.failing_reads;
        SetLastError(spy.read_error);
        return FALSE;
    }
    LONG invented = spy.invented_bytes;
    if (invented > 0) {
        DWORD given = size < static_cast<DWORD>(invented) ? size : static_cast<DWORD>(invented);
        memset(buffer, 'x', given);
        InterlockedExchangeAdd(&spy.invented_bytes, -static_cast<LONG>(given));
        *count = given;
        return TRUE;
    }
    if (spy.empty_reads_at_once) {
        *count = 0;
        return TRUE;
    }
    if (spy.keep_reads && overlapped) {
        overlapped->Internal = STATUS_PENDING;
        ResetEvent(overlapped->hEvent);
        InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&spy.kept_read), overlapped);
        SetLastError(ERROR_IO_PENDING);
        return FALSE;
    }
    return read_file(file, buffer, size, count, overlapped);
}

BOOL WINAPI spy_write_file(HANDLE file, LPCVOID data, DWORD size, LPDWORD count,
                           LPOVERLAPPED overlapped)
{
    static auto write_file = real<decltype(&WriteFile)>("WriteFile");
    ++spy.write_calls;
    spy.write_thread = GetCurrentThreadId();
    if (spy.held_write)
        real<decltype(&WaitForSingleObject)>("WaitForSingleObject")(spy.held_write, INFINITE);
    if (spy.failing_writes > 0) {
        --spy.failing_writes;
        if (overlapped)
            overlapped->Internal = STATUS_PENDING;
        SetLastError(spy.write_error);
        return FALSE;
    }
    return write_file(file, data, size, count, overlapped);
}

BOOL WINAPI spy_post_message(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    static auto post = reinterpret_cast<decltype(&PostMessageA)>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("user32.dll"), "PostMessageA")));
    if (spy.refused_message && message == spy.refused_message) {
        InterlockedIncrement(&spy.refused_posts);
        SetLastError(ERROR_NOT_ENOUGH_QUOTA);
        return FALSE;
    }
    return post(window, message, wparam, lparam);
}

// Waits as Windows does at its default timer resolution: a finite time-out
// ends only on a tick, 15.625 ms apart. Waitable timers keep their own,
// high resolution.
DWORD whole_ticks(DWORD ms)
{
    return ms == 0 || ms == INFINITE ? ms : ((ms * 8 + 124) / 125 * 125 + 7) / 8;
}

DWORD WINAPI spy_wait_for_single_object(HANDLE handle, DWORD ms)
{
    static auto wait = real<decltype(&WaitForSingleObject)>("WaitForSingleObject");
    return wait(handle, whole_ticks(ms));
}

DWORD WINAPI spy_wait_for_multiple_objects(DWORD count, const HANDLE* handles, BOOL all, DWORD ms)
{
    static auto wait = real<decltype(&WaitForMultipleObjects)>("WaitForMultipleObjects");
    return wait(count, handles, all, whole_ticks(ms));
}

void* stand_in_for(const char* function)
{
    const struct {
        const char* name;
        void* stand_in;
    } stand_ins[] = {
        {"CreateFileA", reinterpret_cast<void*>(spy_create_file)},
        {"CloseHandle", reinterpret_cast<void*>(spy_close_handle)},
        {"SetCommTimeouts", reinterpret_cast<void*>(spy_set_comm_timeouts)},
        {"GetCommModemStatus", reinterpret_cast<void*>(spy_get_comm_modem_status)},
        {"EscapeCommFunction", reinterpret_cast<void*>(spy_escape_comm_function)},
        {"WaitCommEvent", reinterpret_cast<void*>(spy_wait_comm_event)},
        {"CancelIo", reinterpret_cast<void*>(spy_cancel_io)},
        {"SetCommBreak", reinterpret_cast<void*>(spy_set_comm_break)},
        {"ClearCommBreak", reinterpret_cast<void*>(spy_clear_comm_break)},
        {"CreateEventA", reinterpret_cast<void*>(spy_create_event)},
        {"GetCommState", reinterpret_cast<void*>(spy_get_comm_state)},
        {"SetCommState", reinterpret_cast<void*>(spy_set_comm_state)},
        {"SetupComm", reinterpret_cast<void*>(spy_setup_comm)},
        {"ClearCommError", reinterpret_cast<void*>(spy_clear_comm_error)},
        {"ReadFile", reinterpret_cast<void*>(spy_read_file)},
        {"WriteFile", reinterpret_cast<void*>(spy_write_file)},
        {"WaitForSingleObject", reinterpret_cast<void*>(spy_wait_for_single_object)},
        {"WaitForMultipleObjects", reinterpret_cast<void*>(spy_wait_for_multiple_objects)},
        {"PostMessageA", reinterpret_cast<void*>(spy_post_message)},
    };
    for (const auto& entry : stand_ins)
        if (strcmp(entry.name, function) == 0)
            return entry.stand_in;
    return nullptr;
}

}  // namespace

void end_kept_read()
{
    auto* overlapped = static_cast<OVERLAPPED*>(InterlockedExchangePointer(
        reinterpret_cast<void* volatile*>(&spy.kept_read), nullptr));
    if (!overlapped)
        return;
    overlapped->InternalHigh = 0;
    overlapped->Internal = 0;
    SetEvent(overlapped->hEvent);
}

void line_changed(DWORD events)
{
    auto* overlapped = static_cast<OVERLAPPED*>(InterlockedExchangePointer(
        reinterpret_cast<void* volatile*>(&spy.pending_wait), nullptr));
    if (!overlapped)
        return;
    *spy.wait_mask = events;
    const DWORD status_cancelled = 0xC0000120;
    overlapped->Internal = events ? 0 : status_cancelled;
    SetEvent(overlapped->hEvent);
}

SpyPatch::SpyPatch(const char* function)
    : ImportPatch(strcmp(function, "PostMessageA") == 0 ? "user32.dll" : "kernel32.dll", function,
                  stand_in_for(function))
{
}

std::string describe(const DCB& dcb)
{
    char text[400];
    snprintf(text, sizeof text,
             "length %lu baud %lu binary %u parity-check %u cts %u dsr %u dtr %u dsr-sense %u "
             "tx-continue %u outx %u inx %u error-char %u null %u rts %u abort %u "
             "xon-lim %u xoff-lim %u bits %u parity %u stop %u xon %d xoff %d error %d eof %d "
             "evt %d",
             dcb.DCBlength, dcb.BaudRate, dcb.fBinary, dcb.fParity, dcb.fOutxCtsFlow,
             dcb.fOutxDsrFlow, dcb.fDtrControl, dcb.fDsrSensitivity, dcb.fTXContinueOnXoff,
             dcb.fOutX, dcb.fInX, dcb.fErrorChar, dcb.fNull, dcb.fRtsControl, dcb.fAbortOnError,
             dcb.XonLim, dcb.XoffLim, dcb.ByteSize, dcb.Parity, dcb.StopBits, dcb.XonChar,
             dcb.XoffChar, dcb.ErrorChar, dcb.EofChar, dcb.EvtChar);
    return text;
}
