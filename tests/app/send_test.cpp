// The Send menu through the real window: a file, a paced command, the
// repeat and the macro keys reach the device; a held line never holds the
// window; the send part of the status bar says what happens.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "settings/send_settings.h"
#include "tests/app/main_window_driver.h"
#include "tests/serial/platform_spy.h"
#include "tests/support/test_support.h"
#include "tools/vdev/pattern.h"

namespace {

// Chooses `path` in the Send file dialog, found by its class and its owner.
void send_file(HWND dialog, const std::string& path)
{
    when_window_opens(WindowQuery{"#32770", nullptr, dialog}, [path](HWND open) {
        SetDlgItemTextA(open, 0x47c, path.c_str());
        SetDlgItemTextA(open, 0x480, path.c_str());
        PostMessageA(open, WM_COMMAND, IDOK, 0);
    });
    command(dialog, IDM_SEND_FILE);
    EXPECT_TRUE(window_was_driven()) << "the Open dialog never came up";
}

std::string send_part()
{
    return status_text(4);
}

bool wait_for_send_part(const std::string& expected, DWORD milliseconds)
{
    return pump_until([&] { return send_part() == expected; }, milliseconds);
}

std::string pattern_bytes(size_t count)
{
    std::string bytes;
    for (size_t i = 0; i < count; ++i)
        bytes += static_cast<char>(vdev::pattern_byte_at(i));
    return bytes;
}

// The progress bar's own visibility, whether or not the window is shown.
bool bar_shown()
{
    HWND bar = GetDlgItem(main_dialog.status_bar(), IDC_SEND_PROGRESS);
    return bar && (GetWindowLongPtrA(bar, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool grayed(int id)
{
    return (GetMenuState(main_dialog.menu(), id, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

size_t occurrences(const std::string& text, const std::string& piece)
{
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

// A file's bytes go out raw and whole; a command typed meanwhile follows it.
TEST(Send, AFileGoesOutWholeAndACommandWaitsBehindIt)
{
    std::string folder = make_temp_folder("send");
    const std::string bytes = pattern_bytes(3000);
    ASSERT_TRUE(write_file(folder + "image.bin", bytes));
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        // Held, the line keeps the file going: unheld, the writer can send
        // all 3,000 bytes before the window has looked at it.
        ASSERT_TRUE(device.hold(1)) << device.last_reply();
        send_file(dialog, folder + "image.bin");
        EXPECT_TRUE(main_dialog.sender().sending_file()) << "no file after Open";
        SetWindowTextA(command_combo.hwnd, "AT");
        command(dialog, IDC_SEND);
        ASSERT_TRUE(device.release(1)) << device.last_reply();
        std::string got = wait_for_received(device, 3003, 10000);
        EXPECT_EQ(bytes + "AT\r", got) << got.size() << " bytes";
        EXPECT_TRUE(wait_for_send_part("Sent image.bin: 3,000 bytes", 3000)) << send_part();
        EXPECT_FALSE(grayed(IDM_SEND_FILE));
        EXPECT_TRUE(grayed(IDM_STOP_SENDING));
        EXPECT_FALSE(bar_shown());

        // A file another program holds locked is refused and named.
        HANDLE locked = CreateFileA((folder + "image.bin").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, locked);
        send_file(dialog, folder + "image.bin");
        CloseHandle(locked);
        EXPECT_FALSE(main_dialog.sender().sending_file());
        EXPECT_EQ("Could not read image.bin", send_part());
    });
    remove_tree(folder);
}

// A rate changed on the open port is the rate a file keeps to: at 9600 the
// file would take 52 s, at 921600 half a second.
TEST(Send, AFileKeepsToTheRateSetOnTheOpenPort)
{
    std::string folder = make_temp_folder("send");
    const std::string bytes = pattern_bytes(50000);
    ASSERT_TRUE(write_file(folder + "fast.bin", bytes));
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        ASSERT_EQ(9600u, serial_channel.applied_line.BaudRate);
        port_setup_dialog.settings.Baud = 921600;
        main_dialog.session().line_changed(port_setup_dialog.settings);
        ASSERT_EQ(921600u, serial_channel.applied_line.BaudRate);
        DWORD start = GetTickCount();
        send_file(dialog, folder + "fast.bin");
        std::string got = wait_for_received(device, bytes.size(), 26000);
        EXPECT_EQ(bytes.size(), got.size()) << "after " << GetTickCount() - start << " ms";
    });
    remove_tree(folder);
}

// Runs on a thread of its own: asks the window for an answer every 50 ms
// and keeps the slowest.
DWORD WINAPI probe_window(LPVOID slowest)
{
    for (int i = 0; i < 12; ++i) {
        DWORD start = GetTickCount();
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(main_dialog.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer))
            *static_cast<DWORD*>(slowest) = 9999;
        DWORD took = GetTickCount() - start;
        if (took > *static_cast<DWORD*>(slowest))
            *static_cast<DWORD*>(slowest) = took;
        Sleep(50);
    }
    return 0;
}

// While the device holds the line the window answers at once and shows the
// file's progress, then why it waits; Stop sending and Close end the
// transfer at once (the driver's time-out would end it 5 s on) and say how
// far it came.
TEST(Send, AHeldFileNeverHoldsTheWindowAndEndsAtOnce)
{
    std::string folder = make_temp_folder("send");
    ASSERT_TRUE(write_file(folder + "big.bin", pattern_bytes(204800)));
    SpyPatch status("ClearCommError");
    ASSERT_TRUE(status.active());
    const int ending[] = {IDM_STOP_SENDING, IDM_CLOSE};
    DeviceClient device;
    for (int end : ending) {
        spy.invented_hold = 0;
        with_open_port(device, "silent", [&](HWND dialog) {
            // Fast enough that the line's rate never keeps the file back.
            command(dialog, IDM_CLOSE);
            port_setup_dialog.settings.Baud = 921600;
            command(dialog, IDM_OPEN);
            ASSERT_TRUE(wait_for_open_attempt(5000));
            ASSERT_TRUE(device.hold(1)) << device.last_reply();
            send_file(dialog, folder + "big.bin");
            ASSERT_TRUE(main_dialog.sender().sending_file()) << "end " << end;
            EXPECT_FALSE(grayed(IDM_STOP_SENDING));
            EXPECT_TRUE(grayed(IDM_SEND_FILE));
            ASSERT_TRUE(wait_for_ticks(2, 3000)) << "end " << end << ": no ticks";
            std::string progress = send_part();
            unsigned percent = 999;
            char sent[32] = {};
            EXPECT_EQ(2, sscanf(progress.c_str(), "\t\tbig.bin %u %% (%31[0-9,] of 204,800 bytes)",
                                &percent, sent))
                << "end " << end << ": " << progress;
            EXPECT_LT(percent, 100u) << "end " << end << ": " << progress;
            EXPECT_TRUE(bar_shown()) << "end " << end;
            // The port's state and the file's progress keep their whole
            // texts at the window's first size.
            EXPECT_EQ("", status_parts_cut_short(1)) << "end " << end;
            EXPECT_EQ(progress, shown_status_text(4)) << "end " << end;

            spy.invented_hold = 1;
            DWORD slowest = 0;
            HANDLE probe = CreateThread(nullptr, 0, probe_window, &slowest, 0, nullptr);
            ASSERT_NE(nullptr, probe);
            // Each of its twelve asks gives up after 2 s.
            ASSERT_TRUE(
                pump_until([&] { return WaitForSingleObject(probe, 0) == WAIT_OBJECT_0; }, 30000))
                << "end " << end << ": the probe did not end";
            CloseHandle(probe);
            printf("end %d: the window answered within %lu ms at the slowest\n", end, slowest);
            EXPECT_LT(slowest, 1000u) << "end " << end << ": the held line held the window";
            EXPECT_TRUE(wait_for_send_part("Sending held: CTS is low", 3000)) << send_part();

            DWORD start = GetTickCount();
            command(dialog, end);
            SendProgress now = {};
            ASSERT_TRUE(pump_until([&] {
                serial_channel.writer.progress(now);
                return now.file_state == file_stopped;
            }, 10000)) << "end " << end << ": the transfer did not stop";
            DWORD took = GetTickCount() - start;
            printf("end %d: the transfer ended after %lu ms\n", end, took);
            EXPECT_LT(took, 2500u) << "end " << end << ": the transfer waited for the driver";
            spy.invented_hold = 0;
            EXPECT_TRUE(pump_until([] { return send_part().find("Sending stopped") == 0; }, 5000))
                << "end " << end << ": the send part did not say the file stopped";
            std::string stopped = send_part();
            EXPECT_EQ(0u, stopped.find("Sending stopped: big.bin, ")) << stopped;
            EXPECT_NE(std::string::npos, stopped.find(" of 204,800 bytes")) << stopped;
            EXPECT_FALSE(main_dialog.sender().sending_file());
            EXPECT_FALSE(bar_shown());
        });
        device.release(1);
    }
    remove_tree(folder);
}

// A device that goes away ends the file and the repeat.
TEST(Send, ALostPortEndsTheFileAndTheRepeat)
{
    std::string folder = make_temp_folder("send");
    ASSERT_TRUE(write_file(folder + "lost.bin", pattern_bytes(204800)));
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        main_dialog.settings().reopen = 0;
        ASSERT_TRUE(device.hold(1)) << device.last_reply();
        main_dialog.settings().send.repeat_ms = 100;
        command(dialog, IDM_REPEAT);
        send_file(dialog, folder + "lost.bin");
        ASSERT_TRUE(main_dialog.sender().sending_file());
        ASSERT_TRUE(device.vanish(1)) << device.last_reply();
        EXPECT_TRUE(pump_until([] { return status_text() == "Port was lost"; }, 5000))
            << status_text();
        EXPECT_EQ(0u, send_part().find("Sending stopped: lost.bin, ")) << send_part();
        EXPECT_EQ(0, main_dialog.sender().repeating());
        EXPECT_FALSE(main_dialog.sender().sending_file());
    });
    ASSERT_TRUE(device.come_back(1)) << device.last_reply();
    device.release(1);
    main_dialog.settings().send = SendSettings{};
    remove_tree(folder);
}

// With a delay the bytes go one write at a time and take at least the
// delays; without one a command is one write. Even where a wait ends only on
// the system's clock tick (15.6 ms), 2 ms a byte keeps close to 2 ms a byte.
TEST(Send, APacedCommandGoesOutByteByByte)
{
    const std::string long_command(199, 'x');
    const struct {
        int32_t char_delay, line_delay;
        std::string typed, sent;
        int writes;
        DWORD at_least_ms, at_most_ms;  // until the last byte arrives; 0: no bound
    } cases[] = {{0, 0, "AB\\rCD", "AB\rCD\r", 1, 0, 0},
                 {40, 0, "AB\\rCD", "AB\rCD\r", 6, 200, 0},
                 {0, 400, "AB\\rCD", "AB\rCD\r", 6, 400, 0},
                 // 0.4 s of delays, which waits rounded to the tick make 3.2 s.
                 {2, 0, long_command, long_command + "\r", 200, 398, 2000}};
    SpyPatch writes("WriteFile");
    SpyPatch single_waits("WaitForSingleObject");
    SpyPatch multiple_waits("WaitForMultipleObjects");
    ASSERT_TRUE(writes.active() && single_waits.active() && multiple_waits.active());
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        click(dialog, IDC_ESCAPES);
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            const auto& c = cases[i];
            main_dialog.settings().send.char_delay = c.char_delay;
            main_dialog.settings().send.line_delay = c.line_delay;
            main_dialog.sender().apply_timing();
            device.clear(1);
            SetWindowTextA(command_combo.hwnd, c.typed.c_str());
            spy.write_calls = 0;
            DWORD start = GetTickCount();
            command(dialog, IDC_SEND);
            std::string got = wait_for_received(device, c.sent.size(), 5000);
            DWORD took = GetTickCount() - start;
            printf("case %u: the last byte arrived after %lu ms\n", static_cast<unsigned>(i), took);
            EXPECT_EQ(c.sent, got) << "case " << i;
            EXPECT_GE(took, c.at_least_ms) << "case " << i;
            if (c.at_most_ms)
                EXPECT_LE(took, c.at_most_ms) << "case " << i;
            pump_messages(c.line_delay + 100);
            EXPECT_EQ(c.writes, spy.write_calls) << "case " << i;
        }
    });
    main_dialog.settings().send = SendSettings{};
    main_dialog.sender().apply_timing();
}

