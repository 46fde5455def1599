// Where the settings file lives, and loading and saving it.
#include <shlobj.h>
#include "app/main_dialog.h"
#include "app/program_objects.h"
#include "framework/radio_group.h"
#include "resources/resource_ids.h"
#include "settings/settings_file.h"
#include "settings/settings_folder.h"
#include "settings/send_settings.h"

// The settings folder below the application-data folder, created when it is
// missing. Without an application-data folder it lies at the root of the
// current drive. A path too long for settings_folder leaves it empty, and
// nothing is then loaded or saved.
void MainDialog::locate_settings_folder()
{
    char application_data[MAX_PATH];
    get_special_folder_path(hwnd, CSIDL_APPDATA, application_data);
    if (!compose_settings_folder(application_data, settings_folder))
        return;
    if (!directory_exists(settings_folder))
        create_directory_path(settings_folder);
}

void MainDialog::load_settings()
{
    SendChar = 0;
    Reopen = 1;
    MaxLines = default_max_lines;
    options = ViewSettings{};
    reset_send_settings(send_settings);
    if (settings_folder[0] && compose_settings_path(settings_folder, settings_file_name,
                                                    settings_path) &&
        load_settings_file(ini_reader, settings_path, port_setup_dialog.settings, Upper,
                           SendChar, command_combo.hwnd, &Reopen, &options, &MaxLines))
        CheckDlgButton(hwnd, IDC_USE_UPPERCASE, Upper ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(hwnd, IDC_ESCAPES, options.escapes ? BST_CHECKED : BST_UNCHECKED);
    view.set_mode(static_cast<ReceiveMode>(options.view));
    view.set_time_stamps(options.time == 1);
    // A SendChar other than 0 or 1 checks no button (sends then use LF).
    check_radio_index(hwnd, IDC_SEND_CR, IDC_SEND_NONE,
                      options.line_end ? options.line_end + 1 : SendChar);
    show_reopen_option();
    apply_send_options();
}

// Saves only a complete text; when the file itself cannot be written the
// change is dropped all the same, as nothing could be done about it.
void MainDialog::save_settings()
{
    options.view = static_cast<int32_t>(view.mode());
    if (!build_settings_text(ini_writer, port_setup_dialog.settings, Upper, SendChar,
                             command_combo.hwnd, Reopen, &options, MaxLines))
        return;
    if (settings_path[0])
        ini_writer.write_to_file(settings_path);
    settings_changed = 0;
}
