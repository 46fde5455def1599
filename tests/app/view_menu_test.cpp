// The View menu through the real window: the device sends, the list shows
// it in the chosen view; capture, copy, the held view, line ends, escapes
// and the window growing.
#include <windows.h>
#include <commctrl.h>
#include <cctype>
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/support/test_support.h"

namespace {

// Fills in the Save As dialog, the main window's own, with `path`.
void fill_save_dialog(HWND save, const std::string& path)
{
    SetDlgItemTextA(save, 0x47c, path.c_str());
    SetDlgItemTextA(save, 0x480, path.c_str());
    PostMessageA(save, WM_COMMAND, IDOK, 0);
}

// The list as "[line][line]", digits of time stamps as 'd'.
std::string shown(HWND dialog, bool stamps = false)
{
    std::string all;
    for (std::string line : list_lines(dialog)) {
        for (size_t i = 0; stamps && i < 12 && i < line.size(); ++i)
            if (line[i] >= '0' && line[i] <= '9')
                line[i] = 'd';
        all += "[" + line + "]";
    }
    return all;
}

std::string selected(HWND dialog)
{
    std::string indices;
    for (int line : selected_lines(dialog))
        indices += std::to_string(line) + " ";
    return indices;
}

// Selects exactly `lines` in the list, as clicks with Ctrl held would.
void select_lines(HWND list, const std::vector<int>& lines)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int line : lines)
        SendMessageA(list, LVM_SETITEMSTATE, line, reinterpret_cast<LPARAM>(&item));
}

// Moves each piece into the list in a tick of its own: the receive timer
// waits while the piece arrives whole, then the tick is delivered.
void send_pieces(DeviceClient& device, HWND dialog, const std::vector<std::string>& pieces)
{
    KillTimer(dialog, receive_timer_id);
    for (size_t i = 0; i < pieces.size(); ++i) {
        const int size = static_cast<int>(pieces[i].size());
        ASSERT_TRUE(device.send_bytes(1, pieces[i])) << device.last_reply();
        ASSERT_TRUE(pump_until([&] { return serial_channel.bytes_waiting() >= size; }, 10000))
            << "piece " << i << ": " << serial_channel.bytes_waiting() << " of " << size
            << " bytes arrived";
        SendMessageA(dialog, WM_TIMER, receive_timer_id, 0);
    }
    SetTimer(dialog, receive_timer_id, receive_timer_period_ms, nullptr);
}

std::wstring wide_utf8(const char* text)
{
    wchar_t buffer[256] = {};
    MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer, 256);
    return buffer;
}

std::string clipboard_text()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return "<no clipboard>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST(ViewMenu, EachViewShowsWhatTheDeviceSentAcrossReads)
{
    const std::string long_line(300, 'x');
    struct Case {
        int view;
        bool stamps;
        std::vector<std::string> pieces;
        std::string expected;
        bool colours_off = false;
    } cases[] = {
        {IDM_VIEW_AS_RECEIVED, false, {std::string("a\0b\r\n", 5)}, "[a<00>b\r\n]"},
        {IDM_VIEW_LINES, false, {"AT\r", "\nOK\r\n> "}, "[AT][OK][> ]"},
        {IDM_VIEW_LINES, false, {"ab", "c\n"}, "[abc]"},
        {IDM_VIEW_LINES, false, {long_line + "\r\n"}, "[" + long_line.substr(0, 255) + "][" +
                                                          long_line.substr(255) + "]"},
        {IDM_VIEW_LINES, false, {std::string("\x1b[1m\t\0\x7f\n", 8)}, "[<1B>[1m\t<00><7F>]", true},
        {IDM_VIEW_LINES, false, {"\x1b[0;32mOK\x1b[0m done\r\n\x1b[31", "mred\n"}, "[OK done][red]"},
        {IDM_VIEW_LINES, false, {"\x1b[0;32mOK\n"}, "[<1B>[0;32mOK]", true},
        {IDM_VIEW_LINES, true, {"\x1b[1;33mAT\r\n"}, "[dd:dd:dd.ddd AT]"},
        {IDM_VIEW_AS_RECEIVED, false, {"\x1b[0;32mOK"}, "[\x1b[0;32mOK]"},
        {IDM_VIEW_LINES, false, {"caf\xc3\xa9 \xe2\x82", "\xac \xe9\n"}, "[caf\xc3\xa9 \xe2\x82\xac <E9>]"},
        {IDM_VIEW_AS_RECEIVED, false, {"caf\xe9"}, "[caf\xc3\xa9]"},
        {IDM_VIEW_HEX, false, {std::string("\0A\xff", 3), "B"}, "[00000000  00 41 FF][00000003  42]"},
        {IDM_VIEW_LINES, true, {"AT\r\n", "OK"}, "[dd:dd:dd.ddd AT][dd:dd:dd.ddd OK]"},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            const Case& c = cases[i];
            command(dialog, c.view);
            if (c.stamps != (main_dialog.settings().view.time == 1))
                command(dialog, IDM_TIME_STAMPS);
            if (c.colours_off != (main_dialog.settings().view.colours_off == 1))
                command(dialog, IDM_COLOURS);
            command(dialog, IDM_CLEAR_RECEIVED);
            EXPECT_TRUE(GetMenuState(main_dialog.menu(), c.view, MF_BYCOMMAND) & MF_CHECKED)
                << "case " << i;
            EXPECT_EQ(c.colours_off ? 0u : static_cast<UINT>(MF_CHECKED),
                      GetMenuState(main_dialog.menu(), IDM_COLOURS, MF_BYCOMMAND) & MF_CHECKED)
                << "case " << i;
            send_pieces(device, dialog, c.pieces);
            EXPECT_EQ(c.expected, shown(dialog, c.stamps)) << "case " << i;
        }
    });
}

