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

void MainDialog::on_timer(WPARAM timer_id) { poll_receive(timer_id); }

int MainDialog::open_port() { return 0; }
void MainDialog::close_port() {}
void MainDialog::run_port_setup() {}
void MainDialog::set_status(const char*) {}

void MainDialog::exit_program()
{
    EndDialog(hwnd, 0);
}
