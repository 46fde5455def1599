#include "app/main_dialog.h"

// Placeholders until the settings file is built: nothing is stored yet.
void MainDialog::locate_settings_folder() {}
void MainDialog::load_settings() {}
void MainDialog::save_settings() {}