// An older line selected holds the view; the newest selected again (End)
// lets it follow.
TEST(ViewMenu, NewLinesDoNotMoveAnOlderSelection)
{
    struct Step {
        const char* what;
        UINT key;  // pressed in the list first, 0 for none
        int click; // line clicked first, -1 for none
        const char* sent;
        const char* selected;
    } steps[] = {
        {"following", 0, -1, "1\n2\n3\n", "2 "},
        {"an older line clicked", 0, 0, "4\n", "0 "},
        {"still held", 0, -1, "5\n", "0 "},
        {"End pressed", VK_END, -1, "6\n", "5 "},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        command(dialog, IDM_VIEW_LINES);
        HWND list = GetDlgItem(dialog, IDC_RECEIVED_LIST);
        std::string expected;
        for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
            const Step& s = steps[i];
            if (s.key) {
                SendMessageA(list, WM_KEYDOWN, s.key, 0);
                SendMessageA(list, WM_KEYUP, s.key, 0);
            }
            if (s.click >= 0) {
                RECT item = {LVIR_BOUNDS, 0, 0, 0};
                SendMessageA(list, LVM_GETITEMRECT, s.click, reinterpret_cast<LPARAM>(&item));
                LPARAM at = MAKELPARAM(item.left + 2, item.top + 2);
                SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
                SendMessageA(list, WM_LBUTTONUP, 0, at);
            }
            for (const char* p = s.sent; *p; p += 2)
                expected += std::string("[") + *p + "]";
            send_pieces(device, dialog, {s.sent});
            EXPECT_EQ(expected, shown(dialog)) << "step " << i << ": " << s.what;
            EXPECT_EQ(s.selected, selected(dialog)) << "step " << i << ": " << s.what;
        }
    });
}

// Save As names the file; every byte goes in as sent, whatever the view.
// A file that cannot be written ends the capture, and receiving goes on.
TEST(ViewMenu, CaptureKeepsEveryByteAndAFailedWriteEndsIt)
{
    std::string folder = make_temp_folder("capture");
    const std::string capture_path = folder + "dump.bin";
    std::string sent;
    for (int i = 0; i < 256; ++i)
        sent += static_cast<char>(i);
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        command(dialog, IDM_VIEW_HEX);
        when_window_opens(WindowQuery{"#32770", nullptr, dialog},
                          [&](HWND save) { fill_save_dialog(save, capture_path); });
        command(dialog, IDM_CAPTURE);
        ASSERT_TRUE(window_was_driven()) << "Save As never came up";
        ASSERT_TRUE(main_dialog.receiver().capture().active()) << "no capture after Save As";
        EXPECT_EQ(MF_ENABLED, GetMenuState(main_dialog.menu(), IDM_STOP_CAPTURE, MF_BYCOMMAND) & MF_GRAYED);
        send_pieces(device, dialog, {sent.substr(0, 100), sent.substr(100)});
        EXPECT_EQ("Capture: dump.bin, 256 bytes", status_text(2));
        command(dialog, IDM_STOP_CAPTURE);
        EXPECT_EQ(sent, read_file(capture_path)) << "the captured file";
        EXPECT_EQ(MF_GRAYED, GetMenuState(main_dialog.menu(), IDM_STOP_CAPTURE, MF_BYCOMMAND) & MF_GRAYED);

        // Windows ending the session completes a running capture.
        ASSERT_TRUE(main_dialog.receiver().start_capture(wide(capture_path).c_str()));
        send_pieces(device, dialog, {"xyz"});
        ASSERT_EQ(3u, main_dialog.receiver().capture().bytes_written());
        main_dialog.settings_changed = 0;  // no settings file from a test
        SendMessageA(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
        EXPECT_FALSE(main_dialog.receiver().capture().active()) << "the session ended with the capture open";
        EXPECT_EQ("xyz", read_file(capture_path));

        ASSERT_TRUE(main_dialog.receiver().start_capture(L"Z:\\dev\\full"));
        command(dialog, IDM_CLEAR_RECEIVED);
        send_pieces(device, dialog, {"AB"});
        EXPECT_EQ("[00000000  41 42]", shown(dialog)) << "received bytes lost with the capture";
        EXPECT_EQ(0u, status_text(2).find("Capture stopped: could not write full: "))
            << status_text(2);
        EXPECT_FALSE(main_dialog.receiver().capture().active());
    });
    remove_tree(folder);
}