// Repeats go out until unchecked, stay out of the history, and are skipped,
// never queued, while the last one is held.
TEST(Send, RepeatSendsTheFieldUntilUncheckedAndSkipsWhileHeld)
{
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        main_dialog.settings().send.repeat_ms = 100;
        SetWindowTextA(command_combo.hwnd, "R1");
        command(dialog, IDM_REPEAT);
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED),
                  GetMenuState(main_dialog.menu(), IDM_REPEAT, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_TRUE(pump_until([&] { return occurrences(device.received(1), "R1\r") >= 4; }, 5000))
            << "fewer than four repeats: " << device.received(1);
        command(dialog, IDM_REPEAT);
        EXPECT_TRUE(history(dialog).empty());
        // A command sent now goes out after the last repeat, and none follows it.
        SetWindowTextA(command_combo.hwnd, "M");
        command(dialog, IDC_SEND);
        ASSERT_TRUE(pump_until([&] { return device.received(1).find("M\r") != std::string::npos; },
                               5000)) << "the command after the repeats never went out";
        pump_messages(300);
        std::string got = device.received(1);
        EXPECT_EQ(occurrences(got, "R1\r") * 3 + 2, got.size()) << got;
        EXPECT_EQ(got.size() - 2, got.find("M\r")) << "sent after Repeat was unchecked: " << got;

        // Held for a while: one repeat waits, the others are skipped.
        device.clear(1);
        ASSERT_TRUE(device.hold(1));
        SetWindowTextA(command_combo.hwnd, "R1");
        command(dialog, IDM_REPEAT);
        pump_messages(800);
        command(dialog, IDM_REPEAT);
        ASSERT_TRUE(device.release(1));
        SetWindowTextA(command_combo.hwnd, "M");
        command(dialog, IDC_SEND);
        EXPECT_EQ("R1\rM\r", wait_for_received(device, 5, 5000)) << "more than one held repeat";

        // Close ends the repeat.
        command(dialog, IDM_REPEAT);
        command(dialog, IDM_CLOSE);
        EXPECT_EQ(0, main_dialog.sender().repeating());
        EXPECT_EQ(0u, GetMenuState(main_dialog.menu(), IDM_REPEAT, MF_BYCOMMAND) & MF_CHECKED);

        // Like Send, Repeat opens the closed port; a port that fails to open
        // leaves it unchecked.
        command(dialog, IDM_REPEAT);
        ASSERT_TRUE(wait_for_open_attempt(5000));
        EXPECT_EQ(1, serial_channel.is_open);
        EXPECT_EQ(1, main_dialog.sender().repeating());
        command(dialog, IDM_REPEAT);
        command(dialog, IDM_CLOSE);
        std::string reply;
        ASSERT_TRUE(device.command("VANISH COM1 nodevice", &reply)) << reply;
        command(dialog, IDM_REPEAT);
        ASSERT_TRUE(wait_for_open_attempt(5000));
        EXPECT_EQ(0, main_dialog.sender().repeating());
        EXPECT_EQ("Port failed to open", status_text());
        ASSERT_TRUE(device.come_back(1)) << device.last_reply();
    });
    main_dialog.settings().send = SendSettings{};
}

