// The Select Port dialog: its template, the radio groups shown from the
// settings, OK reading them back and Cancel discarding every click.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "app/program_objects.h"
#include "resources/port_setup_ids.h"
#include "resources/resource_ids.h"
#include "tests/serial/select_port_driver.h"
#include "tests/support/test_support.h"

namespace {

struct Group {
    const char* name;
    int first_id, last_id;
    int32_t PortSettings::*field;
};
const Group groups[] = {
    {"Comm", IDC_PORT_COM1, IDC_PORT_COM4, &PortSettings::Comm},
    {"Speed", IDC_SPEED_9600, IDC_SPEED_56000, &PortSettings::Speed},
    {"Parity", IDC_PARITY_NONE, IDC_PARITY_EVEN, &PortSettings::Parity},
    {"ByteSize", IDC_DATA_BITS_8, IDC_DATA_BITS_7, &PortSettings::ByteSize},
    {"StopBits", IDC_STOP_BITS_1, IDC_STOP_BITS_2, &PortSettings::StopBits},
};

// The checked buttons of a group as their indices, e.g. "2" or "" for none.
std::string checked_in(HWND dialog, const Group& group)
{
    std::string checked;
    for (int id = group.first_id; id <= group.last_id; ++id)
        if (is_checked(dialog, id))
            checked += std::to_string(id - group.first_id);
    return checked;
}

// Runs the dialog on `start`; `act` sees it while it is up and ends it.
INT_PTR run_select_port(const PortSettings& start, const std::function<void(HWND)>& act)
{
    port_setup_dialog.settings = start;
    port_setup_dialog.changed = 7;
    when_select_port_opens(act);
    INT_PTR result = port_setup_dialog.run_modal(nullptr, IDD_SELECT_PORT);
    EXPECT_NE(-1, result) << "run_select_port: the dialog could not be created";
    EXPECT_TRUE(select_port_was_driven())
        << "run_select_port: the dialog never came up or its act did not run to its end";
    return result;
}

TEST(SelectPortTemplate, HasTheCaptionControlsAndBoldFont)
{
    struct Control {
        int id;
        const char* text;
    } controls[] = {
        {IDOK, "OK"}, {IDCANCEL, "Cancel"},
        {IDC_PORT_COM1, "Com 1"}, {IDC_PORT_COM2, "Com 2"}, {IDC_PORT_COM3, "Com 3"},
        {IDC_PORT_COM4, "Com 4"}, {IDC_SPEED_9600, "9600"}, {IDC_SPEED_19200, "19200"},
        {IDC_SPEED_38000, "38000"}, {IDC_SPEED_56000, "56000"}, {IDC_PARITY_NONE, "None"},
        {IDC_PARITY_ODD, "Odd"}, {IDC_PARITY_EVEN, "Even"}, {IDC_DATA_BITS_8, "8"},
        {IDC_DATA_BITS_7, "7"}, {IDC_STOP_BITS_1, "1"}, {IDC_STOP_BITS_1_5, "1.5"},
        {IDC_STOP_BITS_2, "2"},
    };
    run_select_port(PortSettings{}, [&](HWND dialog) {
        char text[64] = {};
        GetWindowTextA(dialog, text, sizeof text);
        EXPECT_STREQ("Select Port", text);
        for (const Control& c : controls) {
            GetDlgItemTextA(dialog, c.id, text, sizeof text);
            EXPECT_STREQ(c.text, text) << "control " << c.id;
        }
        // Each group starts at its first button; the arrow keys stay inside it.
        const LONG_PTR radio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
        for (const Group& g : groups)
            for (int id = g.first_id; id <= g.last_id; ++id)
                EXPECT_EQ(id == g.first_id ? radio | WS_GROUP | WS_TABSTOP : radio,
                          GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE) & 0xffff000f)
                    << g.name << ": style of button " << id;
        for (int id : {IDOK, IDCANCEL})
            EXPECT_EQ(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                      GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE) & 0xffff000f)
                << "button " << id;
        const LONG_PTR dialog_style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
                                      DS_MODALFRAME | DS_SETFONT | DS_3DLOOK;
        EXPECT_EQ(dialog_style, GetWindowLongPtrA(dialog, GWL_STYLE) & dialog_style);
        LOGFONTA font = {};
        HFONT used = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
        ASSERT_NE(nullptr, used);
        GetObjectA(used, sizeof font, &font);
        EXPECT_EQ(700, font.lfWeight);
        EXPECT_STREQ("MS Shell Dlg 2", font.lfFaceName);
        click(dialog, IDCANCEL);
    });
}

