// Centring a window over its owner, inside its monitor's work area, or over
// the full-screen area.
#include <gtest/gtest.h>
#include "serial/center_window.h"
#include "tests/serial/import_patch.h"

namespace {

HWND popup(HWND owner, int x, int y, int width, int height)
{
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, x, y, width, height, owner, nullptr,
                           nullptr, nullptr);
}

// A stand-in for the monitor calls: one monitor with the work area `work`
// (or none known when `known` is false), recording which window was asked about.
RECT stand_in_work;
bool stand_in_known;
HWND asked_about;
HMONITOR const stand_in_monitor = reinterpret_cast<HMONITOR>(0x5151);

HMONITOR WINAPI stand_in_monitor_from_window(HWND window, DWORD)
{
    asked_about = window;
    return stand_in_monitor;
}

// The full-screen area: 1024 x 740; other metrics from the real call, by its
// address in the DLL (a plain reference goes through the patched import).
int WINAPI stand_in_system_metrics(int index)
{
    using Metrics = int(WINAPI*)(int);
    static const auto real_metrics = reinterpret_cast<Metrics>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetSystemMetrics")));
    if (index == SM_CXFULLSCREEN)
        return 1024;
    return index == SM_CYFULLSCREEN ? 740 : real_metrics(index);
}

BOOL WINAPI stand_in_get_monitor_info(HMONITOR monitor, MONITORINFO* info)
{
    if (!stand_in_known || monitor != stand_in_monitor || info->cbSize < sizeof *info)
        return FALSE;
    info->rcMonitor = info->rcWork = stand_in_work;
    info->dwFlags = 0;
    return TRUE;
}

// Without an owner (an empty owner rectangle) the window is centred in the
// full-screen area.
TEST(CenterWindow, CentresOverTheOwnerInsideTheWorkAreaOfItsMonitor)
{
    ImportPatch metrics("user32.dll", "GetSystemMetrics",
                        reinterpret_cast<void*>(stand_in_system_metrics));
    ImportPatch monitor_from("user32.dll", "MonitorFromWindow",
                             reinterpret_cast<void*>(stand_in_monitor_from_window));
    ImportPatch monitor_info("user32.dll", "GetMonitorInfoA",
                             reinterpret_cast<void*>(stand_in_get_monitor_info));
    ASSERT_TRUE(monitor_from.active() && monitor_info.active() && metrics.active());
    const RECT main_monitor = {0, 0, 1024, 768}, left_above = {-1280, -1024, 0, 0};
    struct Case {
        const char* what;
        RECT work;
        RECT owner;  // left, top, right, bottom
        int width, height;
        int left, top;
        bool known;
    } cases[] = {
        {"worked example", main_monitor, {100, 100, 500, 400}, 200, 100, 200, 200, true},
        {"odd sizes", main_monitor, {10, 20, 211, 121}, 51, 31, 85, 55, true},
        {"monitor left of and above the main one", left_above, {-900, -700, -500, -400}, 200, 100,
         -800, -600, true},
        {"owner partly off its monitor", left_above, {-1400, -1050, -1000, -750}, 200, 100, -1280,
         -950, true},
        {"wider than the owner, at the far edge", {0, 0, 1440, 900}, {1000, 100, 1400, 400}, 600,
         100, 839, 200, true},
        {"taller than the owner, at the bottom", main_monitor, {100, 600, 500, 700}, 100, 300, 250,
         467, true},
        {"wider than the work area", left_above, {-900, -700, -500, -400}, 1500, 100, -1280, -600,
         true},
        {"monitor unknown: the main screen", main_monitor, {-500, -400, -100, -100}, 200, 100, 0, 0,
         false},
        {"no owner", main_monitor, {}, 200, 100, 412, 320, true},
        {"no owner, odd sizes", main_monitor, {}, 201, 101, 411, 319, true},
        {"no owner, wider than the area", main_monitor, {}, 1074, 40, 0, 350, true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        stand_in_work = c.work;
        stand_in_known = c.known;
        asked_about = nullptr;
        HWND owner = nullptr;
        RECT placed;
        if (c.owner.right > c.owner.left) {
            owner = popup(nullptr, c.owner.left, c.owner.top, c.owner.right - c.owner.left,
                          c.owner.bottom - c.owner.top);
            ASSERT_NE(nullptr, owner) << "case " << i << ": " << c.what;
            GetWindowRect(owner, &placed);
            ASSERT_EQ(c.owner.left, placed.left) << "case " << i << ": the owner did not land in place";
            ASSERT_EQ(c.owner.top, placed.top) << "case " << i << ": " << c.what;
        }
        HWND window = popup(owner, -70, 900, c.width, c.height);
        ASSERT_NE(nullptr, window) << "case " << i << ": " << c.what;

        EXPECT_NE(0, center_window(window)) << "case " << i << ": " << c.what;
        EXPECT_EQ(owner, asked_about) << "case " << i << ": not the owner's monitor";
        GetWindowRect(window, &placed);
        EXPECT_EQ(c.left, placed.left) << "case " << i << ": " << c.what;
        EXPECT_EQ(c.top, placed.top) << "case " << i << ": " << c.what;
        EXPECT_EQ(c.width, placed.right - placed.left) << "case " << i << ": the size changed";
        EXPECT_EQ(c.height, placed.bottom - placed.top) << "case " << i << ": the size changed";
        DestroyWindow(window);
        if (owner)
            DestroyWindow(owner);
    }
}

}  // namespace