// The clock the capture names and rotates its files by, in the tests.
CaptureTime test_time = {2026, 12, 9, 11, 5, 12};
void test_clock(CaptureTime& now) { now = test_time; }

// A file's text with every digit as 'd', for lines with time stamps.
std::string digits_hidden(std::string text)
{
    for (char& c : text)
        if (c >= '0' && c <= '9')
            c = 'd';
    return text;
}

// The options, the file there before, what the device sends (from piece
// `next_day_from` on, the clock says the next day has begun) and the files
// the capture leaves, named from "cap_%p_%Y-%m-%d.log" in a folder still to
// be made; their bytes joined are what was sent, or the lines as shown.
TEST(ViewMenu, CaptureFilesRotateByTheirSizeAndDay)
{
    struct Case {
        const char* what;
        uint64_t limit;
        bool daily, append, as_shown, stamps;
        const char* before;  // in the first file's place, or null
        std::vector<std::string> pieces;
        int next_day_from;
        std::vector<std::pair<const char*, std::string>> files;
        const char* status;
    } cases[] = {
        {"split exactly at the limit", 100, false, false, false, false, nullptr,
         {std::string(70, 'a'), std::string(186, 'b')}, -1,
         {{"cap_COM1_2026-12-09.log", std::string(70, 'a') + std::string(30, 'b')},
          {"cap_COM1_2026-12-09-2.log", std::string(100, 'b')},
          {"cap_COM1_2026-12-09-3.log", std::string(56, 'b')}},
         "Capture: cap_COM1_2026-12-09-3.log, 56 bytes"},
        {"no limit, replacing", 0, false, false, false, false, "old text\r\n", {"new", "er"}, -1,
         {{"cap_COM1_2026-12-09.log", "newer"}}, "Capture: cap_COM1_2026-12-09.log, 5 bytes"},
        {"appending", 0, false, true, false, false, "old text\r\n", {"new", "er"}, -1,
         {{"cap_COM1_2026-12-09.log", "old text\r\nnewer"}},
         "Capture: cap_COM1_2026-12-09.log, 5 bytes"},
        {"appending to a file at the limit", 10, false, true, false, false, "old text\r\n",
         {"0123456789"}, -1,
         {{"cap_COM1_2026-12-09.log", "old text\r\n"}, {"cap_COM1_2026-12-09-2.log", "0123456789"}},
         "Capture: cap_COM1_2026-12-09-2.log, 10 bytes"},
        {"a new day", 0, true, false, false, false, nullptr, {"late\n", "early\n"}, 1,
         {{"cap_COM1_2026-12-09.log", "late\n"}, {"cap_COM1_2026-12-10.log", "early\n"}},
         "Capture: cap_COM1_2026-12-10.log, 6 bytes"},
        // An empty piece is a tick with nothing received.
        {"a new day with nothing arriving", 0, true, false, false, false, nullptr, {"late\n", ""}, 1,
         {{"cap_COM1_2026-12-09.log", "late\n"}, {"cap_COM1_2026-12-10.log", ""}},
         "Capture: cap_COM1_2026-12-10.log, 0 bytes"},
        {"lines as shown, never split", 20, false, false, true, false, nullptr,
         {"1111\n2222\n33", "33\n4444\r\n5555"}, -1,
         {{"cap_COM1_2026-12-09.log", "1111\r\n2222\r\n3333\r\n"},
          {"cap_COM1_2026-12-09-2.log", "4444\r\n5555\r\n"}},
         "Capture: cap_COM1_2026-12-09-2.log, 6 bytes"},
        {"lines as shown with stamps and colours", 0, false, false, true, true, nullptr,
         {"\x1b[31mERR\x1b[0m ok\r\n", "caf\xc3\xa9\r\n> "}, -1,
         {{"cap_COM1_2026-12-09.log",
           "dd:dd:dd.ddd ERR ok\r\ndd:dd:dd.ddd caf\xc3\xa9\r\ndd:dd:dd.ddd > \r\n"}},
         "Capture: cap_COM1_2026-12-09.log, 41 bytes"},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        CaptureFile& capture = main_dialog.receiver().capture();
        CaptureSettings& options = main_dialog.settings().view.capture;
        capture.set_clock(test_clock);
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            const Case& c = cases[i];
            std::string folder = make_temp_folder("rotate");
            test_time = CaptureTime{2026, 12, 9, 23, 59, 59};
            options.size_limit = c.limit;
            options.daily = c.daily;
            options.append = c.append;
            options.as_shown = c.as_shown;
            command(dialog, c.as_shown ? IDM_VIEW_LINES : IDM_VIEW_HEX);
            command(dialog, IDM_CLEAR_RECEIVED);
            if (c.stamps != (main_dialog.settings().view.time == 1))
                command(dialog, IDM_TIME_STAMPS);
            main_dialog.receiver().view().set_colours(c.stamps);
            if (c.before) {
                CreateDirectoryA((folder + "logs").c_str(), nullptr);
                ASSERT_TRUE(write_file(folder + "logs\\" + c.files[0].first, c.before));
            }
            ASSERT_TRUE(main_dialog.receiver().start_capture(
                wide(folder + "logs\\cap_%p_%Y-%m-%d.log").c_str()))
                << "case " << i << ": " << status_text(2);
            for (size_t piece = 0; piece < c.pieces.size(); ++piece) {
                if (static_cast<int>(piece) == c.next_day_from)
                    test_time = CaptureTime{2026, 12, 10, 0, 0, 1};
                if (c.pieces[piece].empty())
                    SendMessageA(dialog, WM_TIMER, receive_timer_id, 0);
                else
                    send_pieces(device, dialog, {c.pieces[piece]});
            }
            EXPECT_EQ(c.status, status_text(2)) << "case " << i << ": " << c.what;
            command(dialog, IDM_STOP_CAPTURE);
            main_dialog.receiver().view().set_colours(false);
            for (size_t f = 0; f < c.files.size(); ++f) {
                std::string text = read_file(folder + "logs\\" + c.files[f].first);
                EXPECT_EQ(c.files[f].second, c.stamps ? digits_hidden(text) : text)
                    << "case " << i << ": " << c.what << ", " << c.files[f].first;
            }
            std::string next = c.files.size() == 1 ? "cap_COM1_2026-12-09-2.log"
                                                   : "cap_COM1_2026-12-09-" +
                                                         std::to_string(c.files.size() + 1) + ".log";
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
                      GetFileAttributesA((folder + "logs\\" + next).c_str()))
                << "case " << i << ": " << c.what << ", one file too many";
            remove_tree(folder);
        }
        options = CaptureSettings{};
        capture.set_clock(nullptr);

        // A name past MAX_PATH is refused and says so, and so is a device's.
        std::string long_name = "C:\\" + std::string(250, 'n') + "%Y%m%d.log";
        EXPECT_FALSE(main_dialog.receiver().start_capture(wide(long_name).c_str()));
        EXPECT_EQ("Capture stopped: the file name is too long", status_text(2));
        EXPECT_FALSE(capture.active());
        // "COM1.log" would be the port itself.
        EXPECT_FALSE(main_dialog.receiver().start_capture(L"C:\\logs\\%p.log"));
        EXPECT_EQ("Capture stopped: COM1.log names a device", status_text(2));
        EXPECT_FALSE(capture.active());
    });
}

