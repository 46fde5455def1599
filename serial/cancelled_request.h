#pragma once
#include <windows.h>

// How long a cancelled request may take to end. A driver whose device was
// pulled out mid-request may never end it: past this the request is left to
// the driver, with its OVERLAPPED and buffer, which nothing reuses until it
// has ended, and whoever waited goes on.
constexpr DWORD cancel_wait_ms = 2000;
// How long closing waits for a port thread, whose own waits are bounded by
// cancel_wait_ms; past it the thread is left as it is, with what it uses.
constexpr DWORD thread_end_wait_ms = cancel_wait_ms + 1000;

// Collects an overlapped request, waiting at most cancel_wait_ms for it to
// end: FALSE with ERROR_IO_INCOMPLETE when it has not.
inline BOOL collect_request(HANDLE port, OVERLAPPED& request, DWORD& done)
{
    WaitForSingleObject(request.hEvent, cancel_wait_ms);
    return GetOverlappedResult(port, &request, &done, FALSE);
}
