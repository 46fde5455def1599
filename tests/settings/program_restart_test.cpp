// The settings and the history survive a restart: the real main window runs,
// the user changes things, exits, and the next run shows them again.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "settings_window_fixture.h"

namespace {

std::function<void(HWND)> current_script;

void CALLBACK run_script(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    current_script(main_dialog.hwnd);
}

// A script that forgot to leave: the window closes without saving.
void CALLBACK close_forgotten_window(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    ADD_FAILURE() << "the script left the window open";
    main_dialog.settings_changed = 0;
    SendMessageA(main_dialog.hwnd, WM_COMMAND, IDCANCEL, 0);
}

// One run of the program's main window, from a fresh start of every value
// that a new process would have, with `script` run inside its modal loop.
void run_program_once(const std::function<void(HWND)>& script)
{
    prepare_program_classes();
    main_dialog.settings_changed = 0;
    main_dialog.Upper = 0;
    main_dialog.SendChar = 0;
    main_dialog.first_tick_done = 0;
    main_dialog.settings_folder[0] = '\0';
    main_dialog.settings_path[0] = '\0';
    port_setup_dialog.settings = PortSettings{};
    current_script = script;
    UINT_PTR timer = SetTimer(nullptr, 0, 10, run_script);
    UINT_PTR fallback = SetTimer(nullptr, 0, 10000, close_forgotten_window);
    ASSERT_NE(0u, timer);
    ASSERT_NE(0u, fallback);
    EXPECT_EQ(0, main_dialog.run_modal(nullptr, IDD_MAIN));
    KillTimer(nullptr, fallback);
    serial_channel.close();
    main_dialog.hwnd = nullptr;
}

std::string combo_history()
{
    std::string text;
    int count = static_cast<int>(SendMessageA(command_combo.hwnd, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char entry[256] = {};
        if (SendMessageA(command_combo.hwnd, CB_GETLBTEXTLEN, i, 0) < 256)
            SendMessageA(command_combo.hwnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
        text += std::string("<") + entry + ">";
    }
    return text;
}

void send_line(HWND dialog, const char* text)
{
    SetWindowTextA(command_combo.hwnd, text);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

class ProgramRestart : public IniFileTest {};

TEST_F(ProgramRestart, SettingsAndHistorySurviveAndUnchangedRunsLeaveTheFileAlone)
{
    std::string application_data = folder + "Roaming";
    ASSERT_TRUE(CreateDirectoryA(application_data.c_str(), nullptr));
    AppDataRedirect redirect(application_data);
    ASSERT_TRUE(redirect.active());
    std::string file = application_data + "\\BrantholmFreeware\\Quorvex\\Quorvex.ini";

    run_program_once([](HWND dialog) {
        SendMessageA(GetDlgItem(dialog, IDC_USE_UPPERCASE), BM_CLICK, 0, 0);
        SendMessageA(GetDlgItem(dialog, IDC_SEND_LF), BM_CLICK, 0, 0);
        send_line(dialog, "at");
        send_line(dialog, "ati");
        // What the Select Port dialog leaves after OK with COM3, the second
        // speed, even parity, 7 data bits, one stop bit.
        port_setup_dialog.settings = PortSettings{2, 1, 2, 1, 0};
        SendMessageA(dialog, WM_COMMAND, IDM_EXIT, 0);
    });
    const std::string saved = read_file(file);
    EXPECT_EQ("[Port Settings]\r\nByteSize=1\r\nComm=2\r\nParity=2\r\nSpeed=1\r\nStopBits=0\r\n"
              "[Misc Settings]\r\nUpper=1\r\nSendChar=1\r\n[Old commands]\r\nATI\r\nAT\r\n",
              saved);

    // The next run shows it all again; it changes nothing, so it saves nothing.
    ASSERT_TRUE(write_file(file, saved + "[Unknown]\r\n"));
    std::string seen;
    run_program_once([&](HWND dialog) {
        seen = std::string("upper ") + (IsDlgButtonChecked(dialog, IDC_USE_UPPERCASE) ? "1" : "0") +
               ", cr " + (IsDlgButtonChecked(dialog, IDC_SEND_CR) ? "1" : "0") + ", lf " +
               (IsDlgButtonChecked(dialog, IDC_SEND_LF) ? "1" : "0") + ", history " +
               combo_history();
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ("upper 1, cr 0, lf 1, history <ATI><AT>", seen);
    EXPECT_EQ(2, port_setup_dialog.settings.Comm);
    EXPECT_EQ(1, port_setup_dialog.settings.Speed);
    EXPECT_EQ(2, port_setup_dialog.settings.Parity);
    EXPECT_EQ(1, port_setup_dialog.settings.ByteSize);
    EXPECT_EQ(saved + "[Unknown]\r\n", read_file(file)) << "a run without changes saved";

    // "Clear old commands" alone is no change either.
    run_program_once([](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, IDM_CLEAR_COMMANDS, 0);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(saved + "[Unknown]\r\n", read_file(file)) << "clearing the history alone saved";

    // Clearing and then changing an option saves the empty history.
    run_program_once([](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, IDM_CLEAR_COMMANDS, 0);
        SendMessageA(GetDlgItem(dialog, IDC_SEND_CR), BM_CLICK, 0, 0);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ("[Port Settings]\r\nByteSize=1\r\nComm=2\r\nParity=2\r\nSpeed=1\r\nStopBits=0\r\n"
              "[Misc Settings]\r\nUpper=1\r\nSendChar=0\r\n[Old commands]\r\n",
              read_file(file));
}

std::string rect_text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

bool menu_checked(HWND dialog, int id)
{
    return (GetMenuState(GetMenu(dialog), id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// The window's place, the view and time stamps come back in the next run;
// Windows ending the session gets a yes and the changed settings are saved.
TEST_F(ProgramRestart, WindowPlaceAndViewSurviveAndTheSessionMayEnd)
{
    std::string application_data = folder + "Roaming";
    ASSERT_TRUE(CreateDirectoryA(application_data.c_str(), nullptr));
    AppDataRedirect redirect(application_data);
    ASSERT_TRUE(redirect.active());
    std::string file = application_data + "\\BrantholmFreeware\\Quorvex\\Quorvex.ini";

    RECT placed = {}, template_size = {};
    LRESULT query = 0;
    bool saved_on_cancelled_end = true;
    run_program_once([&](HWND dialog) {
        GetWindowRect(dialog, &template_size);
        SetWindowPos(dialog, nullptr, 40, 30, template_size.right - template_size.left + 120,
                     template_size.bottom - template_size.top + 90, SWP_NOZORDER);
        GetWindowRect(dialog, &placed);
        SendMessageA(dialog, WM_COMMAND, IDM_VIEW_LINES, 0);
        SendMessageA(dialog, WM_COMMAND, IDM_TIME_STAMPS, 0);
        query = SendMessageA(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
        SendMessageA(dialog, WM_ENDSESSION, FALSE, 0);
        saved_on_cancelled_end = GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
        SendMessageA(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        main_dialog.settings_changed = 0;
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_NE(0, query) << "the end of the session was refused";
    EXPECT_FALSE(saved_on_cancelled_end) << "saved although the session went on";
    EXPECT_EQ("[Port Settings]\r\nByteSize=0\r\nComm=0\r\nParity=0\r\nSpeed=0\r\nStopBits=0\r\n"
              "[Misc Settings]\r\nUpper=0\r\nSendChar=0\r\nView=Lines\r\nTime=1\r\nWindow=" +
                  rect_text(placed) + "\r\n[Old commands]\r\n",
              read_file(file));

    const struct {
        const char* what;
        std::string window_key;
        bool at_the_place;
    } cases[] = {
        {"the saved place", rect_text(placed), true},
        {"a place off every screen", "30000,30000,30600,30500", false},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        ASSERT_TRUE(write_file(file, "[Misc Settings]\r\nView=Lines\r\nTime=1\r\nWindow=" +
                                         cases[i].window_key + "\r\n"));
        RECT seen = {};
        bool lines = false, stamps = false;
        run_program_once([&](HWND dialog) {
            GetWindowRect(dialog, &seen);
            lines = menu_checked(dialog, IDM_VIEW_LINES);
            stamps = menu_checked(dialog, IDM_TIME_STAMPS);
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_TRUE(lines && stamps) << "case " << i << ": " << cases[i].what;
        if (cases[i].at_the_place) {
            EXPECT_EQ(rect_text(placed), rect_text(seen)) << "case " << i << ": " << cases[i].what;
        } else {
            EXPECT_EQ(template_size.right - template_size.left, seen.right - seen.left)
                << "case " << i << ": " << cases[i].what;
            EXPECT_LT(seen.left, 2000) << "case " << i << ": " << cases[i].what;
        }
    }
}

}  // namespace
