// The settings and the history survive a restart: the real main window runs,
// the user changes things, exits, and the next run shows them again.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include "app/program_objects.h"
#include "framework/dpi.h"
#include "resources/resource_ids.h"
#include "settings_window_fixture.h"
#include "tests/app/main_window_driver.h"
#include "tests/support/device_client.h"

namespace {

// One run of the program's main window as the next process would start it,
// from the settings file, with `script` run inside its modal loop; the
// script ends the run itself.
void run_program_once(const std::function<void(HWND)>& script)
{
    MainWindowRun run = run_main_window(script, WindowStart::settings_file);
    EXPECT_EQ(0, run.result) << "run_program_once: what the window ended with";
    EXPECT_FALSE(run.ended_by_driver) << "run_program_once: the script left the window open";
}

void send_line(HWND dialog, const char* text)
{
    SetWindowTextA(command_combo.hwnd, text);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// Each run of the program finds its settings under an application-data
// folder of the test's own.
using ProgramRestart = ApplicationDataTest;

TEST_F(ProgramRestart, SettingsAndHistorySurviveAndUnchangedRunsLeaveTheFileAlone)
{
    const std::string file = settings_file();
    run_program_once([](HWND dialog) {
        click(dialog, IDC_USE_UPPERCASE);
        click(dialog, IDC_SEND_LF);
        send_line(dialog, "at");
        send_line(dialog, "ati");
        // What the Select Port dialog leaves after OK with COM3, the second
        // speed, even parity, 7 data bits, one stop bit.
        port_setup_dialog.settings = port_settings(2, 1, 2, 1, 0);
        SendMessageA(dialog, WM_COMMAND, IDM_EXIT, 0);
    });
    const std::string saved = read_file(file);
    EXPECT_EQ(example_file, saved);

    // The next run shows it all again; it changes nothing, so it saves nothing.
    ASSERT_TRUE(write_file(file, saved + "[Unknown]\r\n"));
    std::string seen;
    run_program_once([&](HWND dialog) {
        seen = std::string("upper ") + (IsDlgButtonChecked(dialog, IDC_USE_UPPERCASE) ? "1" : "0") +
               ", cr " + (IsDlgButtonChecked(dialog, IDC_SEND_CR) ? "1" : "0") + ", lf " +
               (IsDlgButtonChecked(dialog, IDC_SEND_LF) ? "1" : "0") + ", history " +
               joined(combo_entries(command_combo.hwnd));
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
        click(dialog, IDC_SEND_CR);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ("[Port Settings]\r\nByteSize=1\r\nComm=2\r\nParity=2\r\nSpeed=1\r\nStopBits=0\r\n"
              "[Misc Settings]\r\nUpper=1\r\nSendChar=0\r\n[Old commands]\r\n",
              read_file(file));
}

// A speed typed into the file by hand, outside the four the dialog offers,
// still gives the line a speed the port can take.
TEST_F(ProgramRestart, AHandEditedSpeedReachesTheLine)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    ASSERT_TRUE(make_settings_folder());
    const struct {
        const char* speed;
        int baud;
    } cases[] = {{"4", 115200}, {"-1", 4800}, {"99", 9600}, {"2147483647", 9600}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        ASSERT_TRUE(write_file(settings_file(),
                               std::string("[Port Settings]\r\nComm=0\r\nSpeed=") +
                                   cases[i].speed + "\r\n"));
        DeviceLineSettings line;
        run_program_once([&](HWND dialog) {
            // The port opens on the first tick, off the window's thread.
            EXPECT_TRUE(wait_for_first_open_attempt(5000)) << "case " << i;
            line = device.termios(1);
            main_dialog.settings_changed = 0;
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        ASSERT_TRUE(line.valid) << "case " << i << ": " << device.last_reply();
        EXPECT_EQ(cases[i].baud, line.speed) << "case " << i << ": Speed=" << cases[i].speed;
    }
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
    const std::string file = settings_file();
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
                  rect_text(placed) + "," + std::to_string(window_dpi(nullptr)) +
                  "\r\n[Old commands]\r\n",
              read_file(file));

    // The next run, from that file: where it was, the view and the time
    // stamps as they were.
    RECT seen = {};
    bool lines = false, stamps = false;
    run_program_once([&](HWND dialog) {
        GetWindowRect(dialog, &seen);
        lines = menu_checked(dialog, IDM_VIEW_LINES);
        stamps = menu_checked(dialog, IDM_TIME_STAMPS);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(lines && stamps);
    EXPECT_EQ(rect_text(placed), rect_text(seen));
}

// The plot window up at exit is up again at the next start, where it was;
// closed by its close box, it stays down and its place is still kept.
TEST_F(ProgramRestart, ThePlotWindowComesBackWhereItWas)
{
    const std::string file = settings_file();
    RECT placed = {};
    run_program_once([&](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, IDM_PLOT, 0);
        ASSERT_TRUE(plot_window.hwnd != nullptr);
        SetWindowPos(plot_window.hwnd, nullptr, 50, 60, 420, 310, SWP_NOZORDER);
        GetWindowRect(plot_window.hwnd, &placed);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    const std::string kept = "[Misc Settings]\r\nUpper=0\r\nSendChar=0\r\nPlot=1\r\nPlotWindow=" +
                             rect_text(placed) + "\r\n";
    EXPECT_NE(std::string::npos, read_file(file).find(kept)) << read_file(file);

    RECT seen = {};
    bool shown = false, checked = false;
    run_program_once([&](HWND dialog) {
        shown = plot_window.hwnd && IsWindowVisible(plot_window.hwnd);
        checked = menu_checked(dialog, IDM_PLOT);
        if (plot_window.hwnd)
            GetWindowRect(plot_window.hwnd, &seen);
        SendMessageA(plot_window.hwnd, WM_CLOSE, 0, 0);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_TRUE(shown && checked);
    EXPECT_EQ(rect_text(placed), rect_text(seen));
    EXPECT_NE(std::string::npos,
              read_file(file).find("SendChar=0\r\nPlotWindow=" + rect_text(placed) + "\r\n"))
        << read_file(file);
}

}  // namespace
