#include "app/view_dialogs.h"
#include "framework/dialog_base.h"
#include "resources/resource_ids.h"

namespace {

// A field's text as UTF-8 in `out` (`size` bytes), cut before a character
// that would not fit whole.
void take_text(HWND dialog, int id, char* out, int size)
{
    wchar_t wide[256];
    GetDlgItemTextW(dialog, id, wide, sizeof wide / sizeof wide[0]);
    char bytes[256 * 3 + 1];
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, bytes, sizeof bytes, nullptr, nullptr);
    length = length > 0 ? length - 1 : 0;
    if (length > size - 1) {
        length = size - 1;
        while (length > 0 && (static_cast<unsigned char>(bytes[length]) & 0xC0) == 0x80)
            --length;
    }
    bytes[length] = '\0';
    lstrcpynA(out, bytes, size);
}

void show_text(HWND dialog, int id, const char* text, int size)
{
    wchar_t wide[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, sizeof wide / sizeof wide[0]);
    SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, static_cast<WPARAM>(size - 1), 0);
    SetDlgItemTextW(dialog, id, wide);
}

class FilterDialog : public DialogBase {
public:
    explicit FilterDialog(char (&filter)[filter_text_size]) : filter_(filter) {}

    int on_init_dialog() override
    {
        show_text(hwnd, IDC_FILTER_TEXT, filter_, filter_text_size);
        return 1;
    }

    void on_command(WPARAM wparam, LPARAM) override
    {
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(hwnd, 0);
        } else if (LOWORD(wparam) == IDOK) {
            take_text(hwnd, IDC_FILTER_TEXT, filter_, filter_text_size);
            EndDialog(hwnd, 1);
        }
    }

private:
    char (&filter_)[filter_text_size];
};

class HighlightDialog : public DialogBase {
public:
    explicit HighlightDialog(HighlightRule (&rules)[highlight_rule_count]) : rules_(rules) {}

    int on_init_dialog() override
    {
        for (int i = 0; i < highlight_rule_count; ++i) {
            for (const char* name : highlight_colour_names)
                SendDlgItemMessageA(hwnd, IDC_HIGHLIGHT_COLOUR1 + i, CB_ADDSTRING, 0,
                                    reinterpret_cast<LPARAM>(name));
            int colour = rules_[i].text[0] ? rules_[i].colour : i;
            SendDlgItemMessageA(hwnd, IDC_HIGHLIGHT_COLOUR1 + i, CB_SETCURSEL,
                                static_cast<WPARAM>(colour & (highlight_colour_count - 1)), 0);
            show_text(hwnd, IDC_HIGHLIGHT_TEXT1 + i, rules_[i].text, highlight_text_size);
        }
        return 1;
    }

    void on_command(WPARAM wparam, LPARAM) override
    {
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(hwnd, 0);
        } else if (LOWORD(wparam) == IDOK) {
            for (int i = 0; i < highlight_rule_count; ++i) {
                LRESULT colour = SendDlgItemMessageA(hwnd, IDC_HIGHLIGHT_COLOUR1 + i, CB_GETCURSEL, 0, 0);
                rules_[i].colour = colour >= 0 && colour < highlight_colour_count
                                       ? static_cast<int32_t>(colour) : 0;
                take_text(hwnd, IDC_HIGHLIGHT_TEXT1 + i, rules_[i].text, highlight_text_size);
            }
            EndDialog(hwnd, 1);
        }
    }

private:
    HighlightRule (&rules_)[highlight_rule_count];
};

}  // namespace

int run_filter_dialog_for(HWND owner, char (&filter)[filter_text_size])
{
    FilterDialog dialog(filter);
    return dialog.run_modal(owner, IDD_FILTER) == 1;
}

int run_highlight_dialog_for(HWND owner, HighlightRule (&rules)[highlight_rule_count])
{
    HighlightDialog dialog(rules);
    return dialog.run_modal(owner, IDD_HIGHLIGHT) == 1;
}