// What a key press in the window's loop does: whether the filter took it.
bool press(UINT message, UINT key, HWND target)
{
    MSG msg = {target, message, key, 1, GetTickCount(), {}};
    return CallMsgFilterA(&msg, MSGF_DIALOGBOX) != 0;
}

// Escape with nothing typed stops a file or a repeat going out and says so;
// the next Escape closes the window as before.
TEST(Send, EscapeStopsASendBeforeItClosesTheWindow)
{
    std::string folder = make_temp_folder("escape");
    ASSERT_TRUE(write_file(folder + "long.bin", pattern_bytes(102400)));
    // The command that starts the send, and how the send part begins after Escape.
    const std::pair<int, std::string> cases[] = {{IDM_REPEAT, "Repeat stopped"},
                                                 {IDM_SEND_FILE, "Sending stopped: long.bin, "}};
    DeviceClient device;
    for (const auto& c : cases) {
        with_open_port(device, "silent", [&](HWND dialog) {
            c.first == IDM_SEND_FILE ? send_file(dialog, folder + "long.bin") : command(dialog, c.first);
            SendPanel& sender = main_dialog.sender();
            ASSERT_TRUE(sender.sending_file() || sender.repeating()) << c.second << ": never began";
            HWND edit = main_dialog.command_edit();
            EXPECT_TRUE(press(WM_KEYDOWN, VK_ESCAPE, edit)) << c.second << ": the window closes";
            EXPECT_TRUE(pump_until([&] { return send_part().find(c.second) == 0; }, 5000)) << send_part();
            EXPECT_FALSE(sender.sending_file() || sender.repeating()) << c.second;
            EXPECT_FALSE(press(WM_KEYDOWN, VK_ESCAPE, edit)) << c.second << ": the second Escape";
        });
    }
    remove_tree(folder);
}

