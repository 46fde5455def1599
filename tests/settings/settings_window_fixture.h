#pragma once
#include "tests/support/test_support.h"
#include "tests/support/text_helpers.h"
#include <gtest/gtest.h>
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

// The main window's settings operations on the real main window template,
// with only the controls they use: the history combo box (as the global
// command_combo), "Use uppercase" and the two line-end radio buttons. The
// settings folder is the test's temporary folder.
class SettingsWindowTest : public IniFileTest {
protected:
    class SettingsWindow : public MainDialog {
    public:
        int on_init_dialog() override { return 1; }
    };

    void SetUp() override;
    void TearDown() override;

    // Starts a window afresh, as the next run of the program would.
    void reopen();
    std::string settings_file() const { return folder + "Quorvex.ini"; }
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
