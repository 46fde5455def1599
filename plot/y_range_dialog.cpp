#include "plot/y_range_dialog.h"
#include "plot/beside_window.h"
#include "resources/resource_ids.h"
#include "text/plot_number.h"

INT_PTR YRangeDialog::run(HWND owner)
{
    return run_modal(owner, IDD_Y_RANGE);
}

// The fields start from the range shown, and the dialog sits beside the
// plot that it changes.
int YRangeDialog::on_init_dialog()
{
    for (int i = 0; i < 2; ++i)
        SetDlgItemTextA(hwnd, IDC_Y_BOTTOM + i, texts[i]);
    RECT now = {};
    GetWindowRect(hwnd, &now);
    RECT place = beside_window(GetWindow(hwnd, GW_OWNER), now.right - now.left, now.bottom - now.top);
    SetWindowPos(hwnd, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 1;
}

void YRangeDialog::on_command(WPARAM wparam, LPARAM)
{
    switch (LOWORD(wparam)) {
    case IDOK:     take_fields(); break;
    case IDCANCEL: EndDialog(hwnd, 0); break;
    default:       break;
    }
}

// Each field is read and checked in one pass, the top first, so that the
// bottom's fault is the one selected when both are wrong.
void YRangeDialog::take_fields()
{
    char typed[2][sizeof texts[0]];
    double numbers[2] = {};
    int lengths[2];
    int bad = -1;
    for (int i = 1; i >= 0; --i) {
        lengths[i] = GetDlgItemTextA(hwnd, IDC_Y_BOTTOM + i, typed[i], sizeof typed[i]);
        if (!lengths[i] || scan_decimal_number(typed[i], typed[i] + lengths[i]) != lengths[i])
            bad = i;
        else
            numbers[i] = decimal_number_value(typed[i], lengths[i]);
    }
    if (!lengths[0] && !lengths[1])
        bad = -1;
    else if (bad < 0 && !(numbers[0] < numbers[1]))
        bad = 1;
    if (bad >= 0) {
        MessageBeep(MB_ICONWARNING);
        HWND field = GetDlgItem(hwnd, IDC_Y_BOTTOM + bad);
        SetFocus(field);
        SendMessageA(field, EM_SETSEL, 0, -1);
        return;
    }
    fixed = lengths[0] != 0;
    // Values beyond a float's range are taken at its edge, as the samples'.
    const double edge = 3.4e38;
    for (int i = 0; i < 2; ++i) {
        values[i] = numbers[i] > edge ? edge : numbers[i] < -edge ? -edge : numbers[i];
        lstrcpynA(texts[i], typed[i], sizeof texts[i]);
    }
    EndDialog(hwnd, 1);
}
