#include "app/main_dialog.h"
#include "resources/resource_ids.h"

int MainDialog::on_init_dialog()
{
    SetWindowTextA(hwnd, "Quorvex");
    return 0;
}

void MainDialog::on_command(WPARAM wparam, LPARAM)
{
    switch (LOWORD(wparam)) {
    case IDCANCEL:  exit_program(); break;
    case IDM_EXIT:  exit_program(); break;
    }
}

void MainDialog::on_timer(WPARAM) {}

void MainDialog::exit_program()
{
    EndDialog(hwnd, 0);
}
