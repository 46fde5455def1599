#include "app/capture_options_dialog.h"
#include <cstring>
#include "framework/dialog_base.h"
#include "resources/resource_ids.h"

namespace {

const struct {
    int id;
    int32_t CaptureSettings::*field;
} option_boxes[] = {
    {IDC_CAPTURE_DAILY, &CaptureSettings::daily},
    {IDC_CAPTURE_APPEND, &CaptureSettings::append},
    {IDC_CAPTURE_AS_SHOWN, &CaptureSettings::as_shown},
    {IDC_CAPTURE_AUTO, &CaptureSettings::automatic},
};

// The units the limit is typed in, as the list beside it offers them.
const struct {
    const wchar_t* name;
    uint64_t bytes;
    UINT most;
} limit_units[] = {
    {L"KB", capture_kib, static_cast<UINT>(max_capture_limit_kb)},
    {L"MB", capture_mib, static_cast<UINT>(max_capture_limit_mb)},
};
const int kilobytes_unit = 0;
const int megabytes_unit = 1;

// A whole number without sign, spaces around it allowed, up to `most`.
bool read_whole_number(const wchar_t* text, UINT most, UINT& value)
{
    while (*text == L' ')
        ++text;
    uint64_t number = 0;
    int digits = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text, ++digits) {
        number = number * 10 + static_cast<UINT>(*text - L'0');
        if (number > most)
            return false;
    }
    while (*text == L' ')
        ++text;
    value = static_cast<UINT>(number);
    return digits > 0 && !*text;
}

class CaptureOptionsDialog : public DialogBase {
public:
    CaptureOptionsDialog(CaptureSettings& capture, const wchar_t* pattern)
        : capture_(capture), pattern_(pattern)
    {
    }

    int on_init_dialog() override
    {
        // A limit of whole MiB is shown in MB, any other in KB.
        int unit = capture_.size_limit % capture_mib == 0 ? megabytes_unit : kilobytes_unit;
        for (const auto& each : limit_units)
            SendDlgItemMessageW(hwnd, IDC_CAPTURE_UNIT, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(each.name));
        SendDlgItemMessageW(hwnd, IDC_CAPTURE_UNIT, CB_SETCURSEL, unit, 0);
        SetDlgItemInt(hwnd, IDC_CAPTURE_LIMIT,
                      static_cast<UINT>(capture_.size_limit / limit_units[unit].bytes), FALSE);
        for (const auto& box : option_boxes)
            CheckDlgButton(hwnd, box.id, capture_.*box.field ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextW(hwnd, IDC_CAPTURE_PATTERN, pattern_);
        EnableWindow(GetDlgItem(hwnd, IDC_CAPTURE_AUTO), pattern_[0] != L'\0');
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
    int take_options()
    {
        LRESULT chosen = SendDlgItemMessageW(hwnd, IDC_CAPTURE_UNIT, CB_GETCURSEL, 0, 0);
        const auto& unit = limit_units[chosen == kilobytes_unit ? kilobytes_unit : megabytes_unit];
        wchar_t text[32] = {};
        UINT limit = 0;
        GetDlgItemTextW(hwnd, IDC_CAPTURE_LIMIT, text, 32);
        if (!read_whole_number(text, unit.most, limit)) {
            wchar_t range[80];
            wsprintfW(range, L"A whole number of %s from 0 (no limit) to %u", unit.name,
                      unit.most);
            SetDlgItemTextW(hwnd, IDC_CAPTURE_RANGE, range);
            MessageBeep(MB_ICONEXCLAMATION);
            // The dialog selects an edit field's text as it gives it the focus.
            SendMessageA(hwnd, WM_NEXTDLGCTL,
                         reinterpret_cast<WPARAM>(GetDlgItem(hwnd, IDC_CAPTURE_LIMIT)), TRUE);
            return 0;
        }
        capture_.size_limit = limit * unit.bytes;
        for (const auto& box : option_boxes)
            capture_.*box.field = IsDlgButtonChecked(hwnd, box.id) == BST_CHECKED ? 1 : 0;
        // The pattern is kept only for the capture that starts by itself.
        if (capture_.automatic)
            lstrcpynW(capture_.pattern, pattern_, MAX_PATH);
        else
            capture_.pattern[0] = L'\0';
        return 1;
    }

    CaptureSettings& capture_;
    const wchar_t* pattern_;
};

}  // namespace

int run_capture_options_dialog(HWND owner, CaptureSettings& capture, const wchar_t* pattern)
{
    CaptureSettings before = capture;
    CaptureOptionsDialog dialog(capture, pattern);
    return dialog.run_modal(owner, IDD_CAPTURE_OPTIONS) == 1 &&
           memcmp(&before, &capture, sizeof before) != 0;
}
