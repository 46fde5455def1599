// The Select Port dialog: its template, the radio groups shown from the
// settings, OK reading them back and Cancel discarding every click.
#include <gtest/gtest.h>
#include <string>
#include "app/program_objects.h"
#include "resources/port_setup_ids.h"
#include "resources/resource_ids.h"
#include "tests/serial/select_port_driver.h"

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

PortSettings settings_of(int32_t comm, int32_t speed, int32_t parity, int32_t byte_size,
                         int32_t stop_bits)
{
    PortSettings s;
    s.Comm = comm;
    s.Speed = speed;
    s.Parity = parity;
    s.ByteSize = byte_size;
    s.StopBits = stop_bits;
    return s;
}

std::string describe(const PortSettings& s)
{
    return std::to_string(s.Comm) + "," + std::to_string(s.Speed) + "," +
           std::to_string(s.Parity) + "," + std::to_string(s.ByteSize) + "," +
           std::to_string(s.StopBits);
}

// Runs the dialog on `start`; `act` sees it while it is up and ends it.
INT_PTR run_select_port(const PortSettings& start, const std::function<void(HWND)>& act)
{
    port_setup_dialog.settings = start;
    port_setup_dialog.changed = 7;
    when_select_port_opens(act);
    INT_PTR result = port_setup_dialog.run_modal(nullptr, IDD_SELECT_PORT);
    EXPECT_TRUE(select_port_was_driven()) << "the dialog never came up";
    return result;
}

void click(HWND dialog, int id)
{
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
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

TEST(SelectPort, ShowsEachGroupFromTheSettings)
{
    const PortSettings starts[] = {
        settings_of(0, 0, 0, 0, 0),
        settings_of(2, 3, 0, 0, 0),
        settings_of(3, 1, 2, 1, 2),
        settings_of(1, 2, 1, 0, 1),
    };
    for (const PortSettings& start : starts) {
        run_select_port(start, [&](HWND dialog) {
            for (const Group& g : groups)
                EXPECT_EQ(std::to_string(start.*g.field), checked_in(dialog, g))
                    << "settings " << describe(start) << ", group " << g.name;
            click(dialog, IDCANCEL);
        });
    }
}

TEST(SelectPort, OkWithoutChangeKeepsTheSettings)
{
    PortSettings start = settings_of(2, 3, 1, 1, 2);
    INT_PTR result = run_select_port(start, [&](HWND dialog) {
        EXPECT_EQ(0, port_setup_dialog.changed);
        click(dialog, IDOK);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ(describe(start), describe(port_setup_dialog.settings));
    EXPECT_EQ(1, port_setup_dialog.changed);
}

TEST(SelectPort, OkReadsBackThePicksOfEveryGroup)
{
    INT_PTR result = run_select_port(PortSettings{}, [&](HWND dialog) {
        for (int id : {IDC_PORT_COM4, IDC_SPEED_38000, IDC_PARITY_EVEN, IDC_DATA_BITS_7,
                       IDC_STOP_BITS_1_5})
            click(dialog, id);
        // A pick in one group leaves the others as they were.
        EXPECT_EQ("3", checked_in(dialog, groups[0]));
        EXPECT_EQ("2", checked_in(dialog, groups[1]));
        click(dialog, IDOK);
    });
    EXPECT_EQ(1, result);
    EXPECT_EQ("3,2,2,1,1", describe(port_setup_dialog.settings));
}

TEST(SelectPort, CancelDiscardsEveryClick)
{
    PortSettings start = settings_of(1, 0, 0, 0, 0);
    INT_PTR result = run_select_port(start, [&](HWND dialog) {
        click(dialog, IDC_PORT_COM4);
        click(dialog, IDC_SPEED_56000);
        EXPECT_TRUE(is_checked(dialog, IDC_PORT_COM4));
        click(dialog, IDCANCEL);
    });
    EXPECT_EQ(0, result);
    EXPECT_EQ(describe(start), describe(port_setup_dialog.settings));
    EXPECT_EQ(0, port_setup_dialog.changed);
}

TEST(SelectPort, OutOfRangeValueLeavesItsGroupUncheckedAndSurvivesOk)
{
    struct Case {
        PortSettings start;
        int group;  // index into groups
        int other_pick;  // a button of another group clicked before OK
        const char* after_ok;
    } cases[] = {
        {settings_of(5, 0, 0, 0, 0), 0, IDC_SPEED_19200, "5,1,0,0,0"},
        {settings_of(-1, 0, 0, 0, 0), 0, IDC_PARITY_ODD, "-1,0,1,0,0"},
        {settings_of(0, 4, 0, 0, 0), 1, IDC_PORT_COM2, "1,4,0,0,0"},
        {settings_of(0, 0, 3, 0, 0), 2, IDC_STOP_BITS_2, "0,0,3,0,2"},
        {settings_of(0, 0, 0, 2, 0), 3, IDC_PORT_COM1, "0,0,0,2,0"},
        {settings_of(0, 0, 0, 0, 7), 4, IDC_DATA_BITS_7, "0,0,0,1,7"},
        {settings_of(INT32_MAX, 0, 0, 0, 0), 0, IDC_SPEED_19200, "2147483647,1,0,0,0"},
        {settings_of(0, 0, 0, 0, INT32_MIN), 4, IDC_PORT_COM3, "2,0,0,0,-2147483648"},
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

}  // namespace
