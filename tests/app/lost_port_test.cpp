// A device that goes away while the main window has its port open, and the
// line settings shown beside the port's state.
#include <gtest/gtest.h>
#include <cstdio>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"

namespace {

bool reopen_checked()
{
    return (GetMenuState(main_dialog.menu(), IDM_REOPEN_LOST, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

TEST(LineSettingsText, ShowsThePortsLineWhileOpenAndNothingWhenClosed)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    struct Case {
        int comm, speed, parity, byte_size, stop_bits, port, baud;
        const char* shown;
    } cases[] = {
        {0, 0, 0, 0, 0, 0, 0, "COM1 9600 8N1"},
        {0, 0, 0, 0, 0, 12, 921600, "COM12 921600 8N1"},
        {2, 1, 2, 1, 1, 0, 0, "COM3 19200 7E1.5"},
        {1, 4, 1, 0, 2, 0, 0, "COM2 115200 8O2"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        run_main_window([&](HWND dialog) {
            port_setup_dialog.settings =
                PortSettings{c.comm, c.speed, c.parity, c.byte_size, c.stop_bits, c.port, c.baud};
            EXPECT_EQ("", status_text(1)) << "case " << i;
            ASSERT_TRUE(wait_for_first_open_attempt(5000)) << "case " << i;
            EXPECT_EQ("Port is open", status_text()) << "case " << i;
            EXPECT_EQ(c.shown, status_text(1)) << "case " << i;
            command(dialog, IDM_CLOSE);
            EXPECT_EQ("", status_text(1)) << "case " << i << ": after Close";
        });
    }
}

// The loss shows at once; the port comes back by itself only while the
// option is on and the user has not closed it.
TEST(LostPort, IsShownAndReopenedOnlyWhenWanted)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    struct Case {
        const char* name;
        bool option_off, close_after_loss, reopened;
    } cases[] = {
        {"option on", false, false, true},
        {"closed by the user", false, true, false},
        {"option off", true, false, false},
    };
    for (const Case& c : cases) {
        run_main_window([&](HWND dialog) {
            command(dialog, IDM_VIEW_LINES);
            if (c.option_off) {
                command(dialog, IDM_REOPEN_LOST);
                EXPECT_FALSE(reopen_checked()) << c.name << ": the option still shows checked";
            }
            ASSERT_TRUE(wait_for_first_open_attempt(5000)) << c.name;
            ASSERT_EQ(1, serial_channel.is_open) << c.name;

            // The reader notices the loss and the next tick shows it; on a
            // busy machine that may take a few ticks.
            ASSERT_TRUE(device.vanish(1)) << device.last_reply();
            DWORD gone = GetTickCount();
            ASSERT_TRUE(pump_until([] { return serial_channel.is_open == 0; }, 10000))
                << c.name << ": the loss was not noticed";
            printf("%s: loss shown after %lu ms\n", c.name, GetTickCount() - gone);
            EXPECT_EQ(ConnectionLight::failed, connection_light.state) << c.name;
            EXPECT_EQ("Port was lost", status_text()) << c.name;
            EXPECT_EQ("", status_text(1)) << c.name;
            if (c.close_after_loss)
                command(dialog, IDM_CLOSE);

            // Reopened within two seconds of the device's return, counted
            // from the return; otherwise watched for more than two reopen
            // intervals (a second each).
            ASSERT_TRUE(device.come_back(1)) << device.last_reply();
            DWORD back = GetTickCount();
            pump_until([] { return serial_channel.is_open != 0; }, c.reopened ? 10000 : 2500);
            DWORD took = GetTickCount() - back;
            EXPECT_EQ(c.reopened ? 1 : 0, serial_channel.is_open) << c.name;
            if (c.reopened) {
                printf("%s: reopened %lu ms after the device came back\n", c.name, took);
                EXPECT_LE(took, 2000u) << c.name << ": reopened after " << took << " ms";
                EXPECT_EQ(ConnectionLight::open, connection_light.state) << c.name;
                EXPECT_EQ("Port is open", status_text()) << c.name;
            }
            // The Lines view marks the gap, in that order.
            std::string marks;
            for (const std::string& line : list_lines(dialog))
                if (line.compare(0, 8, "-- COM1 ") == 0)
                    marks += line.substr(8, line.find(' ', 8) - 8) + " ";
            EXPECT_EQ(c.reopened ? "lost reopened " : "lost ", marks) << c.name;
        });
        device.come_back(1);
    }
}

}  // namespace