// F1..F12 send their macros, escapes expanded and the line end added,
// whatever has the focus; a key without a macro goes on (F10 to the menu).
TEST(Send, MacroKeysSendTheirTexts)
{
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        lstrcpyA(main_dialog.settings().send.macros[0], "AT\\x41\\t");
        lstrcpyA(main_dialog.settings().send.macros[9], "F10\\\\");
        HWND list = GetDlgItem(dialog, IDC_RECEIVED_LIST);
        const struct {
            UINT message, key;
            HWND target;
            bool taken;
            const char* sent;
        } cases[] = {
            {WM_KEYDOWN, VK_F1, main_dialog.command_edit(), true, "ATA\t\r"},
            {WM_KEYDOWN, VK_F1, list, true, "ATA\t\r"},
            {WM_KEYDOWN, VK_F2, list, false, ""},
            {WM_SYSKEYDOWN, VK_F10, main_dialog.command_edit(), true, "F10\\\r"},
            {WM_KEYDOWN, 'A', main_dialog.command_edit(), false, ""},
        };
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            device.clear(1);
            EXPECT_EQ(cases[i].taken, press(cases[i].message, cases[i].key, cases[i].target))
                << "case " << i;
            size_t length = strlen(cases[i].sent);
            if (length)
                wait_for_received(device, length, 3000);
            else
                pump_messages(200);
            EXPECT_EQ(cases[i].sent, device.received(1)) << "case " << i;
        }
        main_dialog.settings().send.macros[9][0] = '\0';
        EXPECT_FALSE(press(WM_SYSKEYDOWN, VK_F10, dialog)) << "F10 without a macro";
        // A key of a dialog the window opened stays that dialog's.
        HWND other = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   nullptr, nullptr);
        EXPECT_FALSE(press(WM_KEYDOWN, VK_F1, other));
        DestroyWindow(other);
    });
    main_dialog.settings().send = SendSettings{};
}

