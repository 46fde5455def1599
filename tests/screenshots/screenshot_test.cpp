// The program's windows as a user sees them: drawn by Wine's X11 driver on a
// real (virtual) X server, photographed, and checked by their pixels. Every
// picture is saved, so a person can look at a failing run, and the README's
// pictures come from the same run.
#include <gtest/gtest.h>
#include <string>
#include "app/program_objects.h"
#include "msgbox/about.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/screenshots/screen_picture.h"
#include "tests/support/device_client.h"
#include "tests/support/test_support.h"

namespace {

const COLORREF grey_body = RGB(192, 192, 192);
const COLORREF red_body = RGB(255, 0, 0);
const COLORREF green_body = RGB(0, 255, 0);

void redraw(HWND window)
{
    if (!IsWindowVisible(window))
        ShowWindow(window, SW_SHOW);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pump_messages(300);
}

// The light's body colour as drawn: the pixel at the middle of the bitmap.
COLORREF light_body(HWND dialog, const char* picture_name)
{
    HWND light = GetDlgItem(dialog, IDC_CONNECTION_LIGHT);
    redraw(dialog);
    ScreenPicture picture = ScreenPicture::of_window(light);
    picture.save(picture_name);
    return picture.at(8, 8);
}

TEST(Screenshots, TheLightShowsThePortState)
{
    DeviceClient device;
    ASSERT_TRUE(device.has_port());
    COLORREF before_first_tick = CLR_INVALID, opened = CLR_INVALID, failed = CLR_INVALID;
    run_main_window([&](HWND dialog) {
        // Hold the first tick back while the closed light is photographed.
        KillTimer(dialog, 1);
        before_first_tick = light_body(dialog, "light-closed");
        SetTimer(dialog, 1, 250, nullptr);
        ASSERT_TRUE(wait_for_first_open_attempt(3000));
        opened = light_body(dialog, "light-open");
        command(dialog, IDM_CLOSE);
        std::string reply;
        EXPECT_TRUE(device.command("VANISH COM1 nodevice", &reply)) << reply;
        command(dialog, IDM_OPEN);
        EXPECT_EQ("Port failed to open", status_text());
        failed = light_body(dialog, "light-failed");
        device.come_back(1);
        ScreenPicture::of_window(dialog).save("main-failed");
    });
    EXPECT_EQ(grey_body, before_first_tick) << "seen " << rgb_text(before_first_tick);
    EXPECT_EQ(green_body, opened) << "seen " << rgb_text(opened);
    EXPECT_EQ(red_body, failed) << "seen " << rgb_text(failed);
}

// The Lines view with time stamps: the modem's echo and its OK each on a
// line of their own.
TEST(Screenshots, TheMainWindowShowsADeviceReply)
{
    DeviceClient device;
    ASSERT_TRUE(device.has_port());
    device.set_mode(1, "modem");
    std::vector<std::string> lines;
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(3000));
        command(dialog, IDM_VIEW_LINES);
        command(dialog, IDM_TIME_STAMPS);
        for (const char* typed : {"AT", "ATI"}) {
            SetWindowTextA(command_combo.hwnd, "");
            type_text(typed);
            command(dialog, IDOK);
            pump_messages(600);
        }
        pump_until([&] { return list_lines(dialog).size() >= 4; }, 3000);
        lines = list_lines(dialog);
        redraw(dialog);
        ScreenPicture::of_window(dialog).save("main-window");
    });
    const char* replies[] = {"AT", "OK", "ATI", "OK"};
    ASSERT_EQ(4u, lines.size());
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(replies[i], lines[i].substr(13)) << "line " << i << ": " << lines[i];
        EXPECT_EQ(":.", lines[i].substr(2, 1) + lines[i].substr(8, 1)) << "line " << i;
    }
}

