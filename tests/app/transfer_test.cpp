// XMODEM and YMODEM through the real window, with lrzsz on the far end of
// COM20: a pseudo-terminal that socat makes and links where the Wine prefix
// expects COM20. A file sent to rx and to rb, and one received from sx and
// from sb, arrives byte for byte; the send part of the status bar, the menu
// and the list say what happens.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/support/test_support.h"

namespace {

std::string unix_path(const std::string& windows_path)
{
    std::string path = windows_path.substr(windows_path.size() >= 2 && windows_path[1] == ':' ? 2 : 0);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

// The device folder, where the prefix maps COM20 to the link "com20".
std::string device_folder()
{
    char path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("QUORVEX_DEVICE_PORT_FILE", path, sizeof path);
    std::string file(path, length < sizeof path ? length : 0);
    return file.substr(0, file.rfind('\\') + 1);
}

// Bytes of every value, CAN and the padding byte among them; the last is
// not the padding byte, which XMODEM can't tell from the padding.
std::string test_bytes(size_t count)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += static_cast<char>((i * 37 + i / 251) & 0xff);
    bytes.back() = 'E';
    return bytes;
}

std::string send_part()
{
    return status_text(4);
}

bool send_part_begins(const std::string& start, DWORD milliseconds)
{
    return pump_until([&] { return send_part().compare(0, start.size(), start) == 0; },
                      milliseconds);
}

// A fresh folder beside the device's links: on drive Z:, so that its Unix
// path is known to the peer's shell.
std::string peer_folder(const char* tag)
{
    std::string folder = device_folder() + "transfer-" + tag + "\\";
    remove_tree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

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

// Chooses `path` in the Open or Save As dialog that `command_id` brings up.
void choose(HWND dialog, int command_id, const std::string& path)
{
    when_window_opens(WindowQuery{"#32770", nullptr, dialog}, [path](HWND open) {
        SetDlgItemTextA(open, 0x47c, path.c_str());
        SetDlgItemTextA(open, 0x480, path.c_str());
        PostMessageA(open, WM_COMMAND, IDOK, 0);
    });
    command(dialog, command_id);
    EXPECT_TRUE(window_was_driven()) << "the file dialog never came up";
}

// Lets the peer of with_peer begin, once the window is ready for its first
// byte.
void start_peer(const std::string& folder)
{
    ASSERT_TRUE(write_file(folder + "go", ""));
}

// Puts `peer` (a shell line run in `folder` once the script calls
// start_peer, its messages kept in peer.log) on the far end of COM20, runs
// `script` in the window with COM20 open, then waits for the peer to end.
// The peer is given a minute at most.
void with_peer(const std::string& folder, const std::string& peer,
               const std::function<void(HWND)>& script)
{
    // Wine sees no file behind a link to a pseudo-terminal: the shell says
    // when the link is there. The peer talks to socat through a socket
    // pair, not a terminal of its own: lrzsz flushes its terminal as it
    // ends, which on a pseudo-terminal would drop its last answer before
    // socat has passed it on.
    std::string link = unix_path(device_folder() + "com20");
    // The line stays a second after the peer ends, as a device's would:
    // its last answer must not go with the line.
    ASSERT_TRUE(write_file(folder + "peer.sh", "while [ ! -e go ]; do sleep 0.05; done\n{ " +
                                                   peer + "; } 2>peer.log\nsleep 2\n"));
    ASSERT_TRUE(write_file(folder + "line.sh",
                           "cd '" + unix_path(folder) + "'\nrm -f " + link +
                               "\n(while [ ! -e " + link +
                               " ]; do sleep 0.1; done; touch line.ready) &\n"
                               "timeout 60 socat PTY,link=" + link +
                               ",raw,echo=0 'EXEC:sh peer.sh'\n"
                               "echo $? > peer.done\n"));
    ASSERT_TRUE(start_process("/bin/sh " + unix_path(folder) + "line.sh"));
    ASSERT_TRUE(pump_until([&] { return GetFileAttributesA((folder + "line.ready").c_str()) !=
                                        INVALID_FILE_ATTRIBUTES; },
                           10000))
        << "socat made no line at " << link;
    bool finished = false;
    run_main_window([&](HWND dialog) {
        port_setup_dialog.settings.Port = 20;
        port_setup_dialog.settings.Baud = 115200;
        ASSERT_TRUE(wait_for_first_open_attempt(5000)) << "no first tick";
        ASSERT_EQ(1, serial_channel.is_open) << status_text();
        command(dialog, IDM_VIEW_LINES);
        script(dialog);
        finished = true;
    });
    EXPECT_TRUE(finished) << "the script did not run to its end";
    EXPECT_TRUE(pump_until([&] { return GetFileAttributesA((folder + "peer.done").c_str()) !=
                                        INVALID_FILE_ATTRIBUTES; },
                           20000))
        << "the peer did not end";
    if (::testing::Test::HasFailure())
        printf("%s said:\n%s\n", peer.c_str(), read_file(folder + "peer.log").c_str());
}

TEST(Transfer, XmodemSendsAFileToRx)
{
    std::string folder = peer_folder("xmodem");
    const std::string bytes = test_bytes(3000);
    ASSERT_TRUE(write_file(folder + "image.bin", bytes));
    with_peer(folder, "rx -c -q received.bin", [&](HWND dialog) {
        choose(dialog, IDM_SEND_XMODEM, folder + "image.bin");
        start_peer(folder);
        EXPECT_TRUE(grayed(IDM_SEND_FILE));
        EXPECT_TRUE(grayed(IDM_SEND_YMODEM));
        EXPECT_FALSE(grayed(IDM_STOP_SENDING));
        EXPECT_TRUE(send_part_begins("Sent image.bin by XMODEM: 3,000 bytes in ", 30000))
            << send_part();
        EXPECT_FALSE(grayed(IDM_SEND_FILE));
        EXPECT_FALSE(grayed(IDM_SEND_XMODEM));
        EXPECT_TRUE(grayed(IDM_STOP_SENDING));
        EXPECT_TRUE(listed(dialog, "-- COM20 XMODEM send began ")) << "no mark of the start";
        EXPECT_TRUE(listed(dialog, "-- COM20 XMODEM send ended ")) << "no mark of the end";
        // Only marks (the line's loss may follow once rx is gone).
        std::string shown;
        bool marks_only = true;
        for (const std::string& line : list_lines(dialog)) {
            shown += line + "\n";
            marks_only = marks_only && line.compare(0, 9, "-- COM20 ") == 0;
        }
        EXPECT_TRUE(marks_only) << "protocol bytes in the list:\n" << shown;
    });
    // The last block is filled up to 128 bytes.
    EXPECT_TRUE(same_bytes(bytes + std::string(3072 - 3000, '\x1a'), folder + "received.bin"));
    remove_tree(folder);
}

TEST(Transfer, YmodemSendsAFileToRb)
{
    std::string folder = peer_folder("ymodem");
    const std::string bytes = test_bytes(5000);
    ASSERT_TRUE(write_file(folder + "image.bin", bytes));
    ASSERT_TRUE(CreateDirectoryA((folder + "in").c_str(), nullptr));
    with_peer(folder, "(cd in && rb -q)", [&](HWND dialog) {
        choose(dialog, IDM_SEND_YMODEM, folder + "image.bin");
        start_peer(folder);
        EXPECT_TRUE(send_part_begins("Sent image.bin by YMODEM: 5,000 bytes in ", 30000))
            << send_part();
        EXPECT_TRUE(listed(dialog, "-- COM20 YMODEM send ended ")) << "no mark of the end";
    });
    EXPECT_TRUE(same_bytes(bytes, folder + "in\\image.bin"));
    remove_tree(folder);
}

TEST(Transfer, XmodemReceivesAFileFromSx)
{
    std::string folder = peer_folder("xmodem");
    const std::string bytes = test_bytes(2500);
    ASSERT_TRUE(write_file(folder + "image.bin", bytes));
    with_peer(folder, "sx -q image.bin", [&](HWND dialog) {
        choose(dialog, IDM_RECEIVE_XMODEM, folder + "got.bin");
        start_peer(folder);
        EXPECT_TRUE(send_part_begins("Received got.bin by XMODEM: 2,500 bytes in ", 30000))
            << send_part();
        EXPECT_TRUE(listed(dialog, "-- COM20 XMODEM receive ended ")) << "no mark of the end";
    });
    EXPECT_TRUE(same_bytes(bytes, folder + "got.bin"));
    remove_tree(folder);
}

TEST(Transfer, YmodemReceivesAFileFromSbIntoTheChosenFolder)
{
    std::string folder = peer_folder("ymodem");
    const std::string bytes = test_bytes(4000);
    ASSERT_TRUE(write_file(folder + "image.bin", bytes));
    ASSERT_TRUE(CreateDirectoryA((folder + "in").c_str(), nullptr));
    with_peer(folder, "sb -q image.bin", [&](HWND dialog) {
        choose(dialog, IDM_RECEIVE_YMODEM, folder + "in\\any name");
        start_peer(folder);
        EXPECT_TRUE(send_part_begins("Received image.bin by YMODEM: 4,000 bytes in ", 30000))
            << send_part();
    });
    EXPECT_TRUE(same_bytes(bytes, folder + "in\\image.bin"));
    remove_tree(folder);
}

// Stop sending ends a transfer that waits for its receiver.
TEST(Transfer, StopSendingCancels)
{
    std::string folder = peer_folder("xmodem");
    ASSERT_TRUE(write_file(folder + "image.bin", test_bytes(2000)));
    with_peer(folder, "sleep 3", [&](HWND dialog) {
        choose(dialog, IDM_SEND_XMODEM, folder + "image.bin");
        start_peer(folder);
        command(dialog, IDM_STOP_SENDING);
        EXPECT_TRUE(send_part_begins("Sending image.bin by XMODEM failed: Cancelled", 3000))
            << send_part();
        EXPECT_TRUE(grayed(IDM_STOP_SENDING));
    });
    remove_tree(folder);
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