// A real key press goes through the window's own loop.
TEST(Send, F5PressedInTheWindowSendsItsMacro)
{
    DeviceClient device;
    ASSERT_TRUE(device.set_mode(1, "silent"));
    run_main_window([&](HWND) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        device.clear(1);
        lstrcpyA(main_dialog.settings().send.macros[4], "key");
        PostMessageA(main_dialog.command_edit(), WM_KEYDOWN, VK_F5, 0x003F0001);
        PostMessageA(main_dialog.command_edit(), WM_KEYUP, VK_F5, 0xC03F0001);
    });
    EXPECT_EQ("key\r", wait_for_received(device, 4, 3000));
    main_dialog.settings().send = SendSettings{};
}

// What holds the line back, and a command that could not go out whole.
TEST(Send, TheSendPartSaysWhatHoldsTheLine)
{
    SpyPatch status("ClearCommError");
    ASSERT_TRUE(status.active());
    const char* const texts[] = {"Sending held: CTS is low", "Sending held: XOFF received",
                                 "Sending held: DSR is low"};
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        ASSERT_TRUE(device.hold(1));
        SetWindowTextA(command_combo.hwnd, "HELD");
        command(dialog, IDC_SEND);
        for (int hold = 1; hold <= 3; ++hold) {
            spy.invented_hold = hold;
            EXPECT_TRUE(wait_for_send_part(texts[hold - 1], 2000))
                << "hold " << hold << ": " << send_part();
        }
        spy.invented_hold = 0;
        // The driver's time-out of about five seconds gives the command up.
        EXPECT_TRUE(wait_for_send_part("Sent 0 of 5 bytes", 9000)) << send_part();
        device.release(1);
        // The result stays through a new session of the port.
        command(dialog, IDM_CLOSE);
        command(dialog, IDM_OPEN);
        ASSERT_TRUE(wait_for_open_attempt(5000) && wait_for_ticks(2, 3000)) << "no new session";
        EXPECT_EQ("Sent 0 of 5 bytes", send_part());
    });
}