// Runs `inspect` on the first visible top-level window of `class_name` and
// `title` that appears while a modal loop runs; `inspect` ends that loop.
HWND awaited_window;
const char* awaited_class;
const char* awaited_title;
void (*awaited_inspect)(HWND);

void CALLBACK look_for_window(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND found = FindWindowA(awaited_class, awaited_title);
    if (!found || !IsWindowVisible(found))
        return;
    KillTimer(nullptr, timer);
    awaited_window = found;
    redraw(found);
    pump_messages(200);
    awaited_inspect(found);
}

void when_window_appears(const char* class_name, const char* title, void (*inspect)(HWND))
{
    awaited_window = nullptr;
    awaited_class = class_name;
    awaited_title = title;
    awaited_inspect = inspect;
    SetTimer(nullptr, 0, 50, look_for_window);
}

RECT main_rect, box_rect;
ScreenPicture box_picture, beneath_box;

TEST(Screenshots, TheAboutBoxIsAnOvalWithARedRim)
{
    run_main_window([&](HWND dialog) {
        redraw(dialog);
        GetWindowRect(dialog, &main_rect);
        beneath_box = ScreenPicture::of_area(main_rect);
        when_window_appears("CMSGCLASS", nullptr, [](HWND box) {
            GetWindowRect(box, &box_rect);
            box_picture = ScreenPicture::of_area(box_rect);
            box_picture.save("about-box");
            ScreenPicture::of_area(main_rect).save("about-over-main");
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(box_buttons[0].control_id, 0), 0);
        });
        command(dialog, IDM_ABOUT);
    });
    ASSERT_GT(box_picture.width(), 20);
    int w = box_picture.width(), h = box_picture.height();
    // Outside the ellipse the window beneath shows through.
    POINT corner_in_main = {box_rect.left - main_rect.left, box_rect.top - main_rect.top};
    EXPECT_EQ(beneath_box.at(corner_in_main.x + 1, corner_in_main.y + 1), box_picture.at(1, 1))
        << "top-left corner " << rgb_text(box_picture.at(1, 1));
    // The rim: the first pixels met from the left edge on the middle row are red.
    int y = h / 2;
    int first_red = -1;
    for (int x = 0; x < w / 4 && first_red < 0; ++x)
        if (box_picture.at(x, y) == RGB(255, 0, 0))
            first_red = x;
    EXPECT_GE(first_red, 0) << "no red rim on row " << y;
    EXPECT_LE(first_red, 4);
    // Inside, the box is filled with its light grey.
    EXPECT_EQ(RGB(192, 192, 192), box_picture.at(w / 2, h / 2 - h / 8))
        << "inside " << rgb_text(box_picture.at(w / 2, h / 2 - h / 8));
}

RECT dialog_rect;

TEST(Screenshots, TheSelectPortDialogSitsCentredOverTheMainWindow)
{
    run_main_window([&](HWND dialog) {
        redraw(dialog);
        GetWindowRect(dialog, &main_rect);
        when_window_appears("#32770", "Select Port", [](HWND select_port) {
            GetWindowRect(select_port, &dialog_rect);
            ScreenPicture::of_window(select_port).save("select-port");
            ScreenPicture::of_area(main_rect).save("select-port-over-main");
            PostMessageA(select_port, WM_COMMAND, IDCANCEL, 0);
        });
        command(dialog, IDM_PORT_SETUP);
    });
    int main_centre_x = (main_rect.left + main_rect.right) / 2;
    int main_centre_y = (main_rect.top + main_rect.bottom) / 2;
    int dialog_centre_x = (dialog_rect.left + dialog_rect.right) / 2;
    int dialog_centre_y = (dialog_rect.top + dialog_rect.bottom) / 2;
    EXPECT_NEAR(main_centre_x, dialog_centre_x, 2);
    EXPECT_NEAR(main_centre_y, dialog_centre_y, 2);
    EXPECT_GT(dialog_rect.right - dialog_rect.left, 100);
}

}  // namespace
