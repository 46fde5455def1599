#pragma once
#include "tests/support/test_support.h"
#include "tests/support/text_helpers.h"
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>
#include "app/main_dialog.h"
#include "ini_file_fixture.h"

// Points the user's application-data folder at `folder` for as long as it
// lives; the earlier value comes back afterwards.
class AppDataRedirect {
public:
    explicit AppDataRedirect(const std::string& folder) : AppDataRedirect(wide(folder)) {}
    explicit AppDataRedirect(const std::wstring& folder);
    ~AppDataRedirect();
    AppDataRedirect(const AppDataRedirect&) = delete;
    AppDataRedirect& operator=(const AppDataRedirect&) = delete;
    bool active() const { return key != nullptr; }

private:
    HKEY key = nullptr;
    std::vector<BYTE> old_value;
    DWORD old_type = 0;
    bool had_value = false;
};

// A test with an application-data folder of its own, in its temporary
// folder: the program finds its settings there for the test's length.
class ApplicationDataTest : public IniFileTest {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string application_data() const { return folder + "AppData"; }
    std::string settings_folder() const
    {
        return application_data() + "\\BrantholmFreeware\\Quorvex";
    }
    std::string settings_file() const { return settings_folder() + "\\Quorvex.ini"; }
    // Makes the settings folder, as an earlier run of the program would;
    // whether it was made.
    bool make_settings_folder() const;

private:
    std::unique_ptr<AppDataRedirect> redirect;
};

// The main window's settings operations on a real main window, made without
// its modal loop, so that no tick opens a port.
class SettingsWindowTest : public ApplicationDataTest {
protected:
    using SettingsWindow = MainDialog;

    void SetUp() override;
    void TearDown() override;

    // Starts a window afresh, as the next run of the program would.
    void reopen();
    // A window loaded from a settings file holding `bytes`.
    void load_from(const std::string& bytes);

    std::vector<std::string> history() const;
    void add_history(const std::string& entry);
    bool checked(int control_id) const;

    SettingsWindow window;
};


// A settings file as the program writes it: COM3, the second speed, even
// parity, 7 data bits, one stop bit, uppercase on, LF line ends, two commands.
extern const char example_file[];