// Each row: the settings the dialog starts from (each group shows its
// value), the buttons clicked (each stays checked: a pick in one group
// leaves the others), the button that ends it, and the settings after.
TEST(SelectPort, ShowsTheSettingsOkReadsBackThePicksCancelDiscardsThem)
{
    struct Case {
        PortSettings start;
        std::vector<int> clicks;
        int end;
        const char* after;  // null: as they started
    } cases[] = {
        {port_settings(0, 0, 0, 0, 0),
         {IDC_PORT_COM4, IDC_SPEED_38000, IDC_PARITY_EVEN, IDC_DATA_BITS_7, IDC_STOP_BITS_1_5},
         IDOK, "3,2,2,1,1 port 0 baud 0 flow 0"},
        {port_settings(2, 3, 1, 1, 2), {}, IDOK, nullptr},
        {port_settings(1, 2, 1, 0, 1), {IDC_PORT_COM4, IDC_SPEED_56000}, IDCANCEL, nullptr},
        {port_settings(3, 1, 2, 1, 2), {}, IDCANCEL, nullptr},
        {port_settings(2, 3, 0, 0, 0), {}, IDCANCEL, nullptr},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        INT_PTR result = run_select_port(c.start, [&](HWND dialog) {
            EXPECT_EQ(0, port_setup_dialog.changed) << "case " << i;
            for (const Group& g : groups)
                EXPECT_EQ(std::to_string(c.start.*g.field), checked_in(dialog, g))
                    << "case " << i << ": " << describe(c.start) << ", group " << g.name;
            for (int id : c.clicks)
                click(dialog, id);
            for (int id : c.clicks)
                EXPECT_TRUE(is_checked(dialog, id)) << "case " << i << ": button " << id;
            click(dialog, c.end);
        });
        EXPECT_EQ(c.end == IDOK ? 1 : 0, result) << "case " << i;
        EXPECT_EQ(c.after ? c.after : describe(c.start), describe(port_setup_dialog.settings))
            << "case " << i;
        EXPECT_EQ(c.end == IDOK ? 1 : 0, port_setup_dialog.changed) << "case " << i;
    }
}

