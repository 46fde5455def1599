// "Port Setup" in the main window: it always marks the settings changed, and
// touches an open port only for new settings: a new line is applied to the
// open port, only a new port closes it and opens the other.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <vector>
#include "app/program_objects.h"
#include "resources/port_setup_ids.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/serial/platform_spy.h"
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
        ASSERT_TRUE(wait_for_open_attempt(5000));
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

// What each way out of the dialog does to an open port, counted in calls.
TEST(PortSetupCommand, AnOpenPortIsTouchedOnlyForNewSettings)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    ASSERT_TRUE(device.set_mode(2, "silent"));
    SpyPatch files("CreateFileA");
    SpyPatch closes("CloseHandle");
    SpyPatch states("SetCommState");
    SpyPatch escapes("EscapeCommFunction");
    ASSERT_TRUE(files.active() && closes.active() && states.active() && escapes.active());
    const struct {
        const char* name;
        std::vector<int> clicks;  // the last one ends the dialog
        bool dtr_off_first;       // the user switched DTR off in the menu before
        int creates, closes, sets;
        const char* line;
        DWORD dtr;                // the DTR control of the line afterwards
    } cases[] = {
        {"Cancel after picks", {IDC_PORT_COM2, IDC_SPEED_56000, IDC_DTR_ON, IDCANCEL}, false, 0, 0, 0,
         "COM1 9600 8N1", DTR_CONTROL_ENABLE},
        {"OK unchanged", {IDOK}, false, 0, 0, 0, "COM1 9600 8N1", DTR_CONTROL_ENABLE},
        {"OK with only DTR unchecked", {IDC_DTR_ON, IDOK}, false, 0, 0, 0, "COM1 9600 8N1",
         DTR_CONTROL_ENABLE},
        {"new speed", {IDC_SPEED_56000, IDOK}, false, 0, 0, 1, "COM1 57600 8N1",
         DTR_CONTROL_ENABLE},
        {"new stop bits, DTR off by menu", {IDC_STOP_BITS_2, IDOK}, true, 0, 0, 1, "COM1 9600 8N2",
         DTR_CONTROL_DISABLE},
        {"new port", {IDC_PORT_COM2, IDOK}, false, 1, 1, 1, "COM2 9600 8N1", DTR_CONTROL_ENABLE},
    };
    for (const auto& c : cases) {
        run_main_window([&](HWND dialog) {
            ASSERT_TRUE(wait_for_first_open_attempt(5000)) << c.name;
            ASSERT_EQ(1, serial_channel.is_open) << c.name;
            if (c.dtr_off_first)
                command(dialog, IDM_DTR);
            spy.create_calls = spy.port_closes = spy.set_calls = 0;
            main_dialog.settings_changed = 0;
            run_port_setup_command(dialog, [&](HWND select_port) {
                for (int id : c.clicks)
                    click(select_port, id);
            });
            ASSERT_TRUE(wait_for_open_attempt(5000)) << c.name;
            EXPECT_EQ(1, main_dialog.settings_changed) << c.name;
            EXPECT_EQ(c.creates, spy.create_calls) << c.name << ": CreateFile calls";
            EXPECT_EQ(c.closes, spy.port_closes) << c.name << ": CloseHandle calls on the port";
            EXPECT_EQ(c.sets, spy.set_calls) << c.name << ": SetCommState calls";
            EXPECT_EQ(1, serial_channel.is_open) << c.name;
            EXPECT_EQ("Port is open", status_text()) << c.name;
            EXPECT_EQ(c.line, status_text(1)) << c.name;
            EXPECT_EQ(c.dtr, serial_channel.applied_line.fDtrControl) << c.name;
        });
    }
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

// DTR and RTS on open follow the check boxes; RTS belongs to the handshake
// under RTS/CTS flow control, where its box is disabled.
TEST(PortSetupCommand, DtrAndRtsBoxesChooseTheSignalsOfTheNextOpen)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    SpyPatch states("SetCommState");
    ASSERT_TRUE(states.active());
    const struct {
        const char* name;
        std::vector<int> clicks;
        int32_t dtr, rts;
        bool rts_box_enabled;
        DWORD dtr_control, rts_control;
    } cases[] = {
        {"both on", {}, 1, 1, true, DTR_CONTROL_ENABLE, RTS_CONTROL_ENABLE},
        {"DTR off", {IDC_DTR_ON}, 0, 1, true, DTR_CONTROL_DISABLE, RTS_CONTROL_ENABLE},
        {"both off", {IDC_DTR_ON, IDC_RTS_ON}, 0, 0, true, DTR_CONTROL_DISABLE,
         RTS_CONTROL_DISABLE},
        {"RTS off, RTS/CTS", {IDC_RTS_ON, IDC_FLOW_RTS_CTS}, 1, 0, false, DTR_CONTROL_ENABLE,
         RTS_CONTROL_HANDSHAKE},
    };
    for (const auto& c : cases) {
        run_main_window([&](HWND dialog) {
            command(dialog, IDM_CLOSE);
            bool rts_box_enabled = false;
            run_port_setup_command(dialog, [&](HWND select_port) {
                for (int id : c.clicks)
                    click(select_port, id);
                rts_box_enabled = IsWindowEnabled(GetDlgItem(select_port, IDC_RTS_ON)) != 0;
                click(select_port, IDOK);
            });
            EXPECT_EQ(c.rts_box_enabled, rts_box_enabled) << c.name;
            EXPECT_EQ(c.dtr, port_setup_dialog.settings.Dtr) << c.name;
            EXPECT_EQ(c.rts, port_setup_dialog.settings.Rts) << c.name;
            command(dialog, IDM_OPEN);
            ASSERT_TRUE(wait_for_open_attempt(5000)) << c.name;
            ASSERT_EQ(1, serial_channel.is_open) << c.name;
            EXPECT_EQ(c.dtr_control, spy.applied.fDtrControl) << c.name;
            EXPECT_EQ(c.rts_control, spy.applied.fRtsControl) << c.name;
        });
    }
}

}  // namespace
