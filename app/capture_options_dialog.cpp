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

class CaptureOptionsDialog : public DialogBase {
public:
    CaptureOptionsDialog(CaptureSettings& capture, const wchar_t* pattern)
        : capture_(capture), pattern_(pattern)
    {
    }

    int on_init_dialog() override
    {
        SetDlgItemInt(hwnd, IDC_CAPTURE_LIMIT, static_cast<UINT>(capture_.size_limit / capture_mib),
                      FALSE);
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
        BOOL valid = FALSE;
        UINT megabytes = GetDlgItemInt(hwnd, IDC_CAPTURE_LIMIT, &valid, FALSE);
        if (!valid || megabytes > static_cast<UINT>(max_capture_limit_mb)) {
            MessageBeep(MB_ICONEXCLAMATION);
            // The dialog selects an edit field's text as it gives it the focus.
            SendMessageA(hwnd, WM_NEXTDLGCTL,
                         reinterpret_cast<WPARAM>(GetDlgItem(hwnd, IDC_CAPTURE_LIMIT)), TRUE);
            return 0;
        }
        capture_.size_limit = megabytes * capture_mib;
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
