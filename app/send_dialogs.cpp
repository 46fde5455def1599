#include "app/send_dialogs.h"
#include <commctrl.h>
#include "framework/dialog_base.h"
#include "resources/resource_ids.h"
#include "text/auto_reply.h"
#include "text/byte_count.h"
#include "text/escapes.h"
#include "text/frame.h"

namespace {

// Selects the field and shows `text` in a tip at it, which goes away with
// the next key; the dialog stays usable meanwhile.
void refuse_field(HWND dialog, int id, const wchar_t* text)
{
    // The dialog selects an edit field's text as it gives it the focus.
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
    EDITBALLOONTIP tip = {};
    tip.cbStruct = sizeof tip;
    tip.pszTitle = L"";
    tip.pszText = text;
    tip.ttiIcon = TTI_NONE;
    MessageBeep(MB_ICONEXCLAMATION);
    SendDlgItemMessageW(dialog, id, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip));
}

const struct {
    int id;
    int32_t SendSettings::*field;
    int32_t low, high;
    const char* name;
} number_fields[] = {
    {IDC_CHAR_DELAY, &SendSettings::char_delay, 0, max_char_delay, "Character delay"},
    {IDC_LINE_DELAY, &SendSettings::line_delay, 0, max_line_delay, "Line delay"},
    {IDC_REPEAT_MS, &SendSettings::repeat_ms, min_repeat_ms, max_repeat_ms, "Repeat every"},
};

class SendOptionsDialog : public DialogBase {
public:
    explicit SendOptionsDialog(SendSettings& send) : send_(send) {}

    int on_init_dialog() override
    {
        for (const auto& number : number_fields)
            SetDlgItemInt(hwnd, number.id, static_cast<UINT>(send_.*number.field), FALSE);
        return 1;
    }

    void on_command(WPARAM wparam, LPARAM) override
    {
        if (LOWORD(wparam) == IDCANCEL)
            EndDialog(hwnd, 0);
        else if (LOWORD(wparam) == IDOK && take_numbers())
            EndDialog(hwnd, 1);
    }

private:
    // Takes the numbers when all are in range; otherwise selects the first
    // that is not, says its range and returns 0.
    int take_numbers()
    {
        int32_t values[3];
        for (int i = 0; i < 3; ++i) {
            const auto& field = number_fields[i];
            BOOL valid = FALSE;
            UINT value = GetDlgItemInt(hwnd, field.id, &valid, FALSE);
            if (!valid || value < static_cast<UINT>(field.low) ||
                value > static_cast<UINT>(field.high)) {
                say_range(field.id, field.name, field.low, field.high);
                return 0;
            }
            values[i] = static_cast<int32_t>(value);
        }
        for (int i = 0; i < 3; ++i)
            send_.*number_fields[i].field = values[i];
        return 1;
    }

    // A tip at the field, "Repeat every: 50 to 3,600,000 ms".
    void say_range(int id, const char* name, int32_t low, int32_t high)
    {
        char low_text[27], high_text[27];
        format_byte_count(low_text, static_cast<uint64_t>(low));
        format_byte_count(high_text, static_cast<uint64_t>(high));
        wchar_t text[96];
        wsprintfW(text, L"%S: %S to %S ms", name, low_text, high_text);
        refuse_field(hwnd, id, text);
    }

    SendSettings& send_;
};

constexpr int macro_length = sizeof SendSettings{}.macros[0] - 1;

class MacrosDialog : public DialogBase {
public:
    explicit MacrosDialog(SendSettings& send) : send_(send) {}

    int on_init_dialog() override
    {
        for (int i = 0; i < 12; ++i) {
            SendDlgItemMessageA(hwnd, IDC_MACRO_F1 + i, EM_LIMITTEXT, macro_length, 0);
            SetDlgItemTextA(hwnd, IDC_MACRO_F1 + i, send_.macros[i]);
        }
        return 1;
    }