// Save As offers the port and the time as the name, and the log types; a
// name with the pattern's codes is expanded.
TEST(ViewMenu, CaptureSaveAsSuggestsANameAndTakesAPattern)
{
    std::string folder = make_temp_folder("capture_name");
    std::string suggested;
    std::vector<std::string> types;
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        test_time = CaptureTime{2026, 12, 9, 11, 5, 12};
        main_dialog.receiver().capture().set_clock(test_clock);
        when_window_opens(WindowQuery{"#32770", nullptr, dialog}, [&](HWND save) {
            char name[MAX_PATH] = {};
            GetDlgItemTextA(save, 0x47c, name, sizeof name);
            if (!name[0])
                GetDlgItemTextA(save, 0x480, name, sizeof name);
            suggested = name;
            types = combo_entries(GetDlgItem(save, 0x470));
            fill_save_dialog(save, folder + "%p_%H%M.txt");
        });
        command(dialog, IDM_CAPTURE);
        ASSERT_TRUE(window_was_driven()) << "Save As never came up";
        send_pieces(device, dialog, {"abc"});
        EXPECT_EQ("Capture: COM1_1105.txt, 3 bytes", status_text(2));
        command(dialog, IDM_STOP_CAPTURE);
        main_dialog.receiver().capture().set_clock(nullptr);
    });
    EXPECT_EQ("COM1_2026-12-09_110512.log", suggested);
    std::string joined;
    for (const std::string& type : types)
        joined += "[" + type + "]";
    EXPECT_EQ("[Log files (*.log)][Text files (*.txt)][All files]", joined);
    EXPECT_EQ("abc", read_file(folder + "COM1_1105.txt"));
    remove_tree(folder);
}

