// The Terminal view against a real bash on the far end of COM20: a pseudo-
// terminal that socat makes and links where the Wine prefix expects COM20,
// with bash on a terminal of its own behind it, so that readline edits the
// line, keeps the history and answers the keys as on a board's console.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/app/transfer_peer.h"
#include "tests/support/test_support.h"

namespace {

// The screen's rows as text (ASCII), trailing blanks trimmed.
std::vector<std::string> screen_rows()
{
    const CellScreen& screen = main_dialog.receiver().terminal().emulator().screen();
    std::vector<std::string> rows;
    for (int y = 0; y < screen.rows(); ++y) {
        std::string row;
        for (int x = 0; x < screen.columns(); ++x) {
            uint32_t c = screen.row(y)[x].ch;
            row += c == 0 ? ' ' : c < 0x80 ? static_cast<char>(c) : '?';
        }
        row.erase(row.find_last_not_of(' ') + 1);
        rows.push_back(row);
    }
    return rows;
}

std::string shown_screen()
{
    std::string text;
    for (const std::string& row : screen_rows())
        text += "|" + row + "|\n";
    return text;
}

int rows_equal_to(const std::string& text)
{
    int count = 0;
    for (const std::string& row : screen_rows())
        count += row == text;
    return count;
}

// Keys as a user's reach the screen: through the window-wide keys' filter,
// the dialog manager and TranslateMessage.
void type_into(HWND screen, const std::string& text)
{
    for (unsigned char c : text)
        PostMessageW(screen, WM_CHAR, c, 1);
    pump_as_the_dialog(GetParent(screen), 50);
}

void press(HWND screen, WPARAM vk)
{
    PostMessageW(screen, WM_KEYDOWN, vk, 1);
    pump_as_the_dialog(GetParent(screen), 50);
}

TEST(TerminalBash, ARealShellBehindTheLineAnswersTheScreensKeys)
{
    // A folder the shell sees too: the device folder is on drive Z:.
    std::string folder = device_folder() + "terminal-bash\\";
    remove_tree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    // A megabyte of numbered lines for cat.
    std::string big;
    for (int i = 0; big.size() < 1000000; ++i)
        big += "line " + std::to_string(i) + " of the megabyte, the rest is padding to fill\n";
    // The file's last two lines, which must end the screen above the prompt.
    size_t end_of_last = big.size() - 1;
    size_t start_of_last = big.rfind('\n', end_of_last - 1) + 1;
    size_t start_of_before = big.rfind('\n', start_of_last - 2) + 1;
    std::string last_line = big.substr(start_of_last, end_of_last - start_of_last);
    std::string line_before = big.substr(start_of_before, start_of_last - 1 - start_of_before);
    ASSERT_TRUE(write_file(folder + "big.txt", big));
    ASSERT_TRUE(start_line(folder, "export TERM=xterm PS1='$ ' HISTFILE=/dev/null\n",
                           "'EXEC:bash --norc --noprofile -i,pty,setsid,ctty,stderr'", 120));
    run_main_window([&](HWND dialog) {
        port_setup_dialog.settings.Port = 20;
        port_setup_dialog.settings.Baud = 921600;
        ASSERT_TRUE(wait_for_first_open_attempt(5000)) << "no first tick";
        ASSERT_EQ(1, serial_channel.is_open) << status_text();
        // 80 x 24 whatever the window's size, so that no line wraps.
        main_dialog.settings().view.terminal.columns = 80;
        main_dialog.settings().view.terminal.rows = 24;
        command(dialog, IDM_VIEW_TERMINAL);
        HWND screen = GetDlgItem(dialog, IDC_TERMINAL);
        ASSERT_TRUE(pump_until([&] { return rows_equal_to("$") >= 1; }, 10000))
            << "no prompt:\n" << shown_screen();

        type_into(screen, "echo hi");
        press(screen, VK_RETURN);
        EXPECT_TRUE(pump_until([&] { return rows_equal_to("hi") == 1; }, 10000)) << shown_screen();

        // Up fetches the last command from bash's own history.
        press(screen, VK_UP);
        press(screen, VK_RETURN);
        EXPECT_TRUE(pump_until([&] { return rows_equal_to("hi") == 2; }, 10000)) << shown_screen();

        // Escape reaches the device (cat -v shows it) and the program stays.
        type_into(screen, "cat -v");
        press(screen, VK_RETURN);
        pump_messages(300);
        press(screen, VK_ESCAPE);
        press(screen, VK_RETURN);
        EXPECT_TRUE(pump_until([&] { return rows_equal_to("^[") >= 1; }, 10000)) << shown_screen();
        EXPECT_TRUE(IsWindow(dialog));
        type_into(screen, "\x04");

        type_into(screen, "printf '\\033[2J\\033[5;10HXY'");
        press(screen, VK_RETURN);
        EXPECT_TRUE(pump_until([&] { return screen_rows()[4].compare(0, 11, "         XY") == 0; }, 10000))
            << shown_screen();
        command(dialog, IDM_COPY);
        std::string copied;
        if (OpenClipboard(dialog)) {
            HANDLE data = GetClipboardData(CF_UNICODETEXT);
            if (const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) {
                copied = narrow(text);
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        EXPECT_NE(std::string::npos, copied.find("\r\n\r\n\r\n\r\n         XY")) << copied;

        // A megabyte through cat at 921600 baud: its last lines end the screen.
        type_into(screen, "clear; cat big.txt");
        press(screen, VK_RETURN);
        EXPECT_TRUE(pump_until(
            [&] {
                std::vector<std::string> rows = screen_rows();
                for (size_t y = 2; y < rows.size(); ++y)
                    if (rows[y - 2] == line_before && rows[y - 1] == last_line && rows[y] == "$")
                        return true;
                return false;
            },
            60000))
            << shown_screen();
        type_into(screen, "exit");
        press(screen, VK_RETURN);
        pump_messages(300);
    });
    pump_until([&] { return GetFileAttributesA((folder + "peer.done").c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
    remove_tree(folder);
}

}  // namespace
