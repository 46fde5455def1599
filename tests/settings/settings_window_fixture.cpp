#include "settings_window_fixture.h"
#include <commctrl.h>
#include <shlobj.h>
#include "app/program_objects.h"
#include "framework/custom_control.h"
#include "framework/program_instance.h"
#include "resources/resource_ids.h"

namespace {
const char shell_folders_key[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
}

AppDataRedirect::AppDataRedirect(const std::wstring& folder)
{
    if (RegOpenKeyExA(HKEY_CURRENT_USER, shell_folders_key, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                      &key) != ERROR_SUCCESS) {
        key = nullptr;
        return;
    }
    DWORD size = 0;
    had_value = RegQueryValueExA(key, "AppData", nullptr, &old_type, nullptr, &size) ==
                ERROR_SUCCESS;
    if (had_value) {
        old_value.resize(size);
        had_value = RegQueryValueExA(key, "AppData", nullptr, &old_type, old_value.data(),
                                     &size) == ERROR_SUCCESS;
    }
    if (RegSetValueExW(key, L"AppData", 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE*>(folder.c_str()),
                       static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS) {
        RegCloseKey(key);
        key = nullptr;
    }
}

AppDataRedirect::~AppDataRedirect()
{
    if (!key)
        return;
    if (had_value)
        RegSetValueExA(key, "AppData", 0, old_type, old_value.data(),
                       static_cast<DWORD>(old_value.size()));
    else
        RegDeleteValueA(key, "AppData");
    RegCloseKey(key);
}

void ApplicationDataTest::SetUp()
{
    IniFileTest::SetUp();
    ASSERT_TRUE(CreateDirectoryA(application_data().c_str(), nullptr));
    redirect.reset(new AppDataRedirect(application_data()));
    ASSERT_TRUE(redirect->active());
}

void ApplicationDataTest::TearDown()
{
    redirect.reset();
    IniFileTest::TearDown();
}

bool ApplicationDataTest::make_settings_folder() const
{
    return SHCreateDirectoryExA(nullptr, settings_folder().c_str(), nullptr) == ERROR_SUCCESS;
}

void SettingsWindowTest::SetUp()
{
    ApplicationDataTest::SetUp();
    if (HasFatalFailure())
        return;
    prepare_program_classes();
    reopen();
}

void SettingsWindowTest::reopen()
{
    if (window.hwnd)
        DestroyWindow(window.hwnd);
    window.hwnd = nullptr;
    port_setup_dialog.settings = PortSettings{};
    HWND dialog = CreateDialogParamA(program_instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     base_dialog_proc, reinterpret_cast<LPARAM>(&window));
    ASSERT_NE(nullptr, dialog);
    KillTimer(dialog, receive_timer_id);
    ASSERT_NE(nullptr, command_combo.hwnd);
}

void SettingsWindowTest::TearDown()
{
    if (window.hwnd)
        DestroyWindow(window.hwnd);
    window.hwnd = nullptr;
    command_combo.hwnd = nullptr;
    port_setup_dialog.settings = PortSettings{};
    ini_reader.release();
    ini_writer.release();
    ApplicationDataTest::TearDown();
}

void SettingsWindowTest::load_from(const std::string& bytes)
{
    reopen();
    ASSERT_TRUE(write_file(settings_file(), bytes));
    window.load_settings();
}

std::vector<std::string> SettingsWindowTest::history() const
{
    return combo_entries(command_combo.hwnd);
}

void SettingsWindowTest::add_history(const std::string& entry)
{
    SendMessageA(command_combo.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

bool SettingsWindowTest::checked(int control_id) const
{
    return IsDlgButtonChecked(window.hwnd, control_id) == BST_CHECKED;
}


const char example_file[] =
    "[Port Settings]\r\n"
    "ByteSize=1\r\n"
    "Comm=2\r\n"
    "Parity=2\r\n"
    "Speed=1\r\n"
    "StopBits=0\r\n"
    "[Misc Settings]\r\n"
    "Upper=1\r\n"
    "SendChar=1\r\n"
    "[Old commands]\r\n"
    "ATI\r\n"
    "AT\r\n";
