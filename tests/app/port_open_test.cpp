// Opening the port off the window's thread: the window answers while a slow
// driver opens, Close ends the wait, and a failed open says why.
#include <gtest/gtest.h>
#include <windows.h>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/serial/platform_spy.h"

namespace {

TEST(PortOpen, ASlowOpenLeavesTheWindowAnsweringAndCloseEndsTheWait)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    SpyPatch files("CreateFileA");
    SpyPatch closes("CloseHandle");
    ASSERT_TRUE(files.active() && closes.active());
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        command(dialog, IDM_CLOSE);
        spy = Spy();
        spy.create_delay_ms = 3000;
        DWORD start = GetTickCount();
        command(dialog, IDM_OPEN);
        EXPECT_LT(GetTickCount() - start, 1500u) << "Open held the window";
        EXPECT_EQ("Opening COM1...", status_text());
        // The window's own ticks go on meanwhile, four a second.
        EXPECT_TRUE(wait_for_ticks(4, 1500)) << "the window stopped ticking";
        EXPECT_EQ(0, serial_channel.is_open);
        ASSERT_TRUE(pump_until([] { return serial_channel.is_open != 0; }, 8000));
        EXPECT_GE(GetTickCount() - start, 2900u) << "the open did not wait for the driver";
        EXPECT_EQ("Port is open", status_text());

        // Close while a slow open is under way: the window shows it closed at
        // once, and the port the driver opens later is closed again.
        command(dialog, IDM_CLOSE);
        spy = Spy();
        spy.create_delay_ms = 1500;
        command(dialog, IDM_OPEN);
        ASSERT_TRUE(pump_until([] { return spy.create_calls == 1; }, 5000));
        command(dialog, IDM_CLOSE);
        EXPECT_EQ("Port is closed", status_text());
        EXPECT_EQ(ConnectionLight::closed, connection_light.state);
        EXPECT_TRUE(pump_until([] { return spy.port_closes == 1; }, 5000))
            << "the abandoned open kept its port";
        EXPECT_EQ(0, serial_channel.is_open);
    });
}

// An open left while the driver is slow (by Close, or by a new rate from
// Port Setup) holds the port until it ends: the next open of that port waits
// for it instead of finding the port in use, and the port the left one got
// is closed again without DTR ever raised.
TEST(PortOpen, ANewOpenWaitsForTheSlowOneItReplaces)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    SpyPatch files("CreateFileA");
    SpyPatch closes("CloseHandle");
    SpyPatch states("SetCommState");
    ASSERT_TRUE(files.active() && closes.active() && states.active());
    for (bool by_close : {true, false}) {
        run_main_window([&](HWND dialog) {
            ASSERT_TRUE(wait_for_first_open_attempt(5000));
            command(dialog, IDM_CLOSE);
            spy = Spy();
            spy.exclusive = true;
            spy.create_delay_ms = 1500;
            command(dialog, IDM_OPEN);
            ASSERT_TRUE(pump_until([] { return spy.create_calls == 1; }, 3000));
            spy.create_delay_ms = 0;
            if (by_close) {
                command(dialog, IDM_CLOSE);
                command(dialog, IDM_OPEN);
            } else {
                port_setup_dialog.settings.Baud = 19200;
                main_dialog.session().line_changed(port_setup_dialog.settings);
            }
            EXPECT_TRUE(pump_until([] { return serial_channel.is_open != 0; }, 5000))
                << "by close " << by_close << ": " << status_text(1);
            EXPECT_EQ("Port is open", status_text()) << "by close " << by_close;
            EXPECT_EQ("off on ", spy.dtr_applied) << "by close " << by_close;
        });
    }
    spy = Spy();
}

// Each reason shows beside "Port failed to open", with the light red.
TEST(PortOpen, AFailedOpenSaysWhy)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    SpyPatch files("CreateFileA");
    SpyPatch states("SetCommState");
    ASSERT_TRUE(files.active() && states.active());
    const struct {
        DWORD create_error;
        bool fail_set;
        int32_t port;
        const char* shown;
    } cases[] = {
        {ERROR_ACCESS_DENIED, false, 7, "COM7 is in use by another program"},
        {ERROR_FILE_NOT_FOUND, false, 7, "COM7 does not exist"},
        {0, true, 0, "COM1 refused these line settings"},
        {ERROR_GEN_FAILURE, false, 12, "COM12 did not open: Windows error 31: "},
    };
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        command(dialog, IDM_CLOSE);
        for (const auto& c : cases) {
            spy = Spy();
            spy.create_error = c.create_error;
            spy.fail_set = c.fail_set;
            port_setup_dialog.settings.Port = c.port;
            command(dialog, IDM_OPEN);
            ASSERT_TRUE(wait_for_open_attempt(5000)) << c.shown;
            EXPECT_EQ("Port failed to open", status_text()) << c.shown;
            // The system's words follow "Windows error N: ".
            EXPECT_EQ(0u, status_text(1).find(c.shown)) << status_text(1);
            EXPECT_EQ(ConnectionLight::failed, connection_light.state) << c.shown;
        }
    });
    spy = Spy();
}

// The port's threads whose message the window's queue refused (a full
// queue) are heard all the same: the window's tick takes their events.
TEST(PortOpen, AnEventWhoseMessageWasRefusedStillArrives)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    SpyPatch posts("PostMessageA");
    ASSERT_TRUE(posts.active());
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        command(dialog, IDM_CLOSE);
        spy = Spy();
        spy.refused_message = port_event_message;
        command(dialog, IDM_OPEN);
        EXPECT_TRUE(pump_until([] { return serial_channel.is_open != 0; }, 3000)) << status_text();
        EXPECT_EQ("Port is open", status_text());
        EXPECT_LE(1, spy.refused_posts);
    });
    spy = Spy();
}

}  // namespace
