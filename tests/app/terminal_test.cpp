// Sending command lines with the history and the uppercase option, and the
// timer moving what the device sends into the list.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/support/test_support.h"
#include "tests/support/text_helpers.h"
#include "tools/vdev/pattern.h"

namespace {

// Runs `script` once the first tick has opened COM1, with the device in `mode`.
TEST(Terminal, TypedCommandInCapitalsGoesOutAndTheReplyBecomesOneSelectedLine)
{
    DeviceClient device;
    with_open_port(device, "modem", [&](HWND dialog) {
        click(dialog, IDC_USE_UPPERCASE);
        ASSERT_EQ(1, main_dialog.settings().upper);
        type_text("at");
        EXPECT_EQ("AT", command_text(dialog));
        command(dialog, IDOK);  // what Enter produces
        EXPECT_EQ("AT\r", wait_for_received(device, 3, 5000));
        ASSERT_TRUE(pump_until([&] { return joined(list_lines(dialog), "", "").size() >= 8; }, 5000))
            << "the echo and OK did not reach the list";
        std::vector<std::string> lines = list_lines(dialog);
        ASSERT_EQ(1u, lines.size()) << printable(joined(lines, "", ""));
        EXPECT_EQ("AT\r\nOK\r\n", lines[0]) << printable(lines[0]);
        EXPECT_EQ(0, list_selection(dialog));
        EXPECT_EQ(std::vector<std::string>{"AT"}, history(dialog));
        EXPECT_EQ(1, main_dialog.settings_changed);
        EXPECT_EQ(main_dialog.command_edit(), GetFocus());
    });
}

TEST(Terminal, EnterInTheCommandFieldSendsTheLine)
{
    // The key press goes through the window's own message loop, as a
    // user's does; the line is on the wire before the window closes.
    const struct {
        int line_end;
        const char* typed;
        const char* sent;
    } cases[] = {{IDC_SEND_CR, "at", "at\r"}, {IDC_SEND_LF, "ati", "ati\n"}};
    DeviceClient device;
    ASSERT_TRUE(device.set_mode(1, "silent")) << device.last_reply();
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        run_main_window([&](HWND dialog) {
            ASSERT_TRUE(wait_for_first_open_attempt(5000)) << "case " << i;
            device.flush(1);
            device.clear(1);
            click(dialog, cases[i].line_end);
            SetFocus(main_dialog.command_edit());
            type_text(cases[i].typed);
            PostMessageA(main_dialog.command_edit(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
            PostMessageA(main_dialog.command_edit(), WM_KEYUP, VK_RETURN, 0xC01C0001);
        });
        std::string sent = wait_for_received(device, strlen(cases[i].sent), 3000);
        EXPECT_EQ(cases[i].sent, sent) << "case " << i << ": sent " << printable(sent);
    }
}

TEST(Terminal, UppercaseFilterChangesOnlyTypedLettersAToZ)
{
    struct Case {
        int32_t upper;
        const char* typed;
        const char* shown;
    } cases[] = {
        {1, "at+cgmi?", "AT+CGMI?"},
        {1, "az{`@[09", "AZ{`@[09"},
        {1, "\xe9\xfc", "\xe9\xfc"},
        {0, "at+x", "at+x"},
    };
    run_main_window([&](HWND dialog) {
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            SetWindowTextA(command_combo.hwnd, "");
            main_dialog.settings().upper = cases[i].upper;
            type_text(cases[i].typed);
            EXPECT_EQ(cases[i].shown, command_text(dialog))
                << "case " << i << ": typed " << cases[i].typed;
        }
    });
}

TEST(Terminal, TerminatorFollowsTheChosenLineEnd)
{
    struct Case {
        int button;        // clicked first, 0 for none
        int32_t send_char; // set when no button is clicked
        const char* sent;
    } cases[] = {
        {IDC_SEND_CR, 0, "x1\r"},
        {IDC_SEND_LF, 0, "x1\n"},
        {0, 2, "x1\n"},  // a stored value above 1 also means LF
        {0, -1, "x1\n"},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            device.clear(1);
            if (cases[i].button)
                click(dialog, cases[i].button);
            else
                main_dialog.settings().send_char = cases[i].send_char;
            SetWindowTextA(command_combo.hwnd, "x1");
            command(dialog, IDC_SEND);
            std::string sent = wait_for_received(device, 3, 5000);
            EXPECT_EQ(cases[i].sent, sent) << "case " << i << ": sent " << printable(sent);
        }
    });
}

TEST(Terminal, EmptyLineSendsOnlyTheTerminatorAndLeavesTheHistory)
{
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        SendMessageA(command_combo.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("OLD"));
        main_dialog.settings_changed = 0;
        command(dialog, IDOK);
        EXPECT_EQ(std::vector<std::string>{"OLD"}, history(dialog));
        EXPECT_EQ(0, main_dialog.settings_changed);
        type_text("Z");  // sent next, it shows where the empty command ended
        command(dialog, IDOK);
        EXPECT_EQ("\rZ\r", wait_for_received(device, 3, 5000)) << "more than the terminator went out";
    });
}