// The options dialog takes the settings on OK; a limit out of range keeps it
// open. The capture running is the one kept to start with the program.
TEST(ViewMenu, CaptureOptionsAreTakenOnOk)
{
    std::string folder = make_temp_folder("capture_options");
    run_main_window([&](HWND dialog) {
        CaptureSettings& options = main_dialog.settings().view.capture;
        std::string shown_pattern;
        const std::string pattern = folder + "%p_%Y.log";
        ASSERT_TRUE(main_dialog.receiver().start_capture(wide(pattern).c_str()));
        main_dialog.settings_changed = 0;
        // Each limit refused, in its unit (0 KB, 1 MB), and the range then stated.
        const struct {
            const char* limit;
            int unit;
            const char* said;
        } refused[] = {
            {"1048577", 1, "A whole number of MB from 0 (no limit) to 1048576"},
            {"0.01", 1, "A whole number of MB from 0 (no limit) to 1048576"},
            {"1073741825", 0, "A whole number of KB from 0 (no limit) to 1073741824"},
        };
        std::string seen, expected;
        when_window_opens(WindowQuery{"#32770", "Capture options", dialog}, [&](HWND box) {
            char text[MAX_PATH] = {};
            GetDlgItemTextA(box, IDC_CAPTURE_PATTERN, text, sizeof text);
            shown_pattern = text;
            for (const auto& r : refused) {
                SetDlgItemTextA(box, IDC_CAPTURE_LIMIT, r.limit);
                SendDlgItemMessageA(box, IDC_CAPTURE_UNIT, CB_SETCURSEL, r.unit, 0);
                SendMessageA(box, WM_COMMAND, IDOK, 0);
                GetDlgItemTextA(box, IDC_CAPTURE_RANGE, text, sizeof text);
                seen += std::string(r.limit) + (IsWindowVisible(box) ? " open: " : " closed: ") +
                        text + "\n";
                expected += std::string(r.limit) + " open: " + r.said + "\n";
            }
            // 5 KB: a limit below one MiB.
            SendDlgItemMessageA(box, IDC_CAPTURE_UNIT, CB_SETCURSEL, 0, 0);
            SetDlgItemTextA(box, IDC_CAPTURE_LIMIT, " 5 ");
            for (int id : {IDC_CAPTURE_DAILY, IDC_CAPTURE_APPEND, IDC_CAPTURE_AS_SHOWN,
                           IDC_CAPTURE_AUTO})
                SendDlgItemMessageA(box, id, BM_CLICK, 0, 0);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        command(dialog, IDM_CAPTURE_OPTIONS);
        ASSERT_TRUE(window_was_driven()) << "no options dialog";
        EXPECT_EQ(expected, seen);
        EXPECT_EQ(pattern, shown_pattern);
        EXPECT_EQ(5 * capture_kib, options.size_limit);
        EXPECT_EQ(1, options.daily);
        EXPECT_EQ(1, options.append);
        EXPECT_EQ(1, options.as_shown);
        EXPECT_EQ(1, options.automatic);
        EXPECT_EQ(pattern, narrow(options.pattern));
        EXPECT_EQ(1, main_dialog.settings_changed);
        command(dialog, IDM_STOP_CAPTURE);
        options = CaptureSettings{};
        main_dialog.settings_changed = 0;
    });
    remove_tree(folder);
}

TEST(ViewMenu, CopyPutsTheSelectedLinesOnTheClipboard)
{
    struct Case {
        std::vector<int> lines;
        bool control_c;  // Ctrl+C in the list, else the menu
        const char* copied;
    } cases[] = {
        {{1}, false, "b"},
        {{0, 2}, true, "a\r\nc"},
        {{0, 1, 2}, false, "a\r\nb\r\nc"},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        command(dialog, IDM_VIEW_LINES);
        send_pieces(device, dialog, {"a\nb\nc\n"});
        ASSERT_EQ("[a][b][c]", shown(dialog));
        HWND list = GetDlgItem(dialog, IDC_RECEIVED_LIST);
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            select_lines(list, cases[i].lines);
            if (cases[i].control_c) {
                BYTE keys[256] = {};
                GetKeyboardState(keys);
                keys[VK_CONTROL] = 0x80;
                SetKeyboardState(keys);
                SendMessageA(list, WM_KEYDOWN, 'C', 0);
                keys[VK_CONTROL] = 0;
                SetKeyboardState(keys);
            } else {
                command(dialog, IDM_COPY);
            }
            EXPECT_EQ(cases[i].copied, clipboard_text()) << "case " << i;
        }
    });
}

