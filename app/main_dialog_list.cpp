// The list of received lines: adding lines in batches, and keeping the view
// on the newest line only while the user wants it there.
#include "app/main_dialog.h"
#include "resources/resource_ids.h"

void MainDialog::begin_received_lines()
{
    HWND list = GetDlgItem(hwnd, IDC_RECEIVED_LIST);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    // An older line selected, and the newest not, holds the view still.
    follow_newest = count <= 0 || SendMessageA(list, LB_GETSELCOUNT, 0, 0) <= 0 ||
                    SendMessageA(list, LB_GETSEL, count - 1, 0) > 0;
    lines_added = 0;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
}

void MainDialog::add_received_line(const char* text)
{
    SendDlgItemMessageA(hwnd, IDC_RECEIVED_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    ++lines_added;
}

// The end of the batch selects the new text again when the list follows.
// An empty list has no line to delete (the index is then -1, which the list
// refuses), and the text is simply added.
void MainDialog::replace_newest_line(const char* text)
{
    LRESULT count = SendDlgItemMessageA(hwnd, IDC_RECEIVED_LIST, LB_GETCOUNT, 0, 0);
    SendDlgItemMessageA(hwnd, IDC_RECEIVED_LIST, LB_DELETESTRING, count - 1, 0);
    add_received_line(text);
}

// Past MaxLines a tenth of the lines go at once, oldest first, so the list
// is trimmed seldom rather than on every tick.
void MainDialog::end_received_lines()
{
    HWND list = GetDlgItem(hwnd, IDC_RECEIVED_LIST);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count > MaxLines)
        for (LRESULT keep = MaxLines - MaxLines / 10; count > keep; --count)
            SendMessageA(list, LB_DELETESTRING, 0, 0);
    if (lines_added && follow_newest && count > 0) {
        SendMessageA(list, LB_SETSEL, FALSE, -1);
        SendMessageA(list, LB_SETSEL, TRUE, count - 1);
        SendMessageA(list, LB_SETCARETINDEX, count - 1, FALSE);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    if (lines_added)
        InvalidateRect(list, nullptr, TRUE);
    lines_added = 0;
}
