// The main window: its set-up, the port commands with the light and the
// status bar, the options, the menu's smaller commands and the ways out.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <cstring>
#include "app/program_objects.h"
#include "framework/program_instance.h"
#include "msgbox/web_links.h"
#include "resources/resource_ids.h"
#include "serial/serial_channel.h"
#include "tests/app/main_window_driver.h"
#include "tests/support/test_support.h"

namespace {

// The device's COM1 is ready and answers like a modem.
void use_modem_on_com1(DeviceClient& device)
{
    ASSERT_TRUE(device.ping()) << device.last_reply();
    ASSERT_TRUE(device.set_mode(1, "modem")) << device.last_reply();
    ASSERT_TRUE(device.clear(1)) << device.last_reply();
}

TEST(MainWindowSetUp, BuildsTheWindowTheUserSees)
{
    HWND status = nullptr;
    MainWindowRun run = run_main_window([&](HWND dialog) {
        char title[64] = {};
        GetWindowTextA(dialog, title, sizeof title);
        EXPECT_STREQ("Quorvex", title);
        EXPECT_EQ(main_dialog.menu(), GetMenu(dialog));
        EXPECT_NE(nullptr, main_dialog.menu());
        status = main_dialog.status_bar();
        EXPECT_EQ(status, GetDlgItem(dialog, IDC_STATUS_BAR));
        EXPECT_EQ("", status_text()) << "the status starts empty";
        EXPECT_NE(0u, GetClassLongPtrA(dialog, GCLP_HICON));
        EXPECT_EQ(GetDlgItem(dialog, IDC_COMMAND), command_combo.hwnd);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(&command_combo),
                  GetWindowLongPtrA(command_combo.hwnd, GWLP_USERDATA));
        EXPECT_EQ(command_combo.hwnd, GetParent(main_dialog.command_edit()));
        ASSERT_EQ(0, main_dialog.first_tick_done) << "the script ran after the first tick";
        EXPECT_EQ(ConnectionLight::closed, connection_light.state) << "before the first tick";
        EXPECT_EQ(0, serial_channel.is_open) << "the port waits for the first tick";
    });
    EXPECT_EQ(0, run.result);
}

TEST(MainWindowPort, FirstTickOpensCom1At9600With8N1ByDefault)
{
    DeviceClient device;
    use_modem_on_com1(device);
    // Leave the line at other settings first, so the check below sees what
    // the first tick set.
    SerialChannel other;
    PortSettings odd_line;
    odd_line.Speed = 4;  // 19200 in the channel's table
    odd_line.StopBits = 2;
    ASSERT_EQ(1, other.open(odd_line));
    other.close();
    ASSERT_EQ(19200, device.termios(1).speed);

    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        EXPECT_EQ(1, serial_channel.is_open);
        EXPECT_EQ(ConnectionLight::open, connection_light.state);
        EXPECT_EQ("Port is open", status_text());
        char title[64] = {};
        GetWindowTextA(dialog, title, sizeof title);
        EXPECT_STREQ("Quorvex - COM1", title) << "the title names the port it opened";
        // Every part's text shows whole at the window's first size.
        pump_messages(300);
        EXPECT_EQ("", status_parts_cut_short(5));
        EXPECT_EQ("COM1 9600 8N1", status_text(1));
        DeviceLineSettings line = device.termios(1);
        ASSERT_TRUE(line.valid) << device.last_reply();
        EXPECT_EQ(9600, line.speed);
        EXPECT_EQ(8, line.data);
        EXPECT_EQ("none", line.parity);
        EXPECT_EQ(1, line.stop);
    });
}

// That no tick tries the failed open again is the port session's to check.
TEST(MainWindowPort, FailedFirstOpenShowsRedAndOpensWhenTheUserAsks)
{
    DeviceClient device;
    use_modem_on_com1(device);
    std::string reply;
    ASSERT_TRUE(device.command("VANISH COM1 nodevice", &reply)) << reply;
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        EXPECT_EQ(0, serial_channel.is_open);
        EXPECT_EQ(ConnectionLight::failed, connection_light.state);
        EXPECT_EQ("Port failed to open", status_text());
        EXPECT_TRUE(device.come_back(1)) << device.last_reply();

        // Close while closed still shows it.
        command(dialog, IDM_CLOSE);
        EXPECT_EQ(ConnectionLight::closed, connection_light.state);
        EXPECT_EQ("Port is closed", status_text());

        command(dialog, IDM_OPEN);
        ASSERT_TRUE(wait_for_open_attempt(5000));
        EXPECT_EQ(1, serial_channel.is_open);
        EXPECT_EQ(ConnectionLight::open, connection_light.state);
        EXPECT_EQ("Port is open", status_text());
    });
    device.come_back(1);
}