    void on_command(WPARAM wparam, LPARAM) override
    {
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(hwnd, 0);
        } else if (LOWORD(wparam) == IDOK) {
            for (int i = 0; i < 12; ++i)
                GetDlgItemTextA(hwnd, IDC_MACRO_F1 + i, send_.macros[i], macro_length + 1);
            EndDialog(hwnd, 1);
        }
    }

private:
    SendSettings& send_;
};

constexpr int rule_text_length = auto_reply_text_size - 1;

// The rules' texts, a row each. OK takes them only when every reply can be
// sent; otherwise it selects the first that cannot and says why.
class AutoReplyDialog : public DialogBase {
public:
    AutoReplyDialog(AutoReplySettings& rules, const char* appended)
        : rules_(rules), appended_(appended)
    {
    }

    int on_init_dialog() override
    {
        for (int i = 0; i < auto_reply_rules; ++i) {
            SendDlgItemMessageA(hwnd, IDC_AUTO_MATCH1 + i, EM_LIMITTEXT, rule_text_length, 0);
            SendDlgItemMessageA(hwnd, IDC_AUTO_REPLY1 + i, EM_LIMITTEXT, rule_text_length, 0);
            SetDlgItemTextA(hwnd, IDC_AUTO_MATCH1 + i, rules_.match[i]);
            SetDlgItemTextA(hwnd, IDC_AUTO_REPLY1 + i, rules_.reply[i]);
        }
        return 1;
    }

    void on_command(WPARAM wparam, LPARAM) override
    {
        if (LOWORD(wparam) == IDCANCEL)
            EndDialog(hwnd, 0);
        else if (LOWORD(wparam) == IDOK && take_rules())
            EndDialog(hwnd, 1);
    }

private:
    int take_rules()
    {
        AutoReplySettings typed;
        for (int i = 0; i < auto_reply_rules; ++i) {
            GetDlgItemTextA(hwnd, IDC_AUTO_MATCH1 + i, typed.match[i], auto_reply_text_size);
            GetDlgItemTextA(hwnd, IDC_AUTO_REPLY1 + i, typed.reply[i], auto_reply_text_size);
            unsigned char bytes[auto_reply_max_bytes + 2];
            FrameError error;
            int length = build_frame(typed.reply[i], lstrlenA(typed.reply[i]), frame_escapes,
                                     bytes, auto_reply_max_bytes, &error);
            if (length < 0) {
                wchar_t text[64];
                wsprintfW(text, L"%S", error.text);
                refuse_field(hwnd, IDC_AUTO_REPLY1 + i, text);
                return 0;
            }
            for (const char* end = appended_; *end && length < auto_reply_max_bytes + 2;)
                bytes[length++] = static_cast<unsigned char>(*end++);
            char match[auto_reply_max_bytes];
            int match_length = expand_escapes(typed.match[i], match, sizeof match);
            if (answers_itself(reinterpret_cast<unsigned char*>(match), match_length, bytes,
                               length)) {
                refuse_field(hwnd, IDC_AUTO_REPLY1 + i,
                             L"This reply (with its line end) holds the text its rule waits "
                             L"for: its echo would set the rule off again");
                return 0;
            }
        }
        typed.on = rules_.on;
        rules_ = typed;
        return 1;
    }

    AutoReplySettings& rules_;
    const char* appended_;
};

}  // namespace

int run_auto_reply_dialog(HWND owner, AutoReplySettings& rules, const char* appended)
{
    AutoReplyDialog dialog(rules, appended);
    return dialog.run_modal(owner, IDD_AUTO_REPLY) == 1;
}

int run_send_options_dialog(HWND owner, SendSettings& send)
{
    SendOptionsDialog dialog(send);
    return dialog.run_modal(owner, IDD_SEND_OPTIONS) == 1;
}

int run_macros_dialog_for(HWND owner, SendSettings& send)
{
    MacrosDialog dialog(send);
    return dialog.run_modal(owner, IDD_MACROS) == 1;
}