// While the line is held the writer holds one command and its queue sixteen
// more: all seventeen go out in order once the line moves again; the next is
// refused, said, and kept out of the history.
TEST(Send, SeventeenCommandsWaitForAHeldLineAndTheNextIsRefused)
{
    SpyPatch writes("WriteFile");
    ASSERT_TRUE(writes.active());
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        ASSERT_TRUE(device.hold(1)) << device.last_reply();
        spy.write_calls = 0;
        std::string sent;
        for (int i = 1; i <= 18; ++i) {
            char typed[8];
            wsprintfA(typed, "C%02d", i);
            SetWindowTextA(command_combo.hwnd, typed);
            command(dialog, IDC_SEND);
            if (i == 1)
                ASSERT_TRUE(pump_until([] { return spy.write_calls == 1; }, 3000));
            if (i <= 17)
                sent += std::string(typed) + "\r";
        }
        EXPECT_EQ("Not sent: the send queue is full", send_part());
        std::vector<std::string> kept = history(dialog);
        EXPECT_EQ(17u, kept.size());
        EXPECT_EQ("C17", kept.empty() ? "" : kept.front());
        ASSERT_TRUE(device.release(1)) << device.last_reply();
        EXPECT_EQ(sent, wait_for_received(device, sent.size(), 3000));
        // Whatever follows comes next: the refused command never goes out.
        SetWindowTextA(command_combo.hwnd, "END");
        command(dialog, IDC_SEND);
        EXPECT_EQ(sent + "END\r", wait_for_received(device, sent.size() + 4, 3000));
    });
}

// The dialogs change the settings only with OK and valid numbers: a delay
// out of range leaves Send options open for a second try.
void fill_options(HWND options)
{
    for (const char* char_delay : {"1001", "7"}) {
        SetDlgItemTextA(options, IDC_CHAR_DELAY, char_delay);
        SetDlgItemTextA(options, IDC_LINE_DELAY, "250");
        SetDlgItemTextA(options, IDC_REPEAT_MS, "60");
        SendMessageA(options, WM_COMMAND, IDOK, 0);
    }
}

void fill_macros(HWND macros)
{
    std::string long_text(250, 'm');
    SetDlgItemTextA(macros, IDC_MACRO_F1 + 2, "AT\\r");
    SendDlgItemMessageA(macros, IDC_MACRO_F1 + 11, WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(long_text.c_str()));
    SendMessageA(macros, WM_COMMAND, IDOK, 0);
}

TEST(Send, SendOptionsAndMacrosDialogsSetWhatTheyShow)
{
    run_main_window([&](HWND dialog) {
        main_dialog.settings_changed = 0;
        when_window_opens(WindowQuery{"#32770", "Send options", dialog}, fill_options);
        command(dialog, IDM_SEND_OPTIONS);
        ASSERT_TRUE(window_was_driven()) << "Send options never came up";
        EXPECT_EQ(7, main_dialog.settings().send.char_delay) << "the second try";
        EXPECT_EQ(250, main_dialog.settings().send.line_delay);
        EXPECT_EQ(60, main_dialog.settings().send.repeat_ms);
        EXPECT_EQ(7, serial_channel.writer.char_delay_ms);
        EXPECT_EQ(1, main_dialog.settings_changed);

        when_window_opens(WindowQuery{"#32770", "Macros", dialog}, fill_macros);
        command(dialog, IDM_MACROS);
        ASSERT_TRUE(window_was_driven()) << "Macros never came up";
        EXPECT_STREQ("AT\\r", main_dialog.settings().send.macros[2]);
        EXPECT_EQ(198u, strlen(main_dialog.settings().send.macros[11])) << "cut to the field's limit";
        EXPECT_STREQ("", main_dialog.settings().send.macros[0]);
        main_dialog.settings_changed = 0;
    });
    main_dialog.settings().send = SendSettings{};
    main_dialog.sender().apply_timing();
}