TEST(MainWindowPort, OpenWhileOpenChangesNothingAndCloseAlwaysShowsClosed)
{
    DeviceClient device;
    use_modem_on_com1(device);
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        ASSERT_EQ(1, serial_channel.is_open);
        HANDLE port = serial_channel.handle;
        SendMessageA(main_dialog.status_bar(), SB_SETTEXTA, 0,
                     reinterpret_cast<LPARAM>("left by the test"));
        command(dialog, IDM_OPEN);
        EXPECT_EQ(port, serial_channel.handle) << "the open port was opened again";
        EXPECT_EQ(UINT(MF_GRAYED), GetMenuState(main_dialog.menu(), IDM_OPEN, MF_BYCOMMAND) & MF_GRAYED);
        EXPECT_EQ(0u, GetMenuState(main_dialog.menu(), IDM_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
        EXPECT_EQ("left by the test", shown_status_text());
        EXPECT_EQ(ConnectionLight::open, connection_light.state);

        for (int round = 0; round < 2; ++round) {
            SendMessageA(main_dialog.status_bar(), SB_SETTEXTA, 0,
                         reinterpret_cast<LPARAM>("left by the test"));
            command(dialog, IDM_CLOSE);
            EXPECT_EQ(0, serial_channel.is_open) << "round " << round;
            EXPECT_EQ(ConnectionLight::closed, connection_light.state) << "round " << round;
            EXPECT_EQ("Port is closed", shown_status_text()) << "round " << round;
            EXPECT_EQ(0u, GetMenuState(main_dialog.menu(), IDM_OPEN, MF_BYCOMMAND) & MF_GRAYED);
            EXPECT_EQ(UINT(MF_GRAYED),
                      GetMenuState(main_dialog.menu(), IDM_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
        }
    });
}

TEST(MainWindowOptions, ClicksSetTheOptionsMarkTheSettingsAndRefocusTheField)
{
    struct Case {
        int button;
        int32_t upper, send_char;
    } cases[] = {
        {IDC_USE_UPPERCASE, 1, 0},
        {IDC_USE_UPPERCASE, 0, 0},
        {IDC_SEND_LF, 0, 1},
        {IDC_SEND_LF, 0, 1},  // the same value again still counts
        {IDC_SEND_CR, 0, 0},
    };
    run_main_window([&](HWND dialog) {
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            main_dialog.settings_changed = 0;
            SetFocus(GetDlgItem(dialog, IDC_RECEIVED_LIST));
            click(dialog, cases[i].button);
            EXPECT_EQ(cases[i].upper, main_dialog.settings().upper) << "case " << i;
            EXPECT_EQ(cases[i].send_char, main_dialog.settings().send_char) << "case " << i;
            EXPECT_EQ(1, main_dialog.settings_changed) << "case " << i;
            EXPECT_EQ(main_dialog.command_edit(), GetFocus()) << "case " << i;
        }
        // Other notifications of the same buttons do nothing.
        main_dialog.settings_changed = 0;
        command(dialog, IDC_SEND_LF, BN_SETFOCUS);
        command(dialog, IDC_USE_UPPERCASE, BN_DBLCLK);
        EXPECT_EQ(0, main_dialog.settings().send_char);
        EXPECT_EQ(0, main_dialog.settings_changed);
    });
}

TEST(MainWindowScale, MovedToAMonitorOfAnotherScaleItTakesTheSuggestedRectangle)
{
    struct Case {
        UINT dpi;
        RECT suggested;
    } cases[] = {{144, {40, 30, 900, 700}}, {96, {-1500, -300, -900, 160}}, {192, {0, 0, 1000, 740}}};
    run_main_window([&](HWND dialog) {
        ShowWindow(dialog, SW_SHOWNA);  // a hidden window has nothing to redraw
        MINMAXINFO at_96 = {};
        SendMessageA(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&at_96));
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            const Case& c = cases[i];
            RECT suggested = c.suggested;
            ValidateRect(dialog, nullptr);
            SendMessageA(dialog, 0x02E0 /* WM_DPICHANGED */, MAKEWPARAM(c.dpi, c.dpi),
                         reinterpret_cast<LPARAM>(&suggested));
            RECT now, update;
            GetWindowRect(dialog, &now);
            EXPECT_TRUE(EqualRect(&now, &c.suggested))
                << "case " << i << ": at " << now.left << "," << now.top << " to " << now.right
                << "," << now.bottom;
            EXPECT_TRUE(GetUpdateRect(dialog, &update, FALSE)) << "case " << i << ": no redraw";
            // The smallest size follows the scale.
            MINMAXINFO limits = {};
            SendMessageA(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
            EXPECT_NEAR(MulDiv(at_96.ptMinTrackSize.y, c.dpi, 96), limits.ptMinTrackSize.y, 2)
                << "case " << i;
            // Escapes and Hex sit side by side before the line-end buttons,
            // each with room for its box and its text in its own font.
            const int row[] = {IDC_ESCAPES, IDC_HEX, IDC_SEND_CR};
            RECT rects[3];
            for (int k = 0; k < 3; ++k)
                GetWindowRect(GetDlgItem(dialog, row[k]), &rects[k]);
            EXPECT_LE(rects[0].right, rects[1].left) << "case " << i;
            EXPECT_LE(rects[1].right, rects[2].left) << "case " << i;
            for (int k = 0; k < 2; ++k) {
                HWND box = GetDlgItem(dialog, row[k]);
                char text[16] = {};
                GetWindowTextA(box, text, sizeof text);
                HDC dc = GetDC(box);
                HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
                SIZE size = {};
                GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
                SelectObject(dc, old);
                ReleaseDC(box, dc);
                EXPECT_LE(size.cx + MulDiv(16, c.dpi, 96), rects[k].right - rects[k].left)
                    << "case " << i << ": " << text;
            }
        }
    });
}

