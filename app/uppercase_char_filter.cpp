#include "app/uppercase_char_filter.h"
#include "app/program_objects.h"

WNDPROC previous_edit_proc = nullptr;

LRESULT CALLBACK uppercase_char_filter(HWND edit, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_CHAR && main_dialog.Upper == 1 && wparam >= 'a' && wparam <= 'z')
        wparam -= 'a' - 'A';
    if (!previous_edit_proc)
        return DefWindowProcA(edit, msg, wparam, lparam);
    return CallWindowProcA(previous_edit_proc, edit, msg, wparam, lparam);
}