// A text that cannot be built beeps, says why in the send part, sends
// nothing and stays in the field, selected, out of the history; the same
// text refused by a macro key is said the same way.
TEST(Send, ARefusedFrameSendsNothingAndStaysInTheField)
{
    const struct {
        bool hex, escapes;
        const char* typed;
        const char* said;
    } cases[] = {
        {true, false, "01 0G", "Not hex: 0G"},
        {true, false, "01 0", "Not hex: 0"},
        {true, false, "01 {crc99}", "Unknown checksum: {crc99}"},
        {false, true, "AT{crc99}", "Unknown checksum: {crc99}"},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            const auto& c = cases[i];
            if (c.hex != (main_dialog.settings().view.hex == 1))
                click(dialog, IDC_HEX);
            if (c.escapes != (main_dialog.settings().view.escapes == 1))
                click(dialog, IDC_ESCAPES);
            device.clear(1);
            SetWindowTextA(command_combo.hwnd, c.typed);
            command(dialog, IDC_SEND);
            EXPECT_EQ(c.said, send_part()) << "case " << i;
            EXPECT_EQ(c.typed, command_text(dialog)) << "case " << i;
            DWORD start = 1, end = 0;
            SendMessageA(main_dialog.command_edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                         reinterpret_cast<LPARAM>(&end));
            EXPECT_EQ(0u, start) << "case " << i;
            EXPECT_EQ(strlen(c.typed), end) << "case " << i;
            EXPECT_TRUE(history(dialog).empty()) << "case " << i;
            ASSERT_TRUE(wait_for_ticks(2, 3000)) << "case " << i << ": no ticks";
            EXPECT_EQ("", device.received(1)) << "case " << i;
        }
        lstrcpyA(main_dialog.settings().send.macros[0], "AT{nope}");
        EXPECT_TRUE(press(WM_KEYDOWN, VK_F1, main_dialog.command_edit()));
        EXPECT_EQ("Unknown checksum: {nope}", send_part());

        // A good hex text repeats as it is sent, without a line end.
        click(dialog, IDC_HEX);
        ASSERT_EQ(1, main_dialog.settings().view.hex);
        main_dialog.settings().send.repeat_ms = 100;
        SetWindowTextA(command_combo.hwnd, "0102");
        command(dialog, IDM_REPEAT);
        std::string got = wait_for_received(device, 6, 3000);
        command(dialog, IDM_REPEAT);
        EXPECT_EQ(std::string("\x01\x02\x01\x02\x01\x02"), got.substr(0, 6)) << got.size();
        click(dialog, IDC_HEX);
        click(dialog, IDC_ESCAPES);
    });
    main_dialog.settings().send = SendSettings{};
}

// Fills in the Auto reply dialog: a reply that cannot be built, and those
// that would set their own rule off again ("ping" answering "ping", CR
// answered with the CR appended), are refused with the dialog left open and
// the field focused; then a good one is taken.
bool refused_fields_focused[3] = {};

void fill_auto_reply(HWND rules)
{
    const char* refused[][2] = {{"ping", "{crc99}"}, {"ping", "ping"}, {"\\r", "x"}};
    for (int i = 0; i < 3; ++i) {
        SetFocus(GetDlgItem(rules, IDC_AUTO_MATCH1));
        SetDlgItemTextA(rules, IDC_AUTO_MATCH1, refused[i][0]);
        SetDlgItemTextA(rules, IDC_AUTO_REPLY1, refused[i][1]);
        SendMessageA(rules, WM_COMMAND, IDOK, 0);
        refused_fields_focused[i] =
            IsWindow(rules) && GetFocus() == GetDlgItem(rules, IDC_AUTO_REPLY1);
    }
    SetDlgItemTextA(rules, IDC_AUTO_MATCH1, "ping");
    SetDlgItemTextA(rules, IDC_AUTO_REPLY1, "AT");
    SendMessageA(rules, WM_COMMAND, IDOK, 0);
}