TEST(Terminal, HistoryPutsTheNewestFirstAndReplacesEntriesRegardlessOfCase)
{
    struct Step {
        const char* typed;
        std::vector<std::string> history;
        const char* field;  // what the field shows after the send
    } steps[] = {
        {"one", {"one"}, "one"},
        {"two", {"two", "one"}, "two"},
        {"ABC", {"ABC", "two", "one"}, "ABC"},
        {"two", {"two", "ABC", "one"}, "two"},
        {"abc", {"abc", "two", "one"}, "abc"},
        {"ONE", {"ONE", "abc", "two"}, "ONE"},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
            SetWindowTextA(command_combo.hwnd, "");
            type_text(steps[i].typed);
            command(dialog, IDC_SEND);
            EXPECT_EQ(steps[i].history, history(dialog)) << "step " << i << ": sent "
                                                          << steps[i].typed;
            EXPECT_EQ(steps[i].field, command_text(dialog)) << "step " << i;
        }
    });
}

TEST(Terminal, FullLengthLineGoesOutWholeAndEntersTheHistoryWhole)
{
    std::string line;
    for (int i = 0; i < 200; ++i)
        line += static_cast<char>('A' + i % 26);
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        type_text(line.c_str());  // one more than the field takes
        std::string shown = command_text(dialog);
        ASSERT_EQ(199u, shown.size());
        ASSERT_EQ(line.substr(0, 199), shown);
        command(dialog, IDOK);
        std::string sent = wait_for_received(device, 200, 10000);
        EXPECT_EQ(shown + "\r", sent) << "sent " << sent.size() << " bytes";
        std::vector<std::string> entries = history(dialog);
        ASSERT_EQ(1u, entries.size());
        EXPECT_EQ(shown, entries[0]);

        // Text set from outside is not held to the limit; a send cuts it.
        std::string long_text(600, 'Q');
        SetWindowTextA(command_combo.hwnd, long_text.c_str());
        device.clear(1);
        command(dialog, IDOK);
        SetWindowTextA(command_combo.hwnd, "Z");  // where the cut one ended
        command(dialog, IDOK);
        sent = wait_for_received(device, 202, 10000);
        EXPECT_EQ(long_text.substr(0, 199) + "\rZ\r", sent) << "sent " << sent.size() << " bytes";
    });
}

TEST(Terminal, PastedLowercaseTextStaysInTheFieldButGoesOutInCapitals)
{
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        click(dialog, IDC_USE_UPPERCASE);
        ASSERT_TRUE(paste_text("at+cops?"));
        EXPECT_EQ("at+cops?", command_text(dialog));
        command(dialog, IDOK);
        EXPECT_EQ("AT+COPS?\r", wait_for_received(device, 9, 5000));
        EXPECT_EQ(std::vector<std::string>{"AT+COPS?"}, history(dialog));
        EXPECT_EQ("at+cops?", command_text(dialog)) << "a new command leaves the field";
    });
}

TEST(Terminal, SendingOnAClosedPortOpensItFirst)
{
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        command(dialog, IDM_CLOSE);
        ASSERT_EQ(0, serial_channel.is_open);
        type_text("ATI");
        command(dialog, IDOK);
        ASSERT_TRUE(wait_for_open_attempt(5000));
        EXPECT_EQ(1, serial_channel.is_open);
        EXPECT_EQ("Port is open", status_text());
        EXPECT_EQ("ATI\r", wait_for_received(device, 4, 5000));
    });
}

// Bytes waiting beyond one chunk all reach the list in the same tick, one
// line per chunk of at most 255 bytes, the newest selected.
TEST(Receiving, OneTickDrainsEverythingWaitingInChunksOf255)
{
    std::string data;
    for (int i = 0; i < 600; ++i)
        data += static_cast<char>(vdev::pattern_byte_at(i));
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        // The test delivers the one tick itself, once everything waits.
        KillTimer(dialog, 1);
        pump_messages(50);
        command(dialog, IDM_CLEAR_RECEIVED);
        ASSERT_TRUE(device.send_bytes(1, data)) << device.last_reply();
        ASSERT_TRUE(pump_until([] { return serial_channel.bytes_waiting() >= 600; }, 5000))
            << serial_channel.bytes_waiting() << " bytes waiting";
        SendMessageA(dialog, WM_TIMER, 1, 0);
        std::vector<std::string> lines = list_lines(dialog);
        ASSERT_EQ(3u, lines.size());
        EXPECT_EQ(data.substr(0, 255), lines[0]);
        EXPECT_EQ(data.substr(255, 255), lines[1]);
        EXPECT_EQ(data.substr(510), lines[2]);
        EXPECT_EQ(2, list_selection(dialog));
        EXPECT_EQ(0, serial_channel.bytes_waiting());

        // Ticks of other timers and ticks with nothing waiting add nothing.
        ASSERT_TRUE(device.send_bytes(1, "OK\r\n"));
        ASSERT_TRUE(pump_until([] { return serial_channel.bytes_waiting() >= 4; }, 5000));
        SendMessageA(dialog, WM_TIMER, 2, 0);
        EXPECT_EQ(3u, list_lines(dialog).size());
        SendMessageA(dialog, WM_TIMER, 1, 0);
        SendMessageA(dialog, WM_TIMER, 1, 0);
        lines = list_lines(dialog);
        ASSERT_EQ(4u, lines.size());
        EXPECT_EQ("OK\r\n", lines[3]) << "the four bytes of one tick make one line";
        EXPECT_EQ(3, list_selection(dialog));
    });
}

