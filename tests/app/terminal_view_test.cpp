// The Terminal view in the real main window with the virtual device on
// COM1: keys typed in the screen reach the device at once, what the device
// draws is on the screen (as Copy shows it), its queries are answered, and
// the [Terminal] options are written only when they are not the defaults.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"
#include "settings/settings_file.h"
#include "tests/app/main_window_driver.h"
#include "tests/support/test_support.h"
#include "tests/support/text_helpers.h"

namespace {

// The clipboard's text as UTF-8.
std::string clipboard_text(HWND owner)
{
    std::string text;
    if (!OpenClipboard(owner))
        return text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (const wchar_t* wide_text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) {
        text = narrow(wide_text);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

std::vector<std::string> split_rows(const std::string& text)
{
    std::vector<std::string> rows;
    size_t at = 0;
    for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
        rows.push_back(text.substr(at, end - at));
    rows.push_back(text.substr(at));
    return rows;
}

HWND screen_of(HWND dialog)
{
    return GetDlgItem(dialog, IDC_TERMINAL);
}

// Shown by its own style: the dialog itself may not be on screen yet.
bool shown(HWND dialog, int id)
{
    return (GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

TEST(TerminalView, ChoosingTheViewGivesTheScreenTheFocusAndTurningBackShowsTheList)
{
    run_main_window([](HWND dialog) {
        HWND screen = screen_of(dialog);
        ASSERT_NE(nullptr, screen);
        EXPECT_FALSE(shown(dialog, IDC_TERMINAL));
        command(dialog, IDM_VIEW_TERMINAL);
        EXPECT_TRUE(shown(dialog, IDC_TERMINAL));
        EXPECT_FALSE(shown(dialog, IDC_RECEIVED_LIST));
        EXPECT_EQ(screen, GetFocus());
        // A click gives the focus back to the screen.
        SetFocus(main_dialog.command_edit());
        SendMessageW(screen, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(screen, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        EXPECT_EQ(screen, GetFocus());
        EXPECT_EQ(3, main_dialog.settings().view.view);
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED),
                  GetMenuState(main_dialog.menu(), IDM_VIEW_TERMINAL, MF_BYCOMMAND) & MF_CHECKED);
        command(dialog, IDM_VIEW_LINES);
        EXPECT_FALSE(shown(dialog, IDC_TERMINAL));
        EXPECT_TRUE(shown(dialog, IDC_RECEIVED_LIST));
        EXPECT_EQ(0u, GetMenuState(main_dialog.menu(), IDM_VIEW_TERMINAL, MF_BYCOMMAND) & MF_CHECKED);
    });
}

TEST(TerminalView, KeysTypedInTheScreenGoToTheDeviceAtOnce)
{
    struct Message {
        UINT msg;
        WPARAM wparam;
    };
    struct Case {
        std::vector<Message> messages;
        std::string bytes;
    } cases[] = {
        {{{WM_KEYDOWN, 'A'}}, "a"},
        {{{WM_KEYDOWN, VK_RETURN}}, "\r"},
        {{{WM_KEYDOWN, VK_BACK}}, "\x7f"},
        {{{WM_KEYDOWN, VK_TAB}}, "\t"},
        {{{WM_KEYDOWN, VK_ESCAPE}}, "\x1b"},
        {{{WM_KEYDOWN, VK_UP}}, "\x1b[A"},
        {{{WM_KEYDOWN, VK_LEFT}}, "\x1b[D"},
        {{{WM_KEYDOWN, VK_HOME}}, "\x1b[H"},
        {{{WM_KEYDOWN, VK_DELETE}}, "\x1b[3~"},
        {{{WM_KEYDOWN, VK_NEXT}}, "\x1b[6~"},
        {{{WM_KEYDOWN, VK_F1}}, "\x1bOP"},
        {{{WM_KEYDOWN, VK_F5}}, "\x1b[15~"},
        {{{WM_KEYDOWN, VK_F2}}, "reboot\r"},  // F2 has a macro
        {{{WM_CHAR, 0x03}}, "\x03"},
        {{{WM_CHAR, 0x00e9}}, "\xc3\xa9"},
        {{{WM_SYSCHAR, 'x'}}, "\x1bx"},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        lstrcpyA(main_dialog.settings().send.macros[1], "reboot");
        command(dialog, IDM_VIEW_TERMINAL);
        HWND screen = screen_of(dialog);
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            ASSERT_TRUE(device.clear(1));
            for (const Message& message : cases[i].messages)
                PostMessageW(screen, message.msg, message.wparam, 1);
            pump_as_the_dialog(dialog, 100);
            std::string seen = wait_for_received(device, cases[i].bytes.size(), 5000);
            pump_messages(50);
            seen = device.received(1);
            EXPECT_EQ(printable(cases[i].bytes), printable(seen)) << "case " << i;
            EXPECT_TRUE(IsWindow(dialog)) << "case " << i << ": the window closed";
            EXPECT_EQ(screen, GetFocus()) << "case " << i;
        }
        EXPECT_EQ("", command_text(dialog)) << "the keys went to the command field";
    });
}

TEST(TerminalView, WhatTheDeviceDrawsIsOnTheScreenAndItsQueriesAreAnswered)
{
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        command(dialog, IDM_VIEW_TERMINAL);
        ASSERT_TRUE(device.send_bytes(1, "noise\r\n\x1b[2J\x1b[5;10HXY\x1b[6n\x1b]0;board\x07"));
        EXPECT_EQ(printable("\x1b[5;12R"), printable(wait_for_received(device, 7, 5000)));
        command(dialog, IDM_COPY);
        std::vector<std::string> rows = split_rows(clipboard_text(dialog));
        ASSERT_GE(rows.size(), 5u);
        EXPECT_EQ("         XY", rows[4]);
        EXPECT_EQ("", rows[0]);
        wchar_t title[200] = {};
        GetWindowTextW(dialog, title, 200);
        EXPECT_EQ("Quorvex - COM1 - board", narrow(title));
        // The same bytes reached the list for the other views.
        command(dialog, IDM_VIEW_AS_RECEIVED);
        EXPECT_NE(std::string::npos, joined(list_lines(dialog), "", "").find("noise"));
    });
}

TEST(TerminalOptions, TheDialogTakesOptionsInRangeAndRefusesOthers)
{
    struct Case {
        const char* columns;
        const char* rows;
        const char* scrollback;
        const char* font;
        int enter;
        bool taken;
    } cases[] = {
        {"80", "24", "500", "12", 1, true},
        {"0", "0", "10000", "0", 2, true},
        {"80", "0", "10000", "0", 0, false},  // a fixed size needs both
        {"501", "24", "10000", "0", 0, false},
        {"80", "24", "100001", "0", 0, false},
        {"80", "24", "10000", "5", 0, false},
        {"", "24", "10000", "0", 0, false},
    };
    run_main_window([&](HWND dialog) {
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            main_dialog.settings().view.terminal = TerminalSettings{};
            main_dialog.settings_changed = 0;
            bool still_open = false;
            when_window_opens(WindowQuery{"#32770", "Terminal options", dialog}, [&](HWND box) {
                SetDlgItemTextA(box, IDC_TERMINAL_COLUMNS, cases[i].columns);
                SetDlgItemTextA(box, IDC_TERMINAL_ROWS, cases[i].rows);
                SetDlgItemTextA(box, IDC_TERMINAL_SCROLLBACK, cases[i].scrollback);
                SetDlgItemTextA(box, IDC_TERMINAL_FONT, cases[i].font);
                SendDlgItemMessageA(box, IDC_TERMINAL_ENTER, CB_SETCURSEL, cases[i].enter, 0);
                click(box, IDOK);
                still_open = IsWindow(box) && IsWindowVisible(box);
                if (still_open)
                    click(box, IDCANCEL);
            });
            command(dialog, IDM_TERMINAL_OPTIONS);
            EXPECT_TRUE(window_was_driven()) << "case " << i << ": no dialog";
            EXPECT_EQ(!cases[i].taken, still_open) << "case " << i;
            const TerminalSettings& taken = main_dialog.settings().view.terminal;
            EXPECT_EQ(cases[i].taken ? atoi(cases[i].columns) : 0, taken.columns) << "case " << i;
            EXPECT_EQ(cases[i].taken ? cases[i].enter : 0, taken.enter) << "case " << i;
            EXPECT_EQ(cases[i].taken ? 1 : 0, main_dialog.settings_changed) << "case " << i;
        }
    });
}