TEST(ViewMenu, LineEndsEscapesAndHexShapeWhatIsSent)
{
    struct Case {
        int line_end;
        bool escapes, upper, hex;
        const char* typed;
        std::string sent;
    } cases[] = {
        {IDC_SEND_CRLF, false, false, false, "x", "x\r\n"},
        {IDC_SEND_NONE, false, false, false, "x\\r", "x\\r"},
        {IDC_SEND_NONE, false, false, false, "a{sum8}", "a{sum8}"},
        {IDC_SEND_CR, true, false, false, "a\\tb\\\\\\q", "a\tb\\\\q\r"},
        {IDC_SEND_CR, true, false, false, "AB{sum8}", "AB\x83\r"},
        {IDC_SEND_LF, true, true, false, "at\\r\\x00\\xff", std::string("AT\r\0\xff\n", 6)},
        {IDC_SEND_LF, false, true, true, "41 0d0A", "A\r\n"},
        {IDC_SEND_LF, true, true, true, "01 03 00 00 00 0a {crc16modbus}",
         std::string("\x01\x03\0\0\0\x0A\xC5\xCD", 8)},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            const Case& c = cases[i];
            device.clear(1);
            click(dialog, c.line_end);
            if (c.escapes != (main_dialog.settings().view.escapes == 1))
                click(dialog, IDC_ESCAPES);
            if (c.hex != (main_dialog.settings().view.hex == 1))
                click(dialog, IDC_HEX);
            main_dialog.settings().upper = c.upper;
            SetWindowTextA(command_combo.hwnd, c.typed);
            command(dialog, IDC_SEND);
            EXPECT_EQ(c.sent, wait_for_received(device, c.sent.size(), 3000)) << "case " << i;
            EXPECT_EQ(IsDlgButtonChecked(dialog, c.line_end), BST_CHECKED) << "case " << i;
            EXPECT_EQ(!c.hex, !!IsWindowEnabled(GetDlgItem(dialog, IDC_SEND_CR))) << "case " << i;
            EXPECT_EQ(!c.hex, !!IsWindowEnabled(GetDlgItem(dialog, IDC_SEND_NONE))) << "case " << i;
        }
        // Hex pairs get no capitals; the history keeps each text as typed.
        std::vector<std::string> kept = history(dialog);
        ASSERT_GE(kept.size(), 3u);
        EXPECT_EQ("01 03 00 00 00 0a {crc16modbus}", kept[0]);
        EXPECT_EQ("41 0d0A", kept[1]);
        EXPECT_EQ("AT\\R\\X00\\XFF", kept[2]);
        click(dialog, IDC_HEX);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_SEND_CR))) << "Hex unchecked";
    });
}

// Holds Ctrl or Shift down for the keys that follow, or lets it go.
void hold_key(int key, bool down)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[key] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// What a key press in the window's loop does: whether the filter took it.
bool press_key(UINT key, HWND target)
{
    MSG msg = {target, WM_KEYDOWN, key, 1, GetTickCount(), {}};
    return CallMsgFilterA(&msg, MSGF_DIALOGBOX) != 0;
}

// Every menu and each of its items have an access key, and no two items of
// one menu share a letter.
TEST(ViewMenu, EveryMenuAndEachOfItsItemsHasItsOwnAccessKey)
{
    HMENU bar = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_MAIN));
    ASSERT_TRUE(bar);
    int menus = 0;
    for (int m = 0; m < GetMenuItemCount(bar); ++m) {
        char title[32] = {};
        GetMenuStringA(bar, m, title, 32, MF_BYPOSITION);
        EXPECT_TRUE(strchr(title, '&')) << title << " has no key";
        ++menus;
        HMENU menu = GetSubMenu(bar, m);
        std::string letters;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            char item[64] = {};
            GetMenuStringA(menu, i, item, 64, MF_BYPOSITION);
            const char* amp = strchr(item, '&');
            char key = amp ? static_cast<char>(toupper(static_cast<unsigned char>(amp[1]))) : 0;
            EXPECT_TRUE(!*item || (key && letters.find(key) == std::string::npos))
                << title << ": \"" << item << "\" has no key of its own";
            letters += key;
        }
    }
    EXPECT_EQ(4, menus) << "Port, Send, View and Help";
    DestroyMenu(bar);
}

