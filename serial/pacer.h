#pragma once
#include <windows.h>

// Waits out the delays between paced bytes by deadline on a high-resolution
// clock, so that they add up to what was asked: a plain wait rounds each
// one up to the system's clock tick (15.6 ms on many machines), which made
// 2 ms a byte take eight times as long. Where Windows has high-resolution
// waitable timers they are used; elsewhere the timer resolution is raised
// to 1 ms only while a paced send runs.
class Pacer {
public:
    Pacer() = default;
    ~Pacer();
    Pacer(const Pacer&) = delete;
    Pacer& operator=(const Pacer&) = delete;

    // A paced send begins now.
    void begin();
    // Waits until `ms` after the last deadline (or after now, when the line
    // held the send back past it); false when `abort` was set meanwhile.
    bool wait(int ms, HANDLE abort);
    // The paced send has ended.
    void end();

private:
    LARGE_INTEGER frequency_ = {};
    LARGE_INTEGER due_ = {};
    HANDLE timer_ = nullptr;
    bool high_resolution_ = false;
    bool resolution_raised_ = false;
};
