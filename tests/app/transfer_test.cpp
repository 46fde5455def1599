// XMODEM and YMODEM through the real window, with lrzsz on the far end of
// COM20: a pseudo-terminal that socat makes and links where the Wine prefix
// expects COM20. One table: files sent to rx and rb and received from sx and
// sb arrive byte for byte, in each block size; a transfer stopped or cut by
// a close tells the far end, and what follows shows in the list only once
// the line is quiet; the send part of the status bar, the menu and the list
// say what happens.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/app/transfer_peer.h"
#include "tests/support/test_support.h"

namespace {

// The file's bytes are those expected; a mismatch says where.
::testing::AssertionResult same_bytes(const std::string& expected, const std::string& path)
{
    std::string got = read_file(path);
    if (got == expected)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    return ::testing::AssertionFailure() << path << ": " << got.size() << " bytes, expected "
                                         << expected.size() << "; they differ from byte " << at;
}

bool grayed(int id)
{
    return (GetMenuState(main_dialog.menu(), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

bool listed(HWND dialog, const std::string& piece)
{
    for (const std::string& line : list_lines(dialog))
        if (line.find(piece) != std::string::npos)
            return true;
    return false;
}

// The list's lines but the marks of a transfer ("-- COM20 ... --"), joined.
std::string unmarked_lines(HWND dialog)
{
    std::string text;
    for (const std::string& line : list_lines(dialog))
        if (line.compare(0, 9, "-- COM20 ") != 0)
            text += "[" + line + "]";
    return text;
}

bool progress_bar_shown()
{
    HWND bar = GetDlgItem(main_dialog.status_bar(), IDC_SEND_PROGRESS);
    return bar && IsWindowVisible(bar);
}

TEST(Transfer, EachDirectionBlockSizeAndProgram)
{
    enum class Cut { none, stop_sending, close_port, escape };
    struct Row {
        const char* what;
        int command;          // the Send menu's item
        const char* peer;     // run on the far end in the row's folder
        size_t size;          // of image.bin
        int pads;             // its last bytes 0x1A
        bool one_k, remove_padding;  // the Send menu's XMODEM options
        Cut cut;              // done once 20,000 bytes have moved
        bool events_only;     // the transfer's timer stopped once bytes move
        const char* status;   // what the send part then begins with
        const char* result;   // the file that arrives ("" when not checked)
        size_t result_size;   // image.bin's bytes up to it, then 0x1A
        const char* list;     // the list's lines besides the marks
    } const rows[] = {
        {"XMODEM to rx -c, then its prompt", IDM_SEND_XMODEM, "rx -c -q received.bin; echo prompt", 3000, 0,
         false, false, Cut::none, false, "Sent image.bin by XMODEM: 3,000 bytes in ", "received.bin", 3072, "[prompt]"},
        {"XMODEM-1K to rx -c", IDM_SEND_XMODEM, "rx -c -q received.bin", 3000, 0,
         true, false, Cut::none, false, "Sent image.bin by XMODEM: 3,000 bytes in ", "received.bin", 3072, ""},
        {"YMODEM to rb", IDM_SEND_YMODEM, "(cd in && rb -q)", 5000, 0,
         false, false, Cut::none, false, "Sent image.bin by YMODEM: 5,000 bytes in ", "in\\image.bin", 5000, ""},
        // XMODEM can't tell its padding from the file: it is kept.
        {"XMODEM from sx, then its prompt", IDM_RECEIVE_XMODEM, "sx -q image.bin; echo prompt", 2500, 0,
         false, false, Cut::none, false, "Received got.bin by XMODEM: 2,560 bytes in ", "got.bin", 2560, "[prompt]"},
        {"XMODEM-1K from sx -k, padding removed", IDM_RECEIVE_XMODEM, "sx -k -q image.bin", 2500, 0,
         false, true, Cut::none, false, "Received got.bin by XMODEM: 2,500 bytes in ", "got.bin", 2500, ""},
        // 800 blocks of 128 bytes, each answered as it comes.
        {"XMODEM from sx, ending in 0x1A, by events alone", IDM_RECEIVE_XMODEM, "sx -q image.bin", 102400, 3,
         false, false, Cut::none, true, "Received got.bin by XMODEM: 102,400 bytes in ", "got.bin", 102400, ""},
        {"YMODEM from sb", IDM_RECEIVE_YMODEM, "sb -q image.bin", 4000, 0,
         false, false, Cut::none, false, "Received image.bin by YMODEM: 4,000 bytes in ", "in\\image.bin", 4000, ""},
        // The rest of the block and sx's answers are swallowed; its text 2 s later is not.
        {"Stop sending during XMODEM from sx", IDM_RECEIVE_XMODEM, "sx -q image.bin; sleep 2; echo after", 2000000, 0,
         false, false, Cut::stop_sending, false, "Receiving got.bin by XMODEM failed: Cancelled", "", 0, "[after]"},
        // rx is told at once and ends, rather than waiting out its time-outs.
        {"Close during XMODEM to rx -c", IDM_SEND_XMODEM, "rx -c -q received.bin; echo $? > rx.status", 2000000, 0,
         false, false, Cut::close_port, false, "Sending image.bin by XMODEM failed: Cancelled", "", 0, ""},
        // Escape in the empty command field ends the program; rx is told first.
        {"Escape during XMODEM to rx -c", IDM_SEND_XMODEM, "rx -c -q received.bin; echo $? > rx.status", 2000000, 0,
         false, false, Cut::escape, false, "", "", 0, ""},
    };
    for (const Row& row : rows) {
        std::string folder = peer_folder("table");
        const std::string bytes = test_bytes(row.size, row.pads);
        ASSERT_TRUE(write_file(folder + "image.bin", bytes));
        ASSERT_TRUE(CreateDirectoryA((folder + "in").c_str(), nullptr));
        bool sending = row.command == IDM_SEND_XMODEM || row.command == IDM_SEND_YMODEM;
        const char* target = row.command == IDM_RECEIVE_XMODEM ? "got.bin"
                             : row.command == IDM_RECEIVE_YMODEM ? "in\\any name" : "image.bin";
        with_peer(folder, row.peer, [&](HWND dialog) {
            main_dialog.settings().view.xmodem_1k = row.one_k;
            main_dialog.settings().view.xmodem_remove_padding = row.remove_padding;
            choose(dialog, row.command, folder + target);
            start_peer(folder);
            EXPECT_TRUE(grayed(IDM_SEND_FILE)) << row.what;
            EXPECT_FALSE(grayed(IDM_STOP_SENDING)) << row.what;
            if (row.events_only) {
                ASSERT_TRUE(pump_until([] { return bytes_shown() > 0; }, 20000)) << row.what << ": " << send_part();
                KillTimer(dialog, transfer_timer_id);
            }
            if (row.cut != Cut::none) {
                ASSERT_TRUE(pump_until([] { return bytes_shown() >= 20000; }, 20000)) << row.what << ": " << send_part();
                // Without a size the bytes and the rate show, and no bar.
                if (row.command == IDM_RECEIVE_XMODEM) {
                    EXPECT_NE(std::string::npos, send_part().find(" bytes/s")) << row.what << ": " << send_part();
                    EXPECT_FALSE(progress_bar_shown()) << row.what;
                }
                if (row.cut == Cut::escape) {
                    PostMessageA(main_dialog.command_edit(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                    return;
                }
                command(dialog, row.cut == Cut::stop_sending ? IDM_STOP_SENDING : IDM_CLOSE);
            }
            EXPECT_TRUE(send_part_begins(row.status, 30000)) << row.what << ": " << send_part();
            EXPECT_FALSE(grayed(IDM_SEND_FILE)) << row.what;
            EXPECT_TRUE(grayed(IDM_STOP_SENDING)) << row.what;
            if (row.cut == Cut::close_port)
                EXPECT_TRUE(pump_until([&] { return read_file(folder + "rx.status").size() > 0; }, 5000))
                    << row.what << ": rx did not end";
            std::string kind = std::string(row.command == IDM_SEND_XMODEM || row.command == IDM_RECEIVE_XMODEM ? "XMODEM" : "YMODEM") +
                               (sending ? " send " : " receive ");
            EXPECT_TRUE(listed(dialog, "-- COM20 " + kind + "began ")) << row.what << ": no mark of the start";
            EXPECT_TRUE(listed(dialog, "-- COM20 " + kind + "ended ")) << row.what << ": no mark of the end";
            if (row.list[0])
                pump_until([&] { return !unmarked_lines(dialog).empty(); }, 5000);
            else
                pump_until([] { return false; }, 300);
            EXPECT_EQ(row.list, unmarked_lines(dialog)) << row.what;
        });
        if (row.result[0]) {
            std::string expected = bytes.substr(0, row.result_size < row.size ? row.result_size : row.size);
            expected.resize(row.result_size, '\x1a');
            EXPECT_TRUE(same_bytes(expected, folder + row.result)) << row.what;
        }
        if (row.cut == Cut::close_port || row.cut == Cut::escape) {
            std::string status = read_file(folder + "rx.status");
            EXPECT_TRUE(!status.empty() && status != "0\n") << row.what << ": rx ended with " << status;
        }
        remove_tree(folder);
    }
    main_dialog.settings().view.xmodem_1k = 0;
    main_dialog.settings().view.xmodem_remove_padding = 0;
}

}  // namespace

namespace {

// Runs `command_id` with no port open: no dialog comes up (one that did
// would be cancelled) and the send part says why.
std::string refused_without_port(HWND dialog, int command_id)
{
    when_window_opens(WindowQuery{"#32770", nullptr, dialog},
                      [](HWND open) { PostMessageA(open, WM_COMMAND, IDCANCEL, 0); });
    command(dialog, command_id);
    EXPECT_FALSE(window_was_driven()) << "a file dialog came up for command " << command_id;
    return send_part();
}

TEST(Transfer, NothingStartsWithThePortClosed)
{
    DeleteFileA((device_folder() + "com20").c_str());
    run_main_window([&](HWND dialog) {
        port_setup_dialog.settings.Port = 20;
        ASSERT_TRUE(wait_for_first_open_attempt(5000)) << "no first tick";
        ASSERT_EQ(0, serial_channel.is_open) << "COM20 opened with no line there";
        EXPECT_EQ("Not sent: the port is not open", refused_without_port(dialog, IDM_SEND_XMODEM));
        EXPECT_EQ("Not received: the port is not open",
                  refused_without_port(dialog, IDM_RECEIVE_YMODEM));
        EXPECT_FALSE(grayed(IDM_SEND_YMODEM));
        EXPECT_TRUE(grayed(IDM_STOP_SENDING));
    });
}

}  // namespace
