// A device that goes away while the main window has its port open, and the
// line settings shown beside the port's state.
#include <gtest/gtest.h>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"

namespace {

bool reopen_checked()
{
    return (GetMenuState(main_dialog.menu(), IDM_REOPEN_LOST, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// The port's number and rate, data bits, parity and stop bits as the driver
// took them, shown only while the port is open.
TEST(LineSettingsText, ShowsThePortsLineWhileOpenAndNothingWhenClosed)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    run_main_window([&](HWND dialog) {
        port_setup_dialog.settings = PortSettings{0, 0, 2, 1, 1, 12, 921600};
        EXPECT_EQ("", status_text(1));
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        EXPECT_EQ("Port is open", status_text());
        EXPECT_EQ("COM12 921600 7E1.5", status_text(1));
        command(dialog, IDM_CLOSE);
        EXPECT_EQ("", status_text(1)) << "after Close";
    });
}

// The loss shows at once and stays shown while the device is away; once it
// is back the port opens by itself, and the Lines view marks the gap.
TEST(LostPort, IsShownAndReopenedWhenTheDeviceIsBack)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    run_main_window([&](HWND dialog) {
        command(dialog, IDM_VIEW_LINES);
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        ASSERT_EQ(1, serial_channel.is_open);

        // The reader notices the loss and the next tick shows it; on a busy
        // machine that may take a few ticks.
        ASSERT_TRUE(device.vanish(1)) << device.last_reply();
        ASSERT_TRUE(pump_until([] { return serial_channel.is_open == 0; }, 10000))
            << "the loss was not noticed";
        EXPECT_EQ(ConnectionLight::failed, connection_light.state);
        EXPECT_EQ("Port was lost", status_text());
        EXPECT_EQ("", status_text(1));

        // A try that finds the device still away changes neither.
        ASSERT_TRUE(pump_until(
            [] { return main_dialog.session().reopen_wait_ms() > PortSession::first_reopen_wait_ms; },
            10000))
            << "no try while the device was away";
        EXPECT_EQ(ConnectionLight::failed, connection_light.state);
        EXPECT_EQ("Port was lost", status_text());

        ASSERT_TRUE(device.come_back(1)) << device.last_reply();
        ASSERT_TRUE(pump_until([] { return serial_channel.is_open != 0; }, 10000))
            << "not reopened";
        EXPECT_EQ(ConnectionLight::open, connection_light.state);
        EXPECT_EQ("Port is open", status_text());
        std::string marks;
        for (const std::string& line : list_lines(dialog))
            if (line.compare(0, 8, "-- COM1 ") == 0)
                marks += line.substr(8, line.find(' ', 8) - 8) + " ";
        EXPECT_EQ("lost reopened ", marks);
    });
    device.come_back(1);
}

// Port / Reopen lost port shows its mark and reaches the session at once.
TEST(LostPort, TheMenuOptionTurnsReopeningOff)
{
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(reopen_checked());
        command(dialog, IDM_REOPEN_LOST);
        EXPECT_FALSE(reopen_checked()) << "the option still shows checked";
        EXPECT_FALSE(main_dialog.session().reopening_on()) << "a lost port would be reopened";
        command(dialog, IDM_REOPEN_LOST);
        EXPECT_TRUE(reopen_checked());
        EXPECT_TRUE(main_dialog.session().reopening_on());
    });
}

}  // namespace
