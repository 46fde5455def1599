#include "app/main_dialog.h"

void MainDialog::send_command() {}
void MainDialog::refocus_command() {}
void MainDialog::poll_receive(WPARAM) {}