// Streams at 57600, 921600 and twice 921600 baud reach the list whole and in
// order, in lines of at most 255 bytes, and the device is not held back: it
// sends at its own pace. A program that read only at its ticks would stretch
// the fastest stream to about five times its length; the bound below leaves
// room for a busy machine.
TEST(Receiving, FastStreamsArriveWholeWithoutHoldingTheDeviceBack)
{
    const struct {
        int baud, count;
    } cases[] = {{57600, 3 * 5760}, {921600, 3 * 92160}, {1843200, 3 * 184320}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        const int rate = c.baud / 10;
        DeviceClient device;
        with_open_port(device, "silent", [&](HWND dialog) {
            ASSERT_TRUE(device.stream(1, rate, c.count)) << device.last_reply();
            DWORD start = GetTickCount();
            DeviceStreamStatus status;
            ASSERT_TRUE(pump_until([&] { return (status = device.stream_status(1)).done; }, 60000))
                << "case " << i << ": the stream did not end, " << status.sent << " bytes sent";
            DWORD took = GetTickCount() - start, nominal = 1000u * c.count / rate;
            ASSERT_TRUE(pump_until(
                [&] { return joined(list_lines(dialog), "", "").size() >= size_t(c.count); },
                30000))
                << "case " << i << ": " << joined(list_lines(dialog), "", "").size() << " of "
                << c.count << " bytes shown";
            printf("%d baud: %d bytes sent in %lu ms (%lu ms at the device's pace)\n", c.baud,
                   c.count, took, nominal);
            EXPECT_LT(took, 2 * nominal + 2000) << "case " << i << ": the device was held back";
            std::vector<std::string> lines = list_lines(dialog);
            std::string shown = joined(lines, "", "");
            ASSERT_EQ(size_t(c.count), shown.size()) << "case " << i;
            for (int b = 0; b < c.count; ++b)
                ASSERT_EQ(vdev::pattern_byte_at(b), static_cast<uint8_t>(shown[b]))
                    << "case " << i << ": byte " << b << " of the stream";
            for (const std::string& line : lines)
                ASSERT_LE(line.size(), 255u) << "case " << i;
            EXPECT_EQ(static_cast<int>(lines.size()) - 1, list_selection(dialog)) << "case " << i;
        });
    }
}

// Past MaxLines the oldest lines go, a tenth of the limit at a time; the
// list then holds the newest lines, the last of them selected.
TEST(Receiving, TrimmingKeepsTheNewestLinesSelected)
{
    const struct {
        int added_lines, lines_after;
    } steps[] = {{100, 100}, {1, 90}, {5, 95}, {300, 90}};
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        KillTimer(dialog, 1);
        main_dialog.receiver().set_max_lines(100);
        std::vector<std::string> added;  // every line ever added, oldest first
        for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
            const int count = steps[i].added_lines * 255;
            ASSERT_TRUE(device.stream(1, 400000, count)) << device.last_reply();
            ASSERT_TRUE(pump_until([&] { return serial_channel.bytes_waiting() >= count; }, 5000))
                << "step " << i << ": " << serial_channel.bytes_waiting() << " bytes waiting";
            SendMessageA(dialog, WM_TIMER, 1, 0);
            for (int line = 0; line < steps[i].added_lines; ++line) {
                std::string bytes;
                for (int b = 0; b < 255; ++b)
                    bytes += static_cast<char>(vdev::pattern_byte_at(line * 255 + b));
                added.push_back(bytes);
            }
            std::vector<std::string> lines = list_lines(dialog);
            ASSERT_EQ(size_t(steps[i].lines_after), lines.size()) << "step " << i;
            std::vector<std::string> newest(added.end() - steps[i].lines_after, added.end());
            EXPECT_TRUE(newest == lines) << "step " << i << ": not the newest lines";
            EXPECT_EQ(steps[i].lines_after - 1, list_selection(dialog)) << "step " << i;
        }
    });
}

}  // namespace
