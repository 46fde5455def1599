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
    spy.opened_name = name ? name : "";
    spy.port = create_file(name, access, share, sa, disposition, flags, templ);
    return spy.port;
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
    BOOL ok = clear_comm_error(port, errors, status);
    if (ok) {
        status->fCtsHold = spy.invented_hold == 1;
        status->fXoffHold = spy.invented_hold == 2;
        status->fDsrHold = spy.invented_hold == 3;
    }
    return ok;
}

BOOL WINAPI spy_write_file(HANDLE file, LPCVOID data, DWORD size, LPDWORD count,
                           LPOVERLAPPED overlapped)
{
    static auto write_file = real<decltype(&WriteFile)>("WriteFile");
    ++spy.write_calls;
    return write_file(file, data, size, count, overlapped);
}

void* stand_in_for(const char* function)
{
    const struct {
        const char* name;
        void* stand_in;
    } stand_ins[] = {
        {"CreateFileA", reinterpret_cast<void*>(spy_create_file)},
        {"CreateEventA", reinterpret_cast<void*>(spy_create_event)},
        {"GetCommState", reinterpret_cast<void*>(spy_get_comm_state)},
        {"SetCommState", reinterpret_cast<void*>(spy_set_comm_state)},
        {"SetupComm", reinterpret_cast<void*>(spy_setup_comm)},
        {"ClearCommError", reinterpret_cast<void*>(spy_clear_comm_error)},
        {"WriteFile", reinterpret_cast<void*>(spy_write_file)},
    };
    for (const auto& entry : stand_ins)
        if (strcmp(entry.name, function) == 0)
            return entry.stand_in;
    return nullptr;
}

}  // namespace

SpyPatch::SpyPatch(const char* function)
    : ImportPatch("kernel32.dll", function, stand_in_for(function))
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
