#include "app/terminal_options_dialog.h"
#include <cstring>
#include "framework/dialog_base.h"
#include "resources/resource_ids.h"

namespace {

// Each number field, its range and where it goes.
const struct {
    int id;
    UINT low;
    UINT high;
    int32_t TerminalSettings::*field;
} number_fields[] = {
    {IDC_TERMINAL_COLUMNS, 0, terminal_size_max, &TerminalSettings::columns},
    {IDC_TERMINAL_ROWS, 0, terminal_size_max, &TerminalSettings::rows},
    {IDC_TERMINAL_SCROLLBACK, 0, terminal_scrollback_max, &TerminalSettings::scrollback},
    {IDC_TERMINAL_FONT, 0, terminal_font_max, &TerminalSettings::font_size},
};

class TerminalOptionsDialog : public DialogBase {
public:
    explicit TerminalOptionsDialog(TerminalSettings& terminal) : terminal_(terminal) {}

    int on_init_dialog() override
    {
        HWND enter = GetDlgItem(hwnd, IDC_TERMINAL_ENTER);
        static const char* const enter_names[] = {"CR", "CR LF", "LF"};
        for (const char* name : enter_names)
            SendMessageA(enter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageA(enter, CB_SETCURSEL, static_cast<WPARAM>(terminal_.enter), 0);
        HWND backspace = GetDlgItem(hwnd, IDC_TERMINAL_BS);
        static const char* const backspace_names[] = {"DEL (0x7F)", "BS (0x08)"};
        for (const char* name : backspace_names)
            SendMessageA(backspace, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageA(backspace, CB_SETCURSEL, static_cast<WPARAM>(terminal_.backspace_bs), 0);
        CheckDlgButton(hwnd, IDC_TERMINAL_ECHO, terminal_.local_echo ? BST_CHECKED : BST_UNCHECKED);
        for (const auto& field : number_fields)
            SetDlgItemInt(hwnd, field.id, static_cast<UINT>(terminal_.*field.field), FALSE);
        return 1;
    }

    void on_command(WPARAM wparam, LPARAM) override
    {
        if (LOWORD(wparam) == IDCANCEL)
            EndDialog(hwnd, 0);
        else if (LOWORD(wparam) == IDOK && take_options())
            EndDialog(hwnd, 1);
    }

private:
    int refuse(int id)
    {
        MessageBeep(MB_ICONEXCLAMATION);
        SendMessageA(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwnd, id)), TRUE);
        return 0;
    }

    int take_options()
    {
        TerminalSettings taken = terminal_;
        for (const auto& field : number_fields) {
            BOOL valid = FALSE;
            UINT value = GetDlgItemInt(hwnd, field.id, &valid, FALSE);
            if (!valid || value < field.low || value > field.high)
                return refuse(field.id);
            taken.*field.field = static_cast<int32_t>(value);
        }
        // A fixed size needs both, and at least two columns; a font size
        // other than 0 has a floor.
        if ((taken.columns == 0) != (taken.rows == 0) || taken.columns == 1)
            return refuse(IDC_TERMINAL_COLUMNS);
        if (taken.font_size != 0 && taken.font_size < terminal_font_min)
            return refuse(IDC_TERMINAL_FONT);
        LRESULT enter = SendDlgItemMessageA(hwnd, IDC_TERMINAL_ENTER, CB_GETCURSEL, 0, 0);
        taken.enter = enter >= 0 && enter < 3 ? static_cast<int32_t>(enter) : 0;
        taken.backspace_bs = SendDlgItemMessageA(hwnd, IDC_TERMINAL_BS, CB_GETCURSEL, 0, 0) == 1 ? 1 : 0;
        taken.local_echo = IsDlgButtonChecked(hwnd, IDC_TERMINAL_ECHO) == BST_CHECKED ? 1 : 0;
        terminal_ = taken;
        return 1;
    }

    TerminalSettings& terminal_;
};

}  // namespace

int run_terminal_options_dialog(HWND owner, TerminalSettings& terminal)
{
    TerminalSettings before = terminal;
    TerminalOptionsDialog dialog(terminal);
    return dialog.run_modal(owner, IDD_TERMINAL_OPTIONS) == 1 && memcmp(&before, &terminal, sizeof before) != 0;
}