TEST(MainWindowMenu, ClearOldCommandsEmptiesTheHistoryWithoutMarkingSettings)
{
    run_main_window([&](HWND dialog) {
        for (const char* old : {"ATZ", "ATI", "AT+CSQ"})
            SendMessageA(command_combo.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(old));
        type_text("ATD");
        main_dialog.settings_changed = 0;
        command(dialog, IDM_CLEAR_COMMANDS);
        EXPECT_TRUE(history(dialog).empty());
        EXPECT_EQ("", command_text(dialog));
        EXPECT_EQ(0, main_dialog.settings_changed);
    });
}

TEST(MainWindowMenu, CheckForUpdatesHandsTheProductPageToTheShell)
{
    clear_opened_log();
    run_main_window([&](HWND dialog) {
        command(dialog, IDM_CHECK_UPDATES);
        ASSERT_TRUE(wait_for_opened(1, 20000)) << "the shell opened nothing";
        EXPECT_NE(std::string::npos, opened_log().find(PRODUCT_PAGE_ADDRESS))
            << "opened: " << opened_log();
    });
    clear_opened_log();
}

INT_PTR CALLBACK quiet_dialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Every label of Capture options and Auto reply has an access key (the
// menus' keys are checked with the View menu); Port Setup opens a dialog.
TEST(MainWindowMenu, PortSetupAndTheNewDialogsHaveAccessKeys)
{
    HMENU menu = LoadMenuA(program_instance, MAKEINTRESOURCEA(IDM_MAIN));
    char text[128];
    GetMenuStringA(menu, IDM_PORT_SETUP, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ("Port &Setup...", text);
    DestroyMenu(menu);
    std::string without;
    for (int id : {IDD_CAPTURE_OPTIONS, IDD_AUTO_REPLY}) {
        HWND dialog = CreateDialogParamA(program_instance, MAKEINTRESOURCEA(id), nullptr, quiet_dialog, 0);
        // Check boxes, and the labels of edit fields.
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char kind[16] = {}, next[16] = {};
            GetClassNameA(c, kind, sizeof kind);
            GetClassNameA(GetWindow(c, GW_HWNDNEXT), next, sizeof next);
            bool box = (GetWindowLongPtrA(c, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
            bool labels = !lstrcmpiA(kind, "Static") && !lstrcmpiA(next, "Edit");
            if (((box && !lstrcmpiA(kind, "Button")) || labels) &&
                GetWindowTextA(c, text, sizeof text) && !strchr(text, '&'))
                without += std::string(text) + "; ";
        }
        DestroyWindow(dialog);
    }
    EXPECT_EQ("", without) << "items without an access key";
}

std::string field_seen;

void CALLBACK look_at_field(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    field_seen = command_text(main_dialog.hwnd);
}

TEST(MainWindowExit, EscapeTheCloseBoxAndExitEndTheWindowWithZero)
{
    struct Case {
        const char* way;
        const char* typed;  // in the command field first
        bool stays;         // the window stays, with the field emptied
    } cases[] = {
        {"Escape", "", false},
        {"Escape with a command typed", "AT+CSQ", true},
        {"close box", "AT", false},
        {"Exit", "AT", false},
    };
    DeviceClient device;
    use_modem_on_com1(device);
    for (const Case& c : cases) {
        std::string field;
        field_seen = "not looked at";
        MainWindowRun run = run_main_window([&](HWND dialog) {
            ASSERT_TRUE(wait_for_first_open_attempt(5000));
            ASSERT_EQ(1, serial_channel.is_open);
            SetWindowTextA(command_combo.hwnd, c.typed);
            if (c.way[0] == 'E' && c.way[1] == 's')
                PostMessageA(main_dialog.command_edit(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            else if (c.way[0] == 'c')
                PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                PostMessageA(dialog, WM_COMMAND, IDM_EXIT, 0);
            // The window's own loop handles the key; the field is looked at
            // from that loop too.
            SetTimer(nullptr, 0, 50, look_at_field);
        });
        field = field_seen;
        EXPECT_EQ(0, run.result) << c.way;
        EXPECT_EQ(c.stays, run.ended_by_driver) << c.way;
        EXPECT_FALSE(run.port_open_after) << c.way;
        if (c.stays)
            EXPECT_EQ("", field) << c.way;
    }
}

}  // namespace