// The system's Find dialog, driven as a user would: the text, Match case,
// Up or Down, then Find Next; then F3 and Shift+F3 without it. Each search
// starts next to the selected line and wraps.
TEST(ViewMenu, FindSelectsTheNextLineContainingTheText)
{
    struct Step {
        const char* text;  // typed into the dialog; null: a key instead
        UINT key;          // VK_F3, with Shift when `up`
        bool match_case, up;
        int selected;      // the line selected after it
        const char* state; // the status bar's first part after it, null: as it was
    } steps[] = {
        {"beta", 0, false, false, 1, nullptr},
        {"beta", 0, false, false, 3, nullptr},
        {"beta", 0, false, false, 1, nullptr},
        {"beta", 0, true, false, 3, nullptr},
        {"beta", 0, true, false, 3, nullptr},
        {"TA", 0, false, true, 1, nullptr},
        {"TA", 0, false, true, 4, nullptr},
        {nullptr, VK_F3, false, true, 3, nullptr},
        {nullptr, VK_F3, false, false, 4, nullptr},
        {nullptr, VK_F3, false, false, 1, nullptr},
        {"zzz", 0, false, false, 1, "Cannot find \"zzz\""},
        {"\xc3\xa9t\xc3\xa9", 0, false, false, 5, "Port is open"},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        command(dialog, IDM_VIEW_LINES);
        send_pieces(device, dialog, {"alpha\nBeta\ngamma\nbeta2\ndelta\n\xc3\xa9t\xc3\xa9\n"});
        ASSERT_EQ("[alpha][Beta][gamma][beta2][delta][\xc3\xa9t\xc3\xa9]", shown(dialog));
        HWND list = GetDlgItem(dialog, IDC_RECEIVED_LIST);
        select_lines(list, {0});
        hold_key(VK_CONTROL, true);
        bool taken = press_key('F', list);
        hold_key(VK_CONTROL, false);
        EXPECT_TRUE(taken) << "Ctrl+F";
        HWND find = wait_for_window(WindowQuery{"#32770", nullptr, dialog}, 5000);
        ASSERT_TRUE(find) << "no Find dialog after Ctrl+F";
        for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
            const Step& s = steps[i];
            std::string state_before = status_text();
            if (s.text) {
                SetDlgItemTextW(find, 0x480, wide_utf8(s.text).c_str());
                if ((IsDlgButtonChecked(find, 0x411) == BST_CHECKED) != s.match_case)
                    click(find, 0x411);
                click(find, s.up ? 0x420 : 0x421);
                click(find, IDOK);
            } else {
                hold_key(VK_SHIFT, s.up);
                EXPECT_TRUE(press_key(s.key, list)) << "step " << i << ": the key was not taken";
                hold_key(VK_SHIFT, false);
            }
            pump_messages(20);
            EXPECT_EQ(std::to_string(s.selected) + " ", selected(dialog)) << "step " << i;
            EXPECT_EQ(s.state ? s.state : state_before, status_text()) << "step " << i;
        }
        PostMessageA(find, WM_COMMAND, IDCANCEL, 0);
        pump_until([&] { return !IsWindow(find); }, 3000);
        EXPECT_FALSE(IsWindow(find)) << "the Find dialog did not close";
    });
}

// A line found shows in the middle of the list (as far as the lines before
// and after it allow), and the Find dialog, put over it, moves off it.
// "Cannot find" stays until a search finds a line, Clear or Escape.
TEST(ViewMenu, FindShowsTheLineInTheMiddleAndTheDialogMovesOffIt)
{
    struct Step {
        const char* text;  // typed and found with Find Next; null: F3
        int selected;      // -1: none found
        int command;       // then Clear received, or Escape in the dialog (IDCANCEL)
        const char* state; // the status bar's first part after the step
    } steps[] = {
        {"line 150", 150, 0, "Port is open"}, {"line 010", 10, 0, "Port is open"},
        {"line 195", 195, 0, "Port is open"}, {"zzz", -1, 0, "Cannot find \"zzz\""},
        {"line 100", 100, 0, "Port is open"}, {"zzz", -1, 0, "Cannot find \"zzz\""},
        {nullptr, -1, IDM_CLEAR_RECEIVED, "Port is open"}, {"zzz", -1, IDCANCEL, "Port is open"},
    };
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        command(dialog, IDM_VIEW_LINES);
        std::string lines;
        for (int i = 0; i < 200; ++i)
            lines += "line " + std::to_string(1000 + i).substr(1) + "\n";
        send_pieces(device, dialog, {lines});
        HWND list = GetDlgItem(dialog, IDC_RECEIVED_LIST);
        command(dialog, IDM_FIND);
        HWND find = wait_for_window(WindowQuery{"#32770", nullptr, dialog}, 5000);
        ASSERT_TRUE(find) << "no Find dialog";
        int page = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
        for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
            const Step& s = steps[i];
            RECT over, box, row = {LVIR_BOUNDS, 0, 0, 0}, overlap;
            GetWindowRect(list, &over);
            GetWindowRect(find, &box);
            SetWindowPos(find, nullptr, box.left, (over.top + over.bottom - box.bottom + box.top) / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            if (s.text) {
                SetDlgItemTextA(find, 0x480, s.text);
                click(find, IDOK);
            } else {
                EXPECT_TRUE(press_key(VK_F3, list)) << "step " << i;
            }
            pump_messages(20);
            if (s.command == IDCANCEL)
                PostMessageA(find, WM_COMMAND, IDCANCEL, 0);
            else if (s.command)
                command(dialog, s.command);
            pump_until([&] { return IsWindow(find) == (s.command != IDCANCEL); }, 3000);
            EXPECT_EQ(s.state, status_text()) << "step " << i;
            if (s.selected < 0)
                continue;
            EXPECT_EQ(std::to_string(s.selected) + " ", selected(dialog)) << "step " << i;
            int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
            int middle = std::min(std::max(s.selected - page / 2, 0), 200 - page);
            EXPECT_NEAR(middle, top, 1) << "step " << i << ": " << page << " rows shown";
            SendMessageA(list, LVM_GETITEMRECT, s.selected, reinterpret_cast<LPARAM>(&row));
            MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&row), 2);
            GetWindowRect(find, &box);
            EXPECT_FALSE(IntersectRect(&overlap, &row, &box)) << "step " << i << ": the dialog covers the line";
        }
    });
}