TEST(TerminalSettings, KeysAreWrittenOnlyWhenNotDefault)
{
    struct Case {
        TerminalSettings terminal;
        const char* section;  // "" for no section at all
    } cases[] = {
        {TerminalSettings{}, ""},
        {TerminalSettings{1, 0, 0, 0, 0, 10000, 0}, "[Terminal]\r\nEnter=CRLF\r\n"},
        {TerminalSettings{2, 1, 1, 0, 0, 10000, 0}, "[Terminal]\r\nEnter=LF\r\nBackspace=BS\r\nLocalEcho=1\r\n"},
        {TerminalSettings{0, 0, 0, 80, 24, 500, 12}, "[Terminal]\r\nColumns=80\r\nRows=24\r\nScrollback=500\r\nFontSize=12\r\n"},
    };
    std::string folder = make_temp_folder("terminal-settings");
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        Settings settings;
        settings.view.terminal = cases[i].terminal;
        IniWriter writer{40, 300};
        ASSERT_EQ(1, build_settings_text(writer, settings));
        std::string text(writer.buffer, writer.used);
        size_t at = text.find("[Terminal]");
        std::string section = at == std::string::npos ? "" : text.substr(at, text.find("\r\n[", at + 1) - at);
        if (section.size() >= 2 && section.substr(section.size() - 2) != "\r\n")
            section += "\r\n";
        EXPECT_EQ(cases[i].section, section) << "case " << i;
        // Read back, the options are as written.
        std::string path = folder + "case.ini";
        ASSERT_EQ(1, writer.write_to_file(wide(path).c_str()));
        Settings loaded;
        IniReader reader{40, 300};
        ASSERT_EQ(1, load_settings_file(reader, wide(path).c_str(), loaded));
        EXPECT_EQ(0, memcmp(&cases[i].terminal, &loaded.view.terminal, sizeof loaded.view.terminal)) << "case " << i;
    }
    remove_tree(folder);
}

}  // namespace
