// A device that goes away while the main window has its port open, and the
// line settings shown beside the port's state.
#include <gtest/gtest.h>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"

namespace {

bool reopen_checked()
{
    return (GetMenuState(main_dialog.menu, IDM_REOPEN_LOST, MF_BYCOMMAND) & MF_CHECKED) != 0;
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
            ASSERT_TRUE(reopen_checked()) << c.name << ": the option starts checked";
            if (c.option_off)
                command(dialog, IDM_REOPEN_LOST);
            EXPECT_EQ(!c.option_off, reopen_checked()) << c.name;
            ASSERT_TRUE(wait_for_first_open_attempt(5000)) << c.name;
            ASSERT_EQ(1, serial_channel.is_open) << c.name;

            ASSERT_TRUE(device.vanish(1)) << device.last_reply();
            ASSERT_TRUE(wait_for_ticks(1, 3000)) << c.name;
            EXPECT_EQ(0, serial_channel.is_open) << c.name << ": loss not noticed within a tick";
            EXPECT_EQ(ConnectionLight::failed, connection_light.state) << c.name;
            EXPECT_EQ("Port was lost", status_text()) << c.name;
            EXPECT_EQ("", status_text(1)) << c.name;
            if (c.close_after_loss)
                command(dialog, IDM_CLOSE);

            ASSERT_TRUE(device.come_back(1)) << device.last_reply();
            DWORD back = GetTickCount();
            while (!serial_channel.is_open && GetTickCount() - back < 2500)
                wait_for_ticks(1, 1000);
            DWORD took = GetTickCount() - back;
            EXPECT_EQ(c.reopened ? 1 : 0, serial_channel.is_open) << c.name;
            if (c.reopened) {
                EXPECT_LE(took, 2000u) << c.name << ": reopened after " << took << " ms";
                EXPECT_EQ(ConnectionLight::open, connection_light.state) << c.name;
                EXPECT_EQ("Port is open", status_text()) << c.name;
            }
        });
        device.come_back(1);
    }
}

}  // namespace
