// The window's place across runs on a desktop of two monitors at 96 and 144
// DPI, with the monitor, scale and frame calls of Windows played by stand-ins
// (Wine has one monitor, one scale and no invisible borders): it comes back
// where it was, at its monitor's scale, snapped or maximized, and a run that
// doesn't move it leaves Window= as it was.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include <memory>
#include <string>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "settings_window_fixture.h"
#include "tests/app/main_window_driver.h"
#include "tests/serial/import_patch.h"

namespace {

struct Monitor {
    RECT area, work;
    UINT dpi;
};
const Monitor monitors[2] = {
    {{0, 0, 1024, 768}, {0, 0, 1024, 728}, 96},
    {{1024, 0, 2624, 768}, {1024, 0, 2624, 728}, 144},
};

// The real calls, by their addresses in the DLLs: a plain reference may go
// through this program's patched import table.
using SetWindowPosFunction = BOOL(WINAPI*)(HWND, HWND, int, int, int, int, UINT);
using GetProcAddressFunction = FARPROC(WINAPI*)(HMODULE, LPCSTR);
const auto real_set_window_pos = reinterpret_cast<SetWindowPosFunction>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetWindowPos")));
const auto real_get_proc_address = reinterpret_cast<GetProcAddressFunction>(
    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetProcAddress")));

// The monitor that holds most of `rect`, or null.
const Monitor* monitor_of(const RECT& rect)
{
    const Monitor* best = nullptr;
    long best_area = 0;
    for (const Monitor& monitor : monitors) {
        RECT common;
        if (IntersectRect(&common, &rect, &monitor.area) &&
            (common.right - common.left) * (common.bottom - common.top) > best_area) {
            best = &monitor;
            best_area = (common.right - common.left) * (common.bottom - common.top);
        }
    }
    return best;
}

UINT dpi_of(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    const Monitor* monitor = monitor_of(rect);
    return monitor ? monitor->dpi : 96;
}

HMONITOR WINAPI stand_in_monitor_from_rect(const RECT* rect, DWORD)
{
    const Monitor* monitor = monitor_of(*rect);
    return monitor ? reinterpret_cast<HMONITOR>(const_cast<Monitor*>(monitor)) : nullptr;
}

BOOL WINAPI stand_in_get_monitor_info(HMONITOR handle, MONITORINFO* info)
{
    for (const Monitor& monitor : monitors)
        if (handle == reinterpret_cast<HMONITOR>(const_cast<Monitor*>(&monitor))) {
            info->rcMonitor = monitor.area;
            info->rcWork = monitor.work;
            info->dwFlags = 0;
            return TRUE;
        }
    return FALSE;
}

UINT WINAPI stand_in_dpi_for_window(HWND window)
{
    return dpi_of(window);
}

// Invisible borders of 7 pixels at 96 DPI left, right and below.
HRESULT WINAPI stand_in_frame_bounds(HWND window, DWORD attribute, void* value, DWORD size)
{
    if (attribute != 9 || size != sizeof(RECT))
        return E_INVALIDARG;
    RECT rect;
    GetWindowRect(window, &rect);
    int border = MulDiv(7, dpi_of(window), 96);
    *static_cast<RECT*>(value) = RECT{rect.left + border, rect.top, rect.right - border,
                                      rect.bottom - border};
    return S_OK;
}

std::string dialog_behavior;  // each call on the main window, as <mask,values>
int control_behavior_calls = 0;

BOOL WINAPI stand_in_dialog_behavior(HWND window, int mask, int values)
{
    if (window == main_dialog.hwnd)
        dialog_behavior += "<" + std::to_string(mask) + "," + std::to_string(values) + ">";
    return TRUE;
}

BOOL WINAPI stand_in_control_behavior(HWND window, int mask, int values)
{
    if (GetParent(window) == main_dialog.hwnd && mask == 2 && values == 2)
        ++control_behavior_calls;
    return TRUE;
}

FARPROC WINAPI stand_in_get_proc_address(HMODULE module, LPCSTR name)
{
    const struct {
        const char* name;
        void* function;
    } stand_ins[] = {
        {"GetDpiForWindow", reinterpret_cast<void*>(stand_in_dpi_for_window)},
        {"DwmGetWindowAttribute", reinterpret_cast<void*>(stand_in_frame_bounds)},
        {"SetDialogDpiChangeBehavior", reinterpret_cast<void*>(stand_in_dialog_behavior)},
        {"SetDialogControlDpiChangeBehavior", reinterpret_cast<void*>(stand_in_control_behavior)},
    };
    if (HIWORD(reinterpret_cast<ULONG_PTR>(name)))
        for (const auto& stand_in : stand_ins)
            if (strcmp(name, stand_in.name) == 0)
                return reinterpret_cast<FARPROC>(stand_in.function);
    return real_get_proc_address(module, name);
}

// Windows tells a window that lands on a monitor of another scale, with a
// rectangle of the same size in the new scale's pixels.
BOOL WINAPI stand_in_set_window_pos(HWND window, HWND after, int x, int y, int width, int height,
                                    UINT flags)
{
    UINT before = dpi_of(window);
    BOOL moved = real_set_window_pos(window, after, x, y, width, height, flags);
    UINT now = dpi_of(window);
    if (window == main_dialog.hwnd && now != before) {
        RECT rect;
        GetWindowRect(window, &rect);
        RECT suggested = {rect.left, rect.top,
                          rect.left + MulDiv(rect.right - rect.left, now, before),
                          rect.top + MulDiv(rect.bottom - rect.top, now, before)};
        SendMessageA(window, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(now, now),
                     reinterpret_cast<LPARAM>(&suggested));
    }
    return moved;
}

std::string rect_text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// The lines of `text` that begin with "Window".
std::string window_lines(const std::string& text)
{
    std::string lines;
    for (size_t at = text.find("\nWindow"); at != std::string::npos;
         at = text.find("\nWindow", at + 1))
        lines += text.substr(at + 1, text.find('\r', at) - at - 1) + ";";
    return lines;
}

class WindowPlacement : public ApplicationDataTest {
protected:
    void SetUp() override
    {
        ApplicationDataTest::SetUp();
        ASSERT_TRUE(make_settings_folder());
        for (auto& patch : patches)
            ASSERT_TRUE(patch->active());
    }

    std::unique_ptr<ImportPatch> patches[4] = {
        std::unique_ptr<ImportPatch>(new ImportPatch(
            "user32.dll", "MonitorFromRect", reinterpret_cast<void*>(stand_in_monitor_from_rect))),
        std::unique_ptr<ImportPatch>(new ImportPatch(
            "user32.dll", "GetMonitorInfoA", reinterpret_cast<void*>(stand_in_get_monitor_info))),
        std::unique_ptr<ImportPatch>(new ImportPatch(
            "user32.dll", "SetWindowPos", reinterpret_cast<void*>(stand_in_set_window_pos))),
        std::unique_ptr<ImportPatch>(new ImportPatch(
            "kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(stand_in_get_proc_address))),
    };
};

TEST_F(WindowPlacement, ComesBackWhereItWasAtItsMonitorsScaleAndUnmovedKeepsWindow)
{
    // Wine keeps a window within the size of its own screen (1024 x 768), and
    // the window is never smaller than its template (633 x 531 at 144 DPI).
    struct Case {
        const char* what;
        std::string keys;      // the window's lines in the file
        std::string expected;  // the outer rectangle after the start
        bool maximized;
        bool centred;          // not at the saved place
    } cases[] = {
        {"on the second monitor at 144 DPI", "Window=1100,100,1800,700,144\r\n",
         "1100,100,1800,700", false, false},
        {"saved at 96 DPI, its monitor now at 144", "Window=1100,100,1580,500,96\r\n",
         "1100,100,1820,700", false, false},
        {"snapped to the left half at 96 DPI", "Window=-7,0,519,735,96\r\n", "-7,0,519,735",
         false, false},
        {"snapped to the right half at 144 DPI", "Window=1813,0,2635,739,144\r\n",
         "1813,0,2635,739", false, false},
        {"caption on the work area, the rest below it", "Window=100,500,700,1000,96\r\n",
         "100,500,700,1000", false, false},
        {"the four numbers of earlier files", "Window=100,100,700,600\r\n", "100,100,700,600",
         false, false},
        {"maximized", "WindowMax=1\r\nWindow=100,100,700,600,96\r\n", "", true, false},
        {"off every screen", "Window=30000,30000,30600,30500,96\r\n", "30000,30000,30600,30500",
         false, true},
        {"caption under the taskbar", "Window=100,735,700,1200,96\r\n", "100,735,700,1200", false,
         true},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        ASSERT_TRUE(write_file(settings_file(), "[Misc Settings]\r\n" + c.keys));
        RECT seen = {};
        bool zoomed = false;
        int32_t changed = -1;
        run_main_window(
            [&](HWND dialog) {
                zoomed = IsZoomed(dialog) != 0;
                GetWindowRect(dialog, &seen);
                changed = main_dialog.settings_changed;
                // Another change, so that the file is written.
                click(dialog, IDC_USE_UPPERCASE);
                SendMessageA(dialog, WM_COMMAND, IDM_EXIT, 0);
            },
            WindowStart::settings_file);
        EXPECT_EQ(0, changed) << "case " << i << ": " << c.what << ": starting counted as a change";
        EXPECT_EQ(c.maximized, zoomed) << "case " << i << ": " << c.what;
        if (c.centred)
            EXPECT_NE(c.expected, rect_text(seen)) << "case " << i << ": " << c.what;
        else if (!c.maximized)
            EXPECT_EQ(c.expected, rect_text(seen)) << "case " << i << ": " << c.what;
        std::string written = read_file(settings_file());
        if (!c.centred)
            EXPECT_EQ(window_lines("\n" + c.keys), window_lines(written))
                << "case " << i << ": " << c.what << ": Window= changed without a move";
    }
}

TEST_F(WindowPlacement, AMoveToAMonitorOfAnotherScaleIsLaidOutAndKept)
{
    ASSERT_TRUE(write_file(settings_file(), "[Misc Settings]\r\nWindow=100,100,700,600,96\r\n"));
    dialog_behavior.clear();
    control_behavior_calls = 0;
    RECT before[2] = {}, after[2] = {}, moved = {};
    int children = 0, parts = 0, rights[8] = {};
    RECT client = {};
    run_main_window(
        [&](HWND dialog) {
            for (HWND child = GetWindow(dialog, GW_CHILD); child;
                 child = GetWindow(child, GW_HWNDNEXT))
                ++children;
            const int ids[2] = {IDC_USE_UPPERCASE, IDC_SEND_CR};
            for (int i = 0; i < 2; ++i) {
                GetWindowRect(GetDlgItem(dialog, ids[i]), &before[i]);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&before[i]), 2);
            }
            SetWindowPos(dialog, nullptr, 1100, 100, 600, 400, SWP_NOZORDER);
            GetWindowRect(dialog, &moved);
            for (int i = 0; i < 2; ++i) {
                GetWindowRect(GetDlgItem(dialog, ids[i]), &after[i]);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&after[i]), 2);
            }
            GetClientRect(dialog, &client);
            parts = static_cast<int>(SendMessageA(main_dialog.status_bar(), SB_GETPARTS, 8,
                                                  reinterpret_cast<LPARAM>(rights)));
            SendMessageA(dialog, WM_COMMAND, IDM_EXIT, 0);
        },
        WindowStart::settings_file);
    EXPECT_EQ("<6,6>", dialog_behavior) << "the dialog manager's own re-layout was left on";
    EXPECT_EQ(children - 1, control_behavior_calls) << "controls left to the dialog manager";
    // Windows suggested the same size in the new scale's pixels.
    EXPECT_EQ("1100,100,2000,700", rect_text(moved));
    EXPECT_EQ("Window=1100,100,2000,700,144;", window_lines(read_file(settings_file())));
    for (int i = 0; i < 2; ++i) {
        EXPECT_NEAR(MulDiv(before[i].left, 144, 96), after[i].left, 1) << "control " << i;
        EXPECT_NEAR(MulDiv(before[i].top, 144, 96), after[i].top, 1) << "control " << i;
        EXPECT_NEAR(MulDiv(before[i].right, 144, 96), after[i].right, 1) << "control " << i;
    }
    // The first status part keeps at least a quarter of the bar; the others follow in order.
    ASSERT_EQ(5, parts);
    for (int part = 1; part < 4; ++part)
        EXPECT_LT(rights[part - 1], rights[part]) << "part " << part;
    EXPECT_GE(rights[0], client.right / 4 - 1) << "part 0";
    EXPECT_EQ(-1, rights[4]);
}

}  // namespace
