// The Y range dialog: the plot's bottom and top, or both empty to fit the
// values shown.
#include "plot/plot_window.h"
#include "framework/program_instance.h"
#include "resources/resource_ids.h"
#include "text/plot_number.h"

namespace {

INT_PTR CALLBACK y_range_proc(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam)
{
    auto* plot = reinterpret_cast<PlotWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lparam);
        plot = reinterpret_cast<PlotWindow*>(lparam);
        for (int i = 0; i < 2; ++i)
            SetWindowTextA(GetDlgItem(dialog, IDC_Y_BOTTOM + i), plot->range_texts[i]);
        return TRUE;
    }
    if (msg != WM_COMMAND || !plot)
        return FALSE;
    if (LOWORD(wparam) == IDCANCEL)
        EndDialog(dialog, 0);
    else if (LOWORD(wparam) == IDOK && plot->take_y_range(dialog))
        EndDialog(dialog, 1);
    return TRUE;
}

}  // namespace

void PlotWindow::choose_y_range()
{
    if (DialogBoxParamA(program_instance, MAKEINTRESOURCEA(IDD_Y_RANGE), hwnd, y_range_proc,
                        reinterpret_cast<LPARAM>(this)) == 1)
        redraw();
}

// Both fields must be whole numbers with the bottom below the top, or both
// empty. A field that isn't beeps and is selected for typing again.
int PlotWindow::take_y_range(HWND dialog)
{
    char texts[2][32];
    double values[2] = {};
    int lengths[2];
    int bad = -1;
    for (int i = 1; i >= 0; --i) {
        lengths[i] = GetWindowTextA(GetDlgItem(dialog, IDC_Y_BOTTOM + i), texts[i], sizeof texts[i]);
        if (!lengths[i] || scan_decimal_number(texts[i], texts[i] + lengths[i]) != lengths[i])
            bad = i;
        else
            values[i] = decimal_number_value(texts[i], lengths[i]);
    }
    if (!lengths[0] && !lengths[1])
        bad = -1;
    else if (bad < 0 && !(values[0] < values[1]))
        bad = 1;
    if (bad >= 0) {
        MessageBeep(MB_ICONWARNING);
        HWND field = GetDlgItem(dialog, IDC_Y_BOTTOM + bad);
        SetFocus(field);
        SendMessageA(field, EM_SETSEL, 0, -1);
        return 0;
    }
    fixed_y = lengths[0] != 0;
    bottom = values[0];
    top = values[1];
    lstrcpynA(range_texts[0], texts[0], sizeof range_texts[0]);
    lstrcpynA(range_texts[1], texts[1], sizeof range_texts[1]);
    return 1;
}
