// The Help menu of the real main window: "About..." shows the About box,
// during which the window keeps taking in what the device sends, and
// "Program info" writes and opens the help page.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/program_objects.h"
#include "msgbox/about.h"
#include "msgbox/help_page_text.h"
#include "msgbox/web_links.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/msgbox/box_driver.h"
#include "tests/support/device_client.h"
#include "tests/support/test_support.h"
#include "tests/support/text_helpers.h"

namespace {

bool has_line(const std::vector<std::string>& lines, const std::string& wanted)
{
    for (const std::string& line : lines)
        if (line.find(wanted) != std::string::npos)
            return true;
    return false;
}

TEST(HelpMenu, AboutShowsTheBoxWhileReceivedDataKeepsArriving)
{
    DeviceClient device;
    ASSERT_TRUE(device.has_port());
    ASSERT_TRUE(device.set_mode(1, "silent")) << device.last_reply();
    bool disabled_while_up = false, seen_while_up = false;
    std::string text_shown, link_shown, list_seen;
    MainWindowRun run = run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        ASSERT_TRUE(serial_channel.is_open) << "COM1 did not open";
        drive_box(about_box, [&] {
            SendMessageA(dialog, WM_COMMAND, IDM_ABOUT, 0);
            return 0;
        }, [&](HWND, int tick) {
            if (tick == 1) {
                disabled_while_up = !IsWindowEnabled(dialog);
                text_shown = about_box.text ? about_box.text : "";
                link_shown = about_box.link_text;
                device.send_bytes(1, "READING 42");
            }
            list_seen = joined(list_lines(dialog), "[", "]");
            if (has_line(list_lines(dialog), "READING 42") && !seen_while_up) {
                seen_while_up = true;
                press_key(VK_RETURN);
            }
        }, 100, 50);
        EXPECT_TRUE(IsWindowEnabled(dialog));
    });
    EXPECT_TRUE(run.ended_by_driver);
    EXPECT_TRUE(disabled_while_up);
    EXPECT_TRUE(seen_while_up) << "list while the box was up: " << list_seen;
    EXPECT_EQ(about_text, text_shown);
    EXPECT_EQ(MAKER_HOST, link_shown);
    device.set_mode(1, "modem");
}

TEST(HelpMenu, ProgramInfoWritesAndOpensTheHelpPage)
{
    DeleteFileW(help_page.path);
    clear_opened_log();
    std::string written;
    MainWindowRun run = run_main_window([&](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, IDM_PROGRAM_INFO, 0);
        written = read_file(narrow(help_page.path));
    });
    EXPECT_TRUE(run.ended_by_driver);
    EXPECT_EQ(help_page_text, written);
    ASSERT_TRUE(wait_for_opened(1, 10000));
    EXPECT_NE(std::string::npos, opened_log().find("QuorvexHelp.htm")) << opened_log();
    DeleteFileW(help_page.path);
    clear_opened_log();
}

}  // namespace
