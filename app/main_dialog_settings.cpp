// Where the settings file lives, and loading and saving it.
#include <shlobj.h>
#include <commctrl.h>
#include "app/main_dialog.h"
#include "app/program_objects.h"
#include "framework/radio_group.h"
#include "resources/resource_ids.h"
#include "settings/settings_file.h"
#include "settings/settings_folder.h"
#include "settings/send_settings.h"

wchar_t settings_folder_text[MAX_PATH];
wchar_t settings_path_text[MAX_PATH];

// The settings folder below the application-data folder, created when it is
// missing. Without an application-data folder it lies at the root of the
// current drive. A path too long for settings_folder leaves it empty, and
// nothing is then loaded or saved. A folder that can't be used is said once
// in the status bar.
void MainDialog::locate_settings_folder()
{
    wchar_t application_data[MAX_PATH];
    get_special_folder_path(hwnd, CSIDL_APPDATA, application_data);
    DWORD failure = ERROR_FILENAME_EXCED_RANGE;
    if (compose_settings_folder(application_data, settings_folder)) {
        if (directory_exists(settings_folder) || create_directory_path(settings_folder))
            return;
        failure = GetLastError();
    }
    show_settings_failure(failure);
}

// "Settings can't be saved: " and the system's words for `failure`, on one
// line (the message's own line breaks become spaces).
void MainDialog::show_settings_failure(DWORD failure)
{
    wchar_t text[200] = L"Settings can't be saved: ";
    const int prefix = 25;  // the length of the words above
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_MAX_WIDTH_MASK,
                   nullptr, failure, 0, text + prefix, 200 - prefix, nullptr);
    SendMessageW(status_bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(text));
}

void MainDialog::load_settings()
{
    if (!settings_folder[0] ||
        !compose_settings_path(settings_folder, settings_file_name, settings_path))
        settings_path[0] = L'\0';
    read_settings(settings_path);
}

// Every option at its default, then as the file at `path` (or, with a null
// path, the text ini_reader holds) says.
void MainDialog::read_settings(const wchar_t* path)
{
    SendChar = 0;
    Reopen = 1;
    MaxLines = default_max_lines;
    options = ViewSettings{};
    reset_send_settings(send_settings);
    if ((!path || path[0]) &&
        load_settings_file(ini_reader, path, port_setup_dialog.settings, Upper, SendChar,
                           command_combo.hwnd, &Reopen, &options, &MaxLines))
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

// The text this window would save now, in ini_writer; 0 when it could not
// be built whole.
int MainDialog::build_settings()
{
    options.view = static_cast<int32_t>(view.mode());
    return build_settings_text(ini_writer, port_setup_dialog.settings, Upper, SendChar,
                               command_combo.hwnd, Reopen, &options, MaxLines);
}

// Saves only a complete text; when the file itself cannot be written the
// change is dropped all the same, as nothing could be done about it.
void MainDialog::save_settings()
{
    if (!build_settings())
        return;
    if (settings_path[0] && take_other_windows_changes())
        ini_writer.write_to_file(settings_path);
    settings_changed = 0;
}
