// The plot window through the real main window: View > Plot beside the main
// window, the device's lines plotted, saved as CSV with their times, paused,
// cleared, closed; the Y range dialog; the texts of a frame; and a frame
// that draws as many points as the window is wide.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>
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

std::string rect_text(const RECT& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

// The window's rectangle lies on the work area and shares no pixel with
// `other`'s, which leaves room beside it.
void expect_beside(HWND window, HWND other, const char* what)
{
    RECT rect = {}, other_rect = {}, common = {}, work = {};
    GetWindowRect(window, &rect);
    GetWindowRect(other, &other_rect);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_TRUE(other_rect.right + (rect.right - rect.left) <= work.right ||
                other_rect.left - (rect.right - rect.left) >= work.left)
        << what << ": no room beside " << rect_text(other_rect) << " on " << rect_text(work);
    EXPECT_FALSE(IntersectRect(&common, &rect, &other_rect))
        << what << " " << rect_text(rect) << " over " << rect_text(other_rect);
    EXPECT_TRUE(rect.left >= work.left && rect.right <= work.right && rect.top >= work.top)
        << what << " " << rect_text(rect) << " off " << rect_text(work);
}

TEST(Plot, ShowsWhatTheDeviceSendsSavesItPausesAndCloses)
{
    std::string folder = make_temp_folder("plot");
    std::string path = folder + "\\samples.csv";
    std::wstring wide_path(path.begin(), path.end());
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        // Room on the work area to the main window's right.
        SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        command(dialog, IDM_PLOT);
        ASSERT_TRUE(plot_window.hwnd != nullptr);
        char title[32] = {};
        GetWindowTextA(plot_window.hwnd, title, sizeof title);
        EXPECT_STREQ("Quorvex Plot", title);
        EXPECT_EQ(dialog, GetWindow(plot_window.hwnd, GW_OWNER));
        EXPECT_TRUE(plot_checked(dialog));
        expect_beside(plot_window.hwnd, dialog, "the plot window");

        ASSERT_TRUE(device.send_bytes(1, "temp:21.5,hum: 48\r\ntemp:22,hum:47.25\r\n"));
        ASSERT_TRUE(device.send_bytes(1, "boot text\r\ntemp=-3.5 hum=46\r\n"));
        EXPECT_TRUE(pump_until([] { return plot_window.samples.end() == 3; }, 5000));
        EXPECT_TRUE(pump_until([] { return plot_window.frames > 0; }, 3000)) << "no frame drawn";
        ASSERT_EQ(1, plot_window.save_csv(wide_path.c_str()));
        // Each row begins with when its line came, in ms since the first;
        // the second send may come in the same read as the first or later.
        std::string csv = read_file(path);
        unsigned times[3] = {};
        char rest[3][16] = {};
        int read = sscanf(csv.c_str(), "ms,sample,temp,hum\r\n%u,%15[^\r]\r\n%u,%15[^\r]\r\n%u,%15[^\r]\r\n",
                          &times[0], rest[0], &times[1], rest[1], &times[2], rest[2]);
        EXPECT_EQ(6, read) << csv;
        EXPECT_STREQ("1,21.5,48", rest[0]);
        EXPECT_STREQ("2,22,47.25", rest[1]);
        EXPECT_STREQ("3,-3.5,46", rest[2]);
        EXPECT_TRUE(times[0] == 0 && times[1] >= times[0] && times[2] >= times[1]) << csv;
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

// The dialog opens beside the plot with the range shown, fitted to the
// values (-2.5 to 10) or as last typed; OK takes what the fields then hold.
TEST(Plot, TheYRangeIsFixedOrFitted)
{
    struct Case {
        const char* shown_bottom;
        const char* shown_top;
        const char* bottom;  // null: OK on the fields as shown
        const char* top;
        bool refused;
        int fixed;
        double low, high;
    } cases[] = {
        {"-2.5", "10", "-5", "2.5e1", false, 1, -5, 25},
        {"-5", "2.5e1", "abc", "1", true, 1, -5, 25},
        {"-5", "2.5e1", "3", "3", true, 1, -5, 25},
        {"-5", "2.5e1", "", "7", true, 1, -5, 25},
        {"-5", "2.5e1", "", "", false, 0, -5, 25},
        {"-2.5", "10", nullptr, nullptr, false, 1, -2.5, 10},
        {"-2.5", "10", "", "", false, 0, -2.5, 10},
    };
    run_main_window([&](HWND dialog) {
        command(dialog, IDM_PLOT);
        ASSERT_TRUE(plot_window.hwnd != nullptr);
        feed_lines("3\n-2.5\n10\n");
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            // OK on the typed range; a refused one leaves the dialog up, and
            // Cancel then ends it.
            bool refused = false;
            char shown[2][32] = {};
            when_window_opens(WindowQuery{"#32770", "Y range", plot_window.hwnd}, [&](HWND box) {
                GetDlgItemTextA(box, IDC_Y_BOTTOM, shown[0], sizeof shown[0]);
                GetDlgItemTextA(box, IDC_Y_TOP, shown[1], sizeof shown[1]);
                expect_beside(box, plot_window.hwnd, "the Y range dialog");
                if (cases[i].bottom) {
                    SetDlgItemTextA(box, IDC_Y_BOTTOM, cases[i].bottom);
                    SetDlgItemTextA(box, IDC_Y_TOP, cases[i].top);
                }
                SendMessageA(box, WM_COMMAND, IDOK, 0);
                refused = IsWindow(box) && IsWindowVisible(box);
                if (refused)
                    SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
            });
            SendMessageA(plot_window.hwnd, WM_COMMAND, IDM_PLOT_Y_RANGE, 0);
            EXPECT_TRUE(window_was_driven()) << "case " << i;
            EXPECT_EQ(cases[i].refused, refused) << "case " << i;
            EXPECT_STREQ(cases[i].shown_bottom, shown[0]) << "case " << i;
            EXPECT_STREQ(cases[i].shown_top, shown[1]) << "case " << i;
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

struct DrawnText {
    std::string text;
    RECT rect;
};
std::vector<DrawnText> drawn_texts;
BOOL WINAPI recording_text_out(HDC dc, int x, int y, LPCSTR text, int length)
{
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, length, &size);
    drawn_texts.push_back(DrawnText{std::string(text, static_cast<size_t>(length)),
                                    RECT{x, y, x + size.cx, y + size.cy}});
    return TRUE;
}

// Sixteen series with long labels, at the smallest size and larger, paused
// and not: every text of a frame lies in the window, none covers another
// (the legend's rows and the axis labels), and "Paused" shows while paused.
TEST(Plot, TheTextsOfAFrameFitAndNoneCoversAnother)
{
    ImportPatch patch("gdi32.dll", "TextOutA", reinterpret_cast<void*>(recording_text_out));
    ASSERT_TRUE(patch.active());
    const SIZE sizes[] = {{240, 160}, {560, 360}, {1000, 220}};
    run_main_window([&](HWND dialog) {
        command(dialog, IDM_PLOT);
        ASSERT_TRUE(plot_window.hwnd != nullptr);
        std::string lines;
        for (int n = 0; n < 2; ++n) {
            for (int s = 0; s < 16; ++s)
                lines += "a_rather_long_series_label_" + std::to_string(s) + ":-" +
                         std::to_string(n * 1000 + s) + ".000000000000125,";
            lines += "\n";
        }
        feed_lines(lines);
        for (size_t i = 0; i < 2 * sizeof sizes / sizeof sizes[0]; ++i) {
            bool paused = i % 2;
            SetWindowPos(plot_window.hwnd, nullptr, 0, 0, sizes[i / 2].cx, sizes[i / 2].cy,
                         SWP_NOZORDER | SWP_NOMOVE);
            if (paused != (plot_window.paused != 0))
                plot_window.toggle_pause();
            drawn_texts.clear();
            UpdateWindow(plot_window.hwnd);
            RECT client;
            GetClientRect(plot_window.hwnd, &client);
            EXPECT_GE(drawn_texts.size(), 4u) << "case " << i << ": a legend text and three labels";
            int paused_texts = 0;
            for (size_t k = 0; k < drawn_texts.size(); ++k) {
                const DrawnText& one = drawn_texts[k];
                paused_texts += one.text == "Paused";
                EXPECT_TRUE(one.rect.left >= 0 && one.rect.top >= 0 && one.rect.right <= client.right &&
                            one.rect.bottom <= client.bottom)
                    << "case " << i << ": \"" << one.text << "\" at " << rect_text(one.rect)
                    << " in " << rect_text(client);
                for (size_t j = 0; j < k; ++j) {
                    RECT common;
                    EXPECT_FALSE(IntersectRect(&common, &one.rect, &drawn_texts[j].rect))
                        << "case " << i << ": \"" << one.text << "\" at " << rect_text(one.rect)
                        << " over \"" << drawn_texts[j].text << "\" at "
                        << rect_text(drawn_texts[j].rect);
                }
            }
            EXPECT_EQ(paused ? 1 : 0, paused_texts) << "case " << i;
        }
        plot_window.toggle_pause();
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
