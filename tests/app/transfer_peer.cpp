// The far end of COM20 for the transfer tests and the transfer benchmark:
// lrzsz's programs behind socat, and the window's side of a transfer.
#include "tests/app/transfer_peer.h"
#include <gtest/gtest.h>
#include <commctrl.h>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/support/test_support.h"

std::string device_folder()
{
    char path[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("QUORVEX_DEVICE_PORT_FILE", path, sizeof path);
    std::string file(path, length < sizeof path ? length : 0);
    return file.substr(0, file.rfind('\\') + 1);
}

std::string test_bytes(size_t count, int pads)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += static_cast<char>((i * 37 + i / 251) & 0xff);
    bytes[count - 1 - pads] = 'E';
    for (int k = 1; k <= pads; ++k)
        bytes[count - k] = '\x1a';
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

std::string peer_folder(const char* tag)
{
    std::string folder = device_folder() + "transfer-" + tag + "\\";
    remove_tree(folder);
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

uint64_t bytes_shown()
{
    std::vector<uint64_t> numbers;
    std::string text = send_part();
    size_t at = text.find("MODEM ");
    for (bool in_number = false; at != std::string::npos && at < text.size(); ++at) {
        char c = text[at];
        if (c >= '0' && c <= '9') {
            if (!in_number)
                numbers.push_back(0);
            numbers.back() = numbers.back() * 10 + static_cast<uint64_t>(c - '0');
            in_number = true;
        } else if (c != ',') {
            in_number = false;
        }
    }
    return numbers.size() == 3 ? numbers[1] : numbers.empty() ? 0 : numbers[0];
}

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

void start_peer(const std::string& folder)
{
    ASSERT_TRUE(write_file(folder + "go", ""));
}

::testing::AssertionResult start_line(const std::string& folder, const std::string& setup,
                                      const std::string& far_end, int seconds)
{
    std::string link = unix_path(device_folder() + "com20");
    if (!write_file(folder + "line.sh",
                    "cd '" + unix_path(folder) + "'\nrm -f " + link + "\n(while [ ! -e " + link +
                        " ]; do sleep 0.1; done; touch line.ready) &\n" + setup + "timeout " +
                        std::to_string(seconds) + " socat PTY,link=" + link + ",raw,echo=0 " +
                        far_end + "\necho $? > peer.done\n"))
        return ::testing::AssertionFailure() << "could not write " << folder << "line.sh";
    if (!start_process("/bin/sh " + unix_path(folder) + "line.sh"))
        return ::testing::AssertionFailure() << "could not start the line's shell";
    if (!pump_until([&] { return GetFileAttributesA((folder + "line.ready").c_str()) !=
                                 INVALID_FILE_ATTRIBUTES; },
                    10000))
        return ::testing::AssertionFailure() << "socat made no line at " << link;
    return ::testing::AssertionSuccess();
}

void with_peer(const std::string& folder, const std::string& peer,
               const std::function<void(HWND)>& script)
{
    // Wine sees no file behind a link to a pseudo-terminal: the shell says
    // when the link is there. The peer talks to socat through a socket
    // pair, not a terminal of its own: lrzsz flushes its terminal as it
    // ends, which on a pseudo-terminal would drop its last answer before
    // socat has passed it on.
    // The line stays a second after the peer ends, as a device's would:
    // its last answer must not go with the line.
    ASSERT_TRUE(write_file(folder + "peer.sh", "while [ ! -e go ]; do sleep 0.05; done\n{ " +
                                                   peer + "; } 2>peer.log\nsleep 2\n"));
    ASSERT_TRUE(start_line(folder, "", "'EXEC:sh peer.sh'", 60));
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

