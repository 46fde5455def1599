// A script run in the window: the Send menu's items, the status bar's line,
// the marks in the list and in the capture it starts, and the two ways to
// stop it.
#include <gtest/gtest.h>
#include <string>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"

namespace {

std::string send_part()
{
    return status_text(4);
}

bool grayed(int id)
{
    return (GetMenuState(main_dialog.menu(), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

// Escape as the dialog's own loop hands it to the program's key filter.
void press_escape()
{
    MSG key = {main_dialog.command_edit(), WM_KEYDOWN, VK_ESCAPE, 0x00010001};
    CallMsgFilterA(&key, MSGF_DIALOGBOX);
}

TEST(ScriptWindow, RunsShowsItsLineAndStopsByEscapeOrMenu)
{
    const struct {
        const char* way;
        bool by_escape;
    } cases[] = {{"Escape", true}, {"Stop script", false}};
    std::string folder = make_temp_folder("scriptwin");
    std::string path = folder + "w.qvs";
    ASSERT_TRUE(write_file(path, "capture \"w.log\"\nsend \"AT\"\nwait \"OK\" 2000\nlog \"answered\"\n"
                                 "wait \"NEVER\" 60000\n"));
    DeviceClient device;
    for (const auto& c : cases) {
        std::vector<std::string> lines;
        with_open_port(device, "modem", [&](HWND dialog) {
            command(dialog, IDM_VIEW_LINES);
            EXPECT_FALSE(grayed(IDM_RUN_SCRIPT)) << c.way;
            EXPECT_TRUE(grayed(IDM_STOP_SCRIPT)) << c.way;
            ASSERT_TRUE(main_dialog.script().run_file(wide(path).c_str())) << c.way;
            EXPECT_TRUE(pump_until([] { return send_part() == "Script w.qvs: line 5"; }, 5000))
                << c.way << ": " << send_part();
            EXPECT_TRUE(grayed(IDM_RUN_SCRIPT)) << c.way;
            EXPECT_FALSE(grayed(IDM_STOP_SCRIPT)) << c.way;
            if (c.by_escape)
                press_escape();
            else
                command(dialog, IDM_STOP_SCRIPT);
            EXPECT_FALSE(main_dialog.script().running()) << c.way;
            EXPECT_EQ("Script w.qvs: fail: line 5: stopped", send_part()) << c.way;
            EXPECT_FALSE(grayed(IDM_RUN_SCRIPT)) << c.way;
            EXPECT_TRUE(grayed(IDM_STOP_SCRIPT)) << c.way;
            lines = list_lines(dialog);
        });
        std::string marks;
        for (const std::string& line : lines)
            if (line.compare(0, 10, "-- script:") == 0)
                marks += line + "|";
        EXPECT_EQ("-- script: w.qvs started --|-- script: answered --|-- script: fail: line 5: stopped --|", marks)
            << c.way;
        // Beside the script; the capture ended with the window.
        std::string captured = read_file(folder + "w.log");
        EXPECT_NE(std::string::npos, captured.find("AT\r\nOK\r\n-- script: answered --\r\n")) << c.way << ": " << captured;
        EXPECT_NE(std::string::npos, captured.find("-- script: fail: line 5: stopped --\r\n")) << c.way << ": " << captured;
        DeleteFileA((folder + "w.log").c_str());
    }
    remove_tree(folder);
}

// A script that is not well formed never starts: the list and the send part
// say why.
TEST(ScriptWindow, ABadScriptIsRefusedWithItsLine)
{
    std::string folder = make_temp_folder("scriptbad");
    std::string path = folder + "bad.qvs";
    ASSERT_TRUE(write_file(path, "send \"AT\"\nrepeat 3\n"));
    DeviceClient device;
    with_open_port(device, "modem", [&](HWND dialog) {
        command(dialog, IDM_VIEW_LINES);
        EXPECT_FALSE(main_dialog.script().run_file(wide(path).c_str()));
        EXPECT_FALSE(main_dialog.script().running());
        EXPECT_EQ("Script bad.qvs refused: line 2: repeat needs a count and {", send_part());
        std::vector<std::string> lines = list_lines(dialog);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ("-- script: bad.qvs refused: line 2: repeat needs a count and { --", lines.back());
    });
    remove_tree(folder);
}

}  // namespace
