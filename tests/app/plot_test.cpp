// The plot window through the real main window: View > Plot, the device's
// lines plotted, saved as CSV, paused, cleared, closed; the Y range dialog;
// and a frame that draws as many points as the window is wide.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include "app/program_objects.h"
#include "framework/dpi.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/serial/import_patch.h"
#include "tests/support/test_support.h"

namespace {

bool plot_checked(HWND dialog)
{
    return (GetMenuState(GetMenu(dialog), IDM_PLOT, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void feed_lines(const std::string& lines)
{
    plot_window.feed(lines.data(), static_cast<int>(lines.size()));
}

TEST(Plot, ShowsWhatTheDeviceSendsSavesItPausesAndCloses)
{
    std::string folder = make_temp_folder("plot");
    std::string path = folder + "\\samples.csv";
    std::wstring wide_path(path.begin(), path.end());
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        command(dialog, IDM_PLOT);
        ASSERT_TRUE(plot_window.hwnd != nullptr);
        char title[32] = {};
        GetWindowTextA(plot_window.hwnd, title, sizeof title);
        EXPECT_STREQ("Quorvex Plot", title);
        EXPECT_EQ(dialog, GetWindow(plot_window.hwnd, GW_OWNER));
        EXPECT_TRUE(plot_checked(dialog));

        ASSERT_TRUE(device.send_bytes(1, "temp:21.5,hum: 48\r\ntemp:22,hum:47.25\r\n"));
        ASSERT_TRUE(device.send_bytes(1, "boot text\r\ntemp=-3.5 hum=46\r\n"));
        EXPECT_TRUE(pump_until([] { return plot_window.samples.end() == 3; }, 5000));
        EXPECT_TRUE(pump_until([] { return plot_window.frames > 0; }, 3000)) << "no frame drawn";
        ASSERT_EQ(1, plot_window.save_csv(wide_path.c_str()));
        EXPECT_EQ("sample,temp,hum\r\n1,21.5,48\r\n2,22,47.25\r\n3,-3.5,46\r\n", read_file(path));
        std::wstring wide_folder(folder.begin(), folder.end());
        EXPECT_EQ(0, plot_window.save_csv(wide_folder.c_str())) << "a folder taken for a file";

        // Space holds the picture; the values go on being kept.
        SendMessageA(plot_window.hwnd, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_TRUE(GetMenuState(GetMenu(plot_window.hwnd), IDM_PLOT_PAUSE, MF_BYCOMMAND) &
                    MF_CHECKED);
        ASSERT_TRUE(device.send_bytes(1, "temp:1\r\n"));
        EXPECT_TRUE(pump_until([] { return plot_window.samples.end() == 4; }, 5000));
        EXPECT_EQ(3u, plot_window.columns.end()) << "the paused picture moved";
        SendMessageA(plot_window.hwnd, WM_KEYDOWN, VK_SPACE, 0);
        EXPECT_EQ(4u, plot_window.columns.end()) << "Space again follows the newest";

        command(dialog, IDM_CLEAR_RECEIVED);
        EXPECT_EQ(0u, plot_window.samples.end()) << "Clear received leaves the plot";
        SendMessageA(plot_window.hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(plot_window.hwnd == nullptr) << "Escape leaves the plot up";
        EXPECT_FALSE(plot_checked(dialog));
    });
    remove_tree(folder);
}

TEST(Plot, TheYRangeIsFixedOrFitted)
{
    struct Case {
        const char* bottom;
        const char* top;
        bool refused;
        int fixed;
        double low, high;
    } cases[] = {
        {"-5", "2.5e1", false, 1, -5, 25},
        {"abc", "1", true, 1, -5, 25},
        {"3", "3", true, 1, -5, 25},
        {"", "7", true, 1, -5, 25},
        {"", "", false, 0, -5, 25},
    };
    run_main_window([&](HWND dialog) {
        command(dialog, IDM_PLOT);
        ASSERT_TRUE(plot_window.hwnd != nullptr);
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            // OK on the typed range; a refused one leaves the dialog up, and
            // Cancel then ends it.
            bool refused = false;
            when_window_opens(WindowQuery{"#32770", "Y range", plot_window.hwnd}, [&](HWND box) {
                SetDlgItemTextA(box, IDC_Y_BOTTOM, cases[i].bottom);
                SetDlgItemTextA(box, IDC_Y_TOP, cases[i].top);
                SendMessageA(box, WM_COMMAND, IDOK, 0);
                refused = IsWindow(box) && IsWindowVisible(box);
                if (refused)
                    SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
            });
            SendMessageA(plot_window.hwnd, WM_COMMAND, IDM_PLOT_Y_RANGE, 0);
            EXPECT_TRUE(window_was_driven()) << "case " << i;
            EXPECT_EQ(cases[i].refused, refused) << "case " << i;
            EXPECT_EQ(cases[i].fixed, plot_window.fixed_y) << "case " << i;
            if (cases[i].fixed) {
                EXPECT_EQ(cases[i].low, plot_window.bottom) << "case " << i;
                EXPECT_EQ(cases[i].high, plot_window.top) << "case " << i;
            }
        }
        command(dialog, IDM_PLOT);
    });
}

// Moved to a monitor of twice the scale, the window takes the rectangle
// Windows suggests and draws its lines and text at that scale.
TEST(Plot, FollowsAChangeOfScale)
{
    run_main_window([&](HWND dialog) {
        command(dialog, IDM_PLOT);
        ASSERT_TRUE(plot_window.hwnd != nullptr);
        RECT suggested = {40, 50, 700, 500};
        SendMessageA(plot_window.hwnd, WM_DPICHANGED, MAKEWPARAM(192, 192),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT now = {};
        GetWindowRect(plot_window.hwnd, &now);
        EXPECT_TRUE(EqualRect(&now, &suggested))
            << now.left << "," << now.top << "," << now.right << "," << now.bottom;
        MINMAXINFO limits = {};
        SendMessageA(plot_window.hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(480, limits.ptMinTrackSize.x) << "the smallest size follows the scale";
        command(dialog, IDM_PLOT);
    });
}

int polyline_points = 0;
BOOL WINAPI counting_polyline(HDC, const POINT*, int count)
{
    polyline_points += count;
    return TRUE;
}

// Two series, ever more samples kept: a frame hands Polyline at most two
// points a column of each, however many samples there are.
TEST(Plot, AFrameIsBoundByTheWindowsWidth)
{
    ImportPatch patch("gdi32.dll", "Polyline", reinterpret_cast<void*>(counting_polyline));
    ASSERT_TRUE(patch.active());
    run_main_window([&](HWND dialog) {
        main_dialog.settings().view.plot.points = 1000000;
        command(dialog, IDM_PLOT);
        ASSERT_TRUE(plot_window.hwnd != nullptr);
        SetWindowPos(plot_window.hwnd, nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOMOVE);
        RECT client;
        GetClientRect(plot_window.hwnd, &client);
        // Two points a column of each series, and the frame's five.
        const int bound = 2 * 2 * client.right + 5;
        int n = 0;
        const int kept[] = {10, 1000, 100000, 1000000};
        for (size_t i = 0; i < sizeof kept / sizeof kept[0]; ++i) {
            std::string lines;
            for (; n < kept[i]; ++n)
                lines += std::to_string(n % 1000) + "," + std::to_string(-n) + "\n";
            feed_lines(lines);
            plot_window.refresh();
            polyline_points = 0;
            UpdateWindow(plot_window.hwnd);
            EXPECT_GT(polyline_points, 0) << "case " << i << ": nothing drawn";
            EXPECT_LE(polyline_points, bound) << "case " << i << ": " << kept[i] << " samples";
            EXPECT_EQ(static_cast<uint32_t>(kept[i]), plot_window.samples.end());
        }
        command(dialog, IDM_PLOT);
    });
}

}  // namespace
