#include "serial/pacer.h"

namespace {

// Looked up at run time: they are missing on older systems.
typedef HANDLE(WINAPI* CreateTimerEx)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
typedef UINT(WINAPI* TimerPeriod)(UINT);
constexpr DWORD high_resolution_timer = 0x00000002;  // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

void* lookup(const char* dll, const char* name)
{
    HMODULE module = LoadLibraryA(dll);
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace

Pacer::~Pacer()
{
    end();
    if (timer_)
        CloseHandle(timer_);
}

void Pacer::begin()
{
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&due_);
    if (!timer_) {
        auto create = reinterpret_cast<CreateTimerEx>(lookup("kernel32.dll", "CreateWaitableTimerExW"));
        if (create)
            timer_ = create(nullptr, nullptr, high_resolution_timer, TIMER_ALL_ACCESS);
        high_resolution_ = timer_ != nullptr;
        if (!timer_)
            timer_ = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    }
    if (!high_resolution_ && !resolution_raised_) {
        auto raise = reinterpret_cast<TimerPeriod>(lookup("winmm.dll", "timeBeginPeriod"));
        resolution_raised_ = raise && raise(1) == 0;
    }
}

bool Pacer::wait(int ms, HANDLE abort)
{
    if (ms <= 0)
        return WaitForSingleObject(abort, 0) != WAIT_OBJECT_0;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (due_.QuadPart < now.QuadPart)
        due_ = now;
    due_.QuadPart += frequency_.QuadPart * ms / 1000;
    LONGLONG left = due_.QuadPart - now.QuadPart;
    if (left <= 0)
        return WaitForSingleObject(abort, 0) != WAIT_OBJECT_0;
    // In the timer's units of 100 ns; negative: relative to now.
    LARGE_INTEGER relative;
    relative.QuadPart = -(left * 10000000 / frequency_.QuadPart);
    if (!timer_ || !SetWaitableTimer(timer_, &relative, 0, nullptr, nullptr, FALSE))
        return WaitForSingleObject(abort, static_cast<DWORD>(left * 1000 / frequency_.QuadPart)) !=
               WAIT_OBJECT_0;
    HANDLE events[2] = {abort, timer_};
    return WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0;
}

void Pacer::end()
{
    if (!resolution_raised_)
        return;
    auto lower = reinterpret_cast<TimerPeriod>(lookup("winmm.dll", "timeEndPeriod"));
    if (lower)
        lower(1);
    resolution_raised_ = false;
}
