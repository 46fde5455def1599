// "Port Setup" in the main window: it always marks the settings changed and
// brings an open port back up with the new settings.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include "app/program_objects.h"
#include "resources/port_setup_ids.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/serial/select_port_driver.h"
#include "tests/support/test_support.h"

namespace {

// Runs "Port Setup" from the menu; `act` drives the Select Port dialog.
void run_port_setup_command(HWND main_window, const std::function<void(HWND)>& act)
{
    when_select_port_opens(act);
    SendMessageA(main_window, WM_COMMAND, IDM_PORT_SETUP, 0);
    EXPECT_TRUE(select_port_was_driven())
        << "run_port_setup_command: Select Port never came up or its act did not run to its end";
}

TEST(PortSetupCommand, NewSettingsReachTheLineOfAnOpenPort)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    ASSERT_TRUE(device.set_mode(1, "silent"));
    ASSERT_TRUE(device.set_mode(2, "silent"));
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        ASSERT_EQ(1, serial_channel.is_open);
        HWND owner_seen = nullptr;
        run_port_setup_command(dialog, [&](HWND select_port) {
            owner_seen = GetWindow(select_port, GW_OWNER);
            click(select_port, IDC_PORT_COM2);
            click(select_port, IDC_SPEED_56000);
            click(select_port, IDC_STOP_BITS_2);
            click(select_port, IDOK);
        });
        EXPECT_EQ(dialog, owner_seen);
        EXPECT_EQ(1, main_dialog.settings_changed);
        EXPECT_EQ(1, serial_channel.is_open);
        EXPECT_EQ(ConnectionLight::open, connection_light.state);
        EXPECT_EQ("Port is open", status_text());
        DeviceLineSettings line = device.termios(2);
        ASSERT_TRUE(line.valid) << device.last_reply();
        EXPECT_EQ(57600, line.speed) << "\"56000\" is 57600 baud on the line";
        EXPECT_EQ(2, line.stop);

        // The reopened port is COM2: what is sent arrives there.
        device.clear(2);
        SetWindowTextA(command_combo.hwnd, "ATE0");
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        EXPECT_EQ("ATE0\r", wait_for_received(device, 5, 5000, 2));
    });
}

TEST(PortSetupCommand, OkWithoutChangeStillMarksAndReopens)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        ASSERT_EQ(1, serial_channel.is_open);
        SendMessageA(main_dialog.status_bar, SB_SETTEXTA, 0,
                     reinterpret_cast<LPARAM>("left by the test"));
        run_port_setup_command(dialog, [](HWND select_port) { click(select_port, IDOK); });
        EXPECT_EQ(1, main_dialog.settings_changed);
        EXPECT_EQ(1, serial_channel.is_open);
        EXPECT_EQ("Port is open", status_text()) << "the port was not opened again";
        EXPECT_EQ(0, port_setup_dialog.settings.Comm);
    });
}

TEST(PortSetupCommand, CancelStillMarksTheSettingsAndAClosedPortStaysClosed)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        SendMessageA(dialog, WM_COMMAND, IDM_CLOSE, 0);
        ASSERT_EQ(0, serial_channel.is_open);
        main_dialog.settings_changed = 0;
        run_port_setup_command(dialog, [](HWND select_port) {
            click(select_port, IDC_PORT_COM4);
            click(select_port, IDCANCEL);
        });
        EXPECT_EQ(1, main_dialog.settings_changed);
        EXPECT_EQ(0, port_setup_dialog.settings.Comm) << "Cancel kept a pick";
        EXPECT_EQ(0, serial_channel.is_open) << "Port Setup opened a closed port";
        EXPECT_EQ(ConnectionLight::closed, connection_light.state);
        EXPECT_EQ("Port is closed", status_text());
    });
}

}  // namespace
