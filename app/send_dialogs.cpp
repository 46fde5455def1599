// The Send options and Macros dialogs: both edit the send settings and share
// one small dialog procedure. Nothing changes unless OK finds every value
// valid.
#include "app/main_dialog.h"
#include "app/program_objects.h"
#include "framework/program_instance.h"
#include "resources/resource_ids.h"
#include "settings/send_settings.h"

namespace {

const struct {
    int id;
    int32_t SendSettings::*field;
    int32_t low, high;
} number_fields[] = {
    {IDC_CHAR_DELAY, &SendSettings::char_delay, 0, max_char_delay},
    {IDC_LINE_DELAY, &SendSettings::line_delay, 0, max_line_delay},
    {IDC_REPEAT_MS, &SendSettings::repeat_ms, min_repeat_ms, max_repeat_ms},
};

constexpr int macro_length = sizeof send_settings.macros[0] - 1;

// Which of the two is open; they are modal, so one at a time.
int open_template;

// Takes the numbers when all are in range; otherwise selects the first
// that is not and returns 0.
int take_numbers(HWND dialog)
{
    int32_t values[3];
    for (int i = 0; i < 3; ++i) {
        BOOL valid = FALSE;
        UINT value = GetDlgItemInt(dialog, number_fields[i].id, &valid, FALSE);
        if (!valid || value < static_cast<UINT>(number_fields[i].low) ||
            value > static_cast<UINT>(number_fields[i].high)) {
            // The dialog selects an edit field's text as it gives it the focus.
            SendMessageA(dialog, WM_NEXTDLGCTL,
                         reinterpret_cast<WPARAM>(GetDlgItem(dialog, number_fields[i].id)), TRUE);
            return 0;
        }
        values[i] = static_cast<int32_t>(value);
    }
    for (int i = 0; i < 3; ++i)
        send_settings.*number_fields[i].field = values[i];
    return 1;
}

// Puts the key texts in the Macros fields (WM_SETTEXT, which also sets
// their limit) or takes them back (WM_GETTEXT).
__attribute__((noinline)) void pass_macros(HWND dialog, UINT msg)
{
    for (int i = 0; i < 12; ++i) {
        if (msg == WM_SETTEXT)
            SendDlgItemMessageA(dialog, IDC_MACRO_F1 + i, EM_LIMITTEXT, macro_length, 0);
        // WM_SETTEXT ignores the length.
        SendDlgItemMessageA(dialog, IDC_MACRO_F1 + i, msg, macro_length + 1,
                            reinterpret_cast<LPARAM>(send_settings.macros[i]));
    }
}

INT_PTR CALLBACK send_dialog_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM)
{
    if (msg == WM_INITDIALOG) {
        if (open_template == IDD_MACROS)
            pass_macros(dialog, WM_SETTEXT);
        else
            for (const auto& number : number_fields)
                SetDlgItemInt(dialog, number.id, static_cast<UINT>(send_settings.*number.field),
                              FALSE);
        return TRUE;
    }
    if (msg != WM_COMMAND || (LOWORD(wparam) != IDOK && LOWORD(wparam) != IDCANCEL))
        return FALSE;
    int ok = LOWORD(wparam) == IDOK;
    if (ok && open_template == IDD_MACROS) {
        pass_macros(dialog, WM_GETTEXT);
    } else if (ok && !take_numbers(dialog)) {
        return TRUE;
    }
    EndDialog(dialog, ok);
    return TRUE;
}

}  // namespace

// Runs the Send options (IDD_SEND_OPTIONS) or Macros (IDD_MACROS) dialog;
// what OK takes is saved and applied at once.
void MainDialog::run_send_dialog(int template_id)
{
    open_template = template_id;
    if (DialogBoxParamA(program_instance, MAKEINTRESOURCEA(template_id), hwnd, send_dialog_proc,
                        0) == 1) {
        settings_changed = 1;
        apply_send_options();
    }
    refocus_command();
}