TEST(SelectPort, OutOfRangeValueLeavesItsGroupUncheckedAndSurvivesOk)
{
    struct Case {
        PortSettings start;
        int group;  // index into groups
        int other_pick;  // a button of another group clicked before OK
        const char* after_ok;
    } cases[] = {
        {port_settings(5, 0, 0, 0, 0), 0, IDC_SPEED_19200, "5,1,0,0,0 port 0 baud 0 flow 0"},
        {port_settings(-1, 0, 0, 0, 0), 0, IDC_PARITY_ODD, "-1,0,1,0,0 port 0 baud 0 flow 0"},
        {port_settings(0, 4, 0, 0, 0), 1, IDC_PORT_COM2, "1,4,0,0,0 port 0 baud 0 flow 0"},
        {port_settings(0, 0, 3, 0, 0), 2, IDC_STOP_BITS_2, "0,0,3,0,2 port 0 baud 0 flow 0"},
        {port_settings(0, 0, 0, 2, 0), 3, IDC_PORT_COM1, "0,0,0,2,0 port 0 baud 0 flow 0"},
        {port_settings(0, 0, 0, 0, 7), 4, IDC_DATA_BITS_7, "0,0,0,1,7 port 0 baud 0 flow 0"},
        {port_settings(INT32_MAX, 0, 0, 0, 0), 0, IDC_SPEED_19200,
         "2147483647,1,0,0,0 port 0 baud 0 flow 0"},
        {port_settings(0, 0, 0, 0, INT32_MIN), 4, IDC_PORT_COM3,
         "2,0,0,0,-2147483648 port 0 baud 0 flow 0"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        run_select_port(c.start, [&](HWND dialog) {
            EXPECT_EQ("", checked_in(dialog, groups[c.group]))
                << "case " << i << ": group " << groups[c.group].name;
            // The stray value must not check a button of any other group.
            for (int g = 0; g < 5; ++g)
                if (g != c.group)
                    EXPECT_EQ(1u, checked_in(dialog, groups[g]).size())
                        << "case " << i << ": group " << groups[g].name;
            click(dialog, c.other_pick);
            click(dialog, IDOK);
        });
        EXPECT_EQ(c.after_ok, describe(port_setup_dialog.settings)) << "case " << i;
    }
}

// Text in a drop-down field as typing leaves it, with the notification.
void type_into(HWND dialog, int id, const char* text)
{
    SetDlgItemTextA(dialog, id, text);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string field_text(HWND dialog, int id)
{
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

TEST(SelectPort, OtherPortRateAndFlowControl)
{
    PortSettings other = port_settings(1, 2, 0, 0, 0);
    other.Port = 12;
    other.Baud = 230400;
    struct Case {
        PortSettings start;
        const char* port_field;  // "list COM12" picks the listed entry
        const char* rate_field;
        int click;               // a button clicked before OK, or 0
        const char* shown_port;  // the fields as the dialog shows them at first
        const char* shown_rate;
        const char* after_ok;
    } cases[] = {
        {port_settings(0, 0, 0, 0, 0), "list COM12", nullptr, IDC_FLOW_XON_XOFF, "", "",
         "0,0,0,0,0 port 12 baud 0 flow 2"},
        {port_settings(0, 0, 0, 0, 0), "com12", "921600", IDC_FLOW_RTS_CTS, "", "",
         "0,0,0,0,0 port 12 baud 921600 flow 1"},
        {port_settings(0, 0, 0, 0, 0), "COM3", "57600", 0, "", "", "2,3,0,0,0 port 0 baud 0 flow 0"},
        {other, nullptr, nullptr, IDC_PORT_COM2, "COM12", "230400",
         "1,2,0,0,0 port 0 baud 230400 flow 0"},
        {other, nullptr, nullptr, IDC_SPEED_9600, "COM12", "230400",
         "1,0,0,0,0 port 12 baud 0 flow 0"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        INT_PTR result = run_select_port(c.start, [&](HWND dialog) {
            EXPECT_EQ(c.shown_port, field_text(dialog, IDC_PORT_NAME)) << "case " << i;
            EXPECT_EQ(c.shown_rate, field_text(dialog, IDC_SPEED_VALUE)) << "case " << i;
            EXPECT_EQ(c.start.Port != 0, is_checked(dialog, IDC_PORT_OTHER)) << "case " << i;
            EXPECT_EQ(c.start.Baud != 0, is_checked(dialog, IDC_SPEED_OTHER)) << "case " << i;
            HWND ports = GetDlgItem(dialog, IDC_PORT_NAME);
            if (c.port_field && strcmp(c.port_field, "list COM12") == 0) {
                LRESULT index = SendMessageA(ports, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>("COM12"));
                ASSERT_NE(CB_ERR, index) << "case " << i << ": COM12 is not listed";
                SendMessageA(ports, CB_SETCURSEL, index, 0);
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PORT_NAME, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(ports));
            } else if (c.port_field) {
                type_into(dialog, IDC_PORT_NAME, c.port_field);
            }
            if (c.rate_field)
                type_into(dialog, IDC_SPEED_VALUE, c.rate_field);
            if (c.click)
                click(dialog, c.click);
            click(dialog, IDOK);
            if (!port_setup_dialog.changed)
                click(dialog, IDCANCEL);
        });
        EXPECT_EQ(1, result) << "case " << i;
        EXPECT_EQ(c.after_ok, describe(port_setup_dialog.settings)) << "case " << i;
    }
}

TEST(SelectPort, RefusedPortNamesAndRatesKeepTheDialogOpen)
{
    // Which texts are names and rates is the text module's test; here, what
    // a refusal looks like.
    const std::string long_text(300, '9');
    const char* port_reason = "Port must be a name from COM1 to COM256";
    const char* rate_reason = "Rate must be a whole number from 50 to 4000000";
    struct Case {
        int field;
        const char* text;
        const char* reason;  // the line the dialog shows
    } cases[] = {
        {IDC_PORT_NAME, "COM257", port_reason}, {IDC_PORT_NAME, "COM1:", port_reason},
        {IDC_PORT_NAME, "", port_reason}, {IDC_PORT_NAME, long_text.c_str(), port_reason},
        {IDC_SPEED_VALUE, "115200x", rate_reason}, {IDC_SPEED_VALUE, "5000000", rate_reason},
        {IDC_SPEED_VALUE, "49", rate_reason}, {IDC_SPEED_VALUE, "", rate_reason},
        {IDC_SPEED_VALUE, long_text.c_str(), rate_reason},
    };
    PortSettings start = port_settings(2, 1, 1, 0, 0);
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        INT_PTR result = run_select_port(start, [&](HWND dialog) {
            // The other field holds a valid choice, so only this one is refused.
            type_into(dialog, IDC_PORT_NAME, "COM12");
            type_into(dialog, IDC_SPEED_VALUE, "921600");
            type_into(dialog, c.field, c.text);
            if (!c.text[0])  // an empty text sends no notification when typed
                click(dialog, c.field == IDC_PORT_NAME ? IDC_PORT_OTHER : IDC_SPEED_OTHER);
            click(dialog, IDC_PARITY_EVEN);
            click(dialog, IDOK);
            EXPECT_EQ(0, port_setup_dialog.changed) << "case " << i << ": OK closed the dialog";
            HWND field = GetDlgItem(dialog, c.field);
            EXPECT_TRUE(GetFocus() == field || IsChild(field, GetFocus()))
                << "case " << i << ": the refused field has no focus";
            DWORD end = 0;
            SendMessageA(field, CB_GETEDITSEL, 0, reinterpret_cast<LPARAM>(&end));
            EXPECT_EQ(static_cast<DWORD>(GetWindowTextLengthA(field)), end) << "case " << i;
            char reason[128] = {};
            GetDlgItemTextA(dialog, IDC_SETUP_REFUSAL, reason, sizeof reason);
            EXPECT_STREQ(c.reason, reason) << "case " << i;
            // Typing again takes the reason away.
            type_into(dialog, c.field, c.field == IDC_PORT_NAME ? "COM3" : "300");
            GetDlgItemTextA(dialog, IDC_SETUP_REFUSAL, reason, sizeof reason);
            EXPECT_STREQ("", reason) << "case " << i << ": after typing";
            click(dialog, IDCANCEL);
        });
        EXPECT_EQ(0, result) << "case " << i;
        EXPECT_EQ(describe(start), describe(port_setup_dialog.settings))
            << "case " << i << ": " << c.text;
    }
}

}  // namespace
