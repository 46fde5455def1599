#include "serial/port_setup_dialog.h"
#include "resources/port_setup_ids.h"
#include "framework/radio_group.h"
#include "serial/center_window.h"
#include "serial/port_list.h"
#include "text/port_names.h"

namespace {

// One radio group of the dialog and the settings field it edits; a button's
// index within its group is the field's value.
struct RadioGroup {
    int first_id;
    int last_id;
    int32_t PortSettings::*field;
};

const RadioGroup radio_groups[] = {
    {IDC_PORT_COM1, IDC_PORT_COM4, &PortSettings::Comm},
    {IDC_SPEED_9600, IDC_SPEED_56000, &PortSettings::Speed},
    {IDC_PARITY_NONE, IDC_PARITY_EVEN, &PortSettings::Parity},
    {IDC_DATA_BITS_8, IDC_DATA_BITS_7, &PortSettings::ByteSize},
    {IDC_STOP_BITS_1, IDC_STOP_BITS_2, &PortSettings::StopBits},
    {IDC_FLOW_NONE, IDC_FLOW_XON_XOFF, &PortSettings::Flow},
};

// The rates of the four speed buttons.
const long button_rates[] = {9600, 19200, 38400, 57600};

// Checks "Other:" and clears the group's four buttons, or clears "Other:".
void check_other(HWND dialog, int other_id, int first_id, bool other)
{
    if (other)
        check_radio_index(dialog, first_id, first_id + 3, -1);
    CheckDlgButton(dialog, other_id, other ? BST_CHECKED : BST_UNCHECKED);
}

void show_number(HWND dialog, int id, const char* prefix, int32_t number)
{
    char text[24] = "";
    if (number > 0)
        wsprintfA(text, "%s%d", prefix, number);
    SetWindowTextA(GetDlgItem(dialog, id), text);
}

void show_other_choices(HWND dialog, const PortSettings& settings)
{
    fill_port_list(GetDlgItem(dialog, IDC_PORT_NAME));
    fill_rate_list(GetDlgItem(dialog, IDC_SPEED_VALUE));
    bool other_port = settings.Port >= 1 && settings.Port <= highest_port_number;
    bool other_rate = settings.Baud >= lowest_baud_rate && settings.Baud <= highest_baud_rate;
    show_number(dialog, IDC_PORT_NAME, "COM", other_port ? settings.Port : 0);
    show_number(dialog, IDC_SPEED_VALUE, "", other_rate ? settings.Baud : 0);
    check_other(dialog, IDC_PORT_OTHER, IDC_PORT_COM1, other_port);
    check_other(dialog, IDC_SPEED_OTHER, IDC_SPEED_9600, other_rate);
}

// Selects a refused field's text, with the system beep, and says why below
// the groups until the next typing.
int refuse(HWND dialog, int id)
{
    HWND field = GetDlgItem(dialog, id);
    SetFocus(field);
    SendMessageA(field, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    char reason[64];
    if (id == IDC_PORT_NAME)
        wsprintfA(reason, "Port must be a name from COM1 to COM%d", highest_port_number);
    else
        wsprintfA(reason, "Rate must be a whole number from %ld to %ld", lowest_baud_rate,
                  highest_baud_rate);
    SetDlgItemTextA(dialog, IDC_SETUP_REFUSAL, reason);
    MessageBeep(MB_OK);
    return 0;
}

// Reads "Other:" port and rate when they are chosen; 0, changing nothing,
// when a chosen field holds no port or no rate. A port or rate that one of
// the four buttons stands for becomes that button.
int read_other_choices(HWND dialog, PortSettings& settings)
{
    bool other_port = IsDlgButtonChecked(dialog, IDC_PORT_OTHER) == BST_CHECKED;
    bool other_rate = IsDlgButtonChecked(dialog, IDC_SPEED_OTHER) == BST_CHECKED;
    int port = other_port ? port_in_field(GetDlgItem(dialog, IDC_PORT_NAME)) : 0;
    if (other_port && !port)
        return refuse(dialog, IDC_PORT_NAME);
    // A text that fills the buffer is longer than any rate.
    char text[16] = "";
    bool fits = GetWindowTextA(GetDlgItem(dialog, IDC_SPEED_VALUE), text, sizeof text) <
                static_cast<int>(sizeof text) - 1;
    long rate = other_rate && fits ? parse_baud_rate(text) : 0;
    if (other_rate && !rate)
        return refuse(dialog, IDC_SPEED_VALUE);

    if (other_port) {
        settings.Port = port <= 4 ? 0 : port;
        if (port <= 4)
            settings.Comm = port - 1;
    } else {
        settings.Port = 0;
    }
    settings.Baud = 0;
    if (other_rate) {
        settings.Baud = static_cast<int32_t>(rate);
        for (int i = 0; i < 4; ++i)
            if (button_rates[i] == rate) {
                settings.Speed = i;
                settings.Baud = 0;
            }
    }
    return 1;
}

// Under RTS/CTS flow control RTS belongs to the handshake.
void show_rts_choice(HWND dialog)
{
    EnableWindow(GetDlgItem(dialog, IDC_RTS_ON),
                 IsDlgButtonChecked(dialog, IDC_FLOW_RTS_CTS) != BST_CHECKED);
}

// A value outside its group leaves the whole group unchecked, and OK then
// keeps the value.
void show_settings(HWND dialog, const PortSettings& settings)
{
    for (const RadioGroup& group : radio_groups)
        check_radio_index(dialog, group.first_id, group.last_id, settings.*group.field);
    CheckDlgButton(dialog, IDC_DTR_ON, settings.Dtr ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_RTS_ON, settings.Rts ? BST_CHECKED : BST_UNCHECKED);
    show_rts_choice(dialog);
}

// Where several buttons of a group are checked the highest id wins; a group
// with none checked keeps its field.
void read_settings(HWND dialog, PortSettings& settings)
{
    for (const RadioGroup& group : radio_groups)
        for (int id = group.first_id; id <= group.last_id; ++id)
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
                settings.*group.field = id - group.first_id;
    settings.Dtr = IsDlgButtonChecked(dialog, IDC_DTR_ON) == BST_CHECKED;
    settings.Rts = IsDlgButtonChecked(dialog, IDC_RTS_ON) == BST_CHECKED;
}

}  // namespace

INT_PTR PortSetupDialog::dialog_message(UINT msg, WPARAM wparam, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        show_settings(hwnd, settings);
        show_other_choices(hwnd, settings);
        changed = 0;
        center_window(hwnd);
        return 1;  // let the dialog manager set the default focus
    }
    if (msg != WM_COMMAND)
        return 0;
    switch (LOWORD(wparam)) {
    case IDC_PORT_NAME:
    case IDC_SPEED_VALUE:
        // Picking or typing in a field chooses its "Other:" button, which
        // comes right before it.
        if (HIWORD(wparam) == CBN_SELCHANGE || HIWORD(wparam) == CBN_EDITCHANGE) {
            check_other(hwnd, LOWORD(wparam) - 1,
                        LOWORD(wparam) == IDC_PORT_NAME ? IDC_PORT_COM1 : IDC_SPEED_9600, true);
            SetDlgItemTextA(hwnd, IDC_SETUP_REFUSAL, "");
        }
        return 0;
    case IDC_FLOW_NONE:
    case IDC_FLOW_RTS_CTS:
    case IDC_FLOW_XON_XOFF:
        show_rts_choice(hwnd);
        return 0;
    case IDOK:
        if (!read_other_choices(hwnd, settings))
            return 1;
        read_settings(hwnd, settings);
        changed = 1;
        EndDialog(hwnd, 1);
        return 1;
    case IDCANCEL:
        EndDialog(hwnd, 0);
        return 1;
    default:
        return 0;
    }
}
