#include "serial/port_setup_dialog.h"
#include "resources/port_setup_ids.h"
#include "framework/radio_group.h"
#include "serial/center_window.h"

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
};

// A value outside its group leaves the whole group unchecked, and OK then
// keeps the value.
void show_settings(HWND dialog, const PortSettings& settings)
{
    for (const RadioGroup& group : radio_groups)
        check_radio_index(dialog, group.first_id, group.last_id, settings.*group.field);
}

// Where several buttons of a group are checked the highest id wins; a group
// with none checked keeps its field.
void read_settings(HWND dialog, PortSettings& settings)
{
    for (const RadioGroup& group : radio_groups)
        for (int id = group.first_id; id <= group.last_id; ++id)
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED)
                settings.*group.field = id - group.first_id;
}

}  // namespace

INT_PTR PortSetupDialog::dialog_message(UINT msg, WPARAM wparam, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        show_settings(hwnd, settings);
        changed = 0;
        center_window(hwnd);
        return 1;  // let the dialog manager set the default focus
    }
    if (msg != WM_COMMAND)
        return 0;
    switch (LOWORD(wparam)) {
    case IDOK:
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