// A rule answers its text however the device's writes split it, binary
// markers included; matches beyond ten replies a second are counted as
// skipped.
TEST(Send, AutoReplyAnswersWhatArrivesOnceEach)
{
    const struct {
        const char* mode;
        const char* match;
        const char* reply;
        std::vector<std::string> pieces;
        std::string sent;
        const char* said;  // the send part afterwards; null: not looked at
    } cases[] = {
        {"modem", "ping", "AT", {"pi", "ng"}, "AT\r", nullptr},
        {"silent", "\\x02?", "\\x06{sum8}", {"\x02", "?"}, "\x06\x06\r", nullptr},
        {"silent", "x", "y", {"xxxxxxxxxxxx"}, "y\ry\ry\ry\ry\ry\ry\ry\ry\ry\r",
         "Auto reply: 2 skipped"},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        when_window_opens(WindowQuery{"#32770", "Auto reply", dialog}, fill_auto_reply);
        main_dialog.settings_changed = 0;
        command(dialog, IDM_AUTO_REPLY_RULES);
        ASSERT_TRUE(window_was_driven());
        EXPECT_TRUE(refused_fields_focused[0]) << "a reply that cannot be built";
        EXPECT_TRUE(refused_fields_focused[1]) << "a reply that answers itself";
        EXPECT_TRUE(refused_fields_focused[2]) << "a rule its reply's line end sets off";
        EXPECT_STREQ("AT", main_dialog.settings().auto_reply.reply[0]);
        EXPECT_EQ(1, main_dialog.settings_changed);
        command(dialog, IDM_AUTO_REPLY);
        EXPECT_EQ(static_cast<UINT>(MF_CHECKED),
                  GetMenuState(main_dialog.menu(), IDM_AUTO_REPLY, MF_BYCOMMAND) & MF_CHECKED);
        command(dialog, IDM_VIEW_LINES);
        DWORD replied_at = GetTickCount() - 1000;
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            const auto& c = cases[i];
            // The last case's replies leave the rate's one-second window.
            pump_until([&] { return GetTickCount() - replied_at > 1000; }, 2000);
            AutoReplySettings& rules = main_dialog.settings().auto_reply;
            lstrcpyA(rules.match[0], c.match);
            lstrcpyA(rules.reply[0], c.reply);
            main_dialog.responder().show_settings();
            ASSERT_TRUE(device.set_mode(1, c.mode));
            device.clear(1);
            command(dialog, IDM_CLEAR_RECEIVED);
            for (const std::string& piece : c.pieces) {
                ASSERT_TRUE(device.send_bytes(1, piece)) << device.last_reply();
                ASSERT_TRUE(wait_for_ticks(2, 3000)) << "case " << i << ": no ticks";
            }
            EXPECT_EQ(c.sent, wait_for_received(device, c.sent.size(), 3000)) << "case " << i;
            replied_at = GetTickCount();
            // The modem's echo and its OK have come back and been read.
            if (!strcmp(c.mode, "modem"))
                EXPECT_TRUE(pump_until([&] {
                    std::vector<std::string> lines = list_lines(dialog);
                    return !lines.empty() && lines.back() == "OK";
                }, 3000)) << "case " << i;
            ASSERT_TRUE(wait_for_ticks(2, 3000)) << "case " << i << ": no ticks";
            EXPECT_EQ(c.sent, device.received(1)) << "case " << i << ": replied again";
            if (c.said)
                EXPECT_EQ(c.said, send_part()) << "case " << i;
        }
        command(dialog, IDM_AUTO_REPLY);
        EXPECT_EQ(0u, GetMenuState(main_dialog.menu(), IDM_AUTO_REPLY, MF_BYCOMMAND) & MF_CHECKED);
        device.clear(1);
        ASSERT_TRUE(device.send_bytes(1, "x"));
        ASSERT_TRUE(wait_for_ticks(3, 3000)) << "no ticks";
        EXPECT_EQ("", device.received(1)) << "replied while off";
        main_dialog.settings_changed = 0;
    });
    main_dialog.settings().auto_reply = AutoReplySettings{};
    main_dialog.responder().show_settings();
}

}  // namespace