// With Show sent on, each command typed, a macro and the repeat show in the
// Lines view as lines of their own when they go out, also between the two
// halves of a line the device is still sending; file sends do not.
TEST(ViewMenu, ShowSentPutsEachCommandBetweenTheLines)
{
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        command(dialog, IDM_VIEW_LINES);
        click(dialog, IDC_SEND_CRLF);
        SetWindowTextA(command_combo.hwnd, "hidden");
        command(dialog, IDC_SEND);
        EXPECT_EQ("hidden\r\n", wait_for_received(device, 8, 3000));
        EXPECT_EQ("", shown(dialog)) << "Show sent is off by default";
        command(dialog, IDM_SHOW_SENT);
        EXPECT_TRUE(GetMenuState(main_dialog.menu(), IDM_SHOW_SENT, MF_BYCOMMAND) & MF_CHECKED);
        device.clear(1);
        send_pieces(device, dialog, {"AB"});
        SetWindowTextA(command_combo.hwnd, "ATI");
        command(dialog, IDC_SEND);
        EXPECT_EQ("ATI\r\n", wait_for_received(device, 5, 3000));
        send_pieces(device, dialog, {"CD\r\n"});
        lstrcpyA(main_dialog.settings().send.macros[1], "M\\x41");
        EXPECT_TRUE(press_key(VK_F2, dialog));
        EXPECT_EQ("[AB][ATI][CD][MA]", shown(dialog));
        command(dialog, IDM_SHOW_SENT);
        command(dialog, IDC_SEND);
        EXPECT_EQ("[AB][ATI][CD][MA]", shown(dialog)) << "Show sent turned off";
    });
    main_dialog.settings().send = SendSettings{};
}

// A larger window gives the list the room and moves Send; it never becomes
// smaller than the template.
TEST(ViewMenu, TheWindowGrowsAndTheListTakesTheRoom)
{
    const struct {
        int dx, dy;       // asked for, from the template's size
        int grown_x, grown_y;
    } cases[] = {{150, 100, 150, 100}, {-100, -80, 0, 0}, {0, 40, 0, 40}};
    run_main_window([&](HWND dialog) {
        auto rect_of = [&](int id) {
            RECT r;
            GetWindowRect(GetDlgItem(dialog, id), &r);
            return r;
        };
        RECT window, list = rect_of(IDC_RECEIVED_LIST), send = rect_of(IDC_SEND);
        RECT combo = rect_of(IDC_COMMAND);
        GetWindowRect(dialog, &window);
        for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
            SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + cases[i].dx,
                         window.bottom - window.top + cases[i].dy, SWP_NOMOVE | SWP_NOZORDER);
            RECT now, l = rect_of(IDC_RECEIVED_LIST), s = rect_of(IDC_SEND), c = rect_of(IDC_COMMAND);
            GetWindowRect(dialog, &now);
            EXPECT_EQ(cases[i].grown_x, (now.right - now.left) - (window.right - window.left)) << "case " << i;
            EXPECT_EQ(cases[i].grown_y, (now.bottom - now.top) - (window.bottom - window.top)) << "case " << i;
            EXPECT_EQ(cases[i].grown_x, (l.right - l.left) - (list.right - list.left)) << "case " << i;
            EXPECT_EQ(cases[i].grown_y, (l.bottom - l.top) - (list.bottom - list.top)) << "case " << i;
            EXPECT_EQ(cases[i].grown_x, (s.left - now.left) - (send.left - window.left)) << "case " << i;
            EXPECT_EQ(cases[i].grown_x, (c.right - c.left) - (combo.right - combo.left)) << "case " << i;
        }
        // Maximized: Send follows the edge, the caption and the status bar
        // are on the screen, and no control is painted over by the window.
        ShowWindow(dialog, SW_MAXIMIZE);
        RECT l = rect_of(IDC_RECEIVED_LIST), s = rect_of(IDC_SEND);
        EXPECT_GT(l.right - l.left, list.right - list.left) << "maximized";
        RECT client, bar = rect_of(IDC_STATUS_BAR), work;
        GetClientRect(dialog, &client);
        MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_EQ(list.right - send.right, l.right - s.right) << "Send left behind";
        EXPECT_GE(client.top - GetSystemMetrics(SM_CYMENU) - GetSystemMetrics(SM_CYCAPTION), work.top);
        EXPECT_LE(bar.bottom, work.bottom) << "the status bar below the screen";
        EXPECT_NE(0, GetWindowLongPtrA(dialog, GWL_STYLE) & WS_CLIPCHILDREN);
        ShowWindow(dialog, SW_RESTORE);
    });
}

}  // namespace
