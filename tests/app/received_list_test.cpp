// The received list at its limit: dropping the oldest lines is quick, a
// capture keeps every byte while the list drops lines, and a line the user
// holds stays selected as the lines before it go.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/support/list_view_text.h"
#include "tests/support/test_support.h"

namespace {

// Adds `count` lines "prefixN" in one tick's batch.
void add_lines(const char* prefix, int first, int count)
{
    ReceivePane& pane = main_dialog.receiver();
    pane.begin_batch();
    char text[32];
    for (int i = first; i < first + count; ++i)
        pane.take(text, wsprintfA(text, "%s%d", prefix, i));
    pane.end_batch();
}

// Sets the filter through View / Filter..., as typed in its dialog.
void set_filter(HWND dialog, const char* text)
{
    when_window_opens(WindowQuery{"#32770", "Filter", dialog}, [&](HWND filter) {
        SetDlgItemTextA(filter, IDC_FILTER_TEXT, text);
        click(filter, IDOK);
    });
    command(dialog, IDM_FILTER);
    EXPECT_TRUE(window_was_driven()) << "the Filter dialog never came up";
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string all;
    for (const std::string& line : lines)
        all += line + " ";
    return all;
}

// A line wider than the list widens its column, so that the list scrolls
// sideways to its end; emptying the list narrows it again.
TEST(ReceivedList, ALongLineCanBeScrolledToItsEnd)
{
    const std::string long_line = "long:" + std::string(240, 'x') + ":end";
    const struct {
        const char* line;  // added in one tick; null: Clear received
        bool sideways;     // the column is wider than the list, and the line fits
    } steps[] = {{"short", false}, {long_line.c_str(), true}, {"short again", true}, {nullptr, false}};
    run_main_window([&](HWND dialog) {
        command(dialog, IDM_VIEW_LINES);
        HWND list = GetDlgItem(dialog, IDC_RECEIVED_LIST);
        HDC dc = GetDC(list);
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
        SIZE whole = {};
        GetTextExtentPoint32A(dc, long_line.c_str(), static_cast<int>(long_line.size()), &whole);
        ReleaseDC(list, dc);
        for (const auto& step : steps) {
            ReceivePane& pane = main_dialog.receiver();
            pane.begin_batch();
            if (step.line)
                pane.take((step.line + std::string("\r\n")).c_str(), lstrlenA(step.line) + 2);
            else
                command(dialog, IDM_CLEAR_RECEIVED);
            pane.end_batch();
            RECT client;
            GetClientRect(list, &client);
            int column = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
            EXPECT_EQ(step.sideways, column > client.right && column > whole.cx)
                << (step.line ? step.line : "cleared") << ": column " << column;
        }
    });
}

// A filter shows only the lines containing its text, in either letter case,
// keeps adding those that arrive, and follows the list as its oldest lines
// go; the status bar counts them; an empty filter shows every line again.
// Copy copies the selected lines shown.
TEST(ReceivedList, AFilterFollowsATrimmingList)
{
    struct Step {
        const char* filter;  // set before the lines are added; null: as it was
        int added;           // lines "Ln;" (n even) or "ln;" added in one tick
        const char* shown;   // null: every stored line
        const char* status;
    } steps[] = {
        {"7;", 30, "l7; l17; l27; ", "Showing 3 of 30 lines"},
        {nullptr, 60, "l7; l17; l27; l37; l47; l57; l67; l77; l87; ", "Showing 9 of 90 lines"},
        // 120 lines pass the limit of 100: the oldest 30 go.
        {nullptr, 30, "l37; l47; l57; l67; l77; l87; l97; l107; l117; ", "Showing 9 of 90 lines"},
        {"l11", 5, "L110; l111; L112; l113; L114; l115; L116; l117; L118; l119; ",
         "Showing 10 of 95 lines"},
        {"xyz", 0, "", "Showing 0 of 95 lines"},
        {"", 0, nullptr, ""},
    };
    bool ran = false;
    run_main_window([&](HWND dialog) {
        ran = true;
        main_dialog.receiver().set_max_lines(100);
        command(dialog, IDM_VIEW_LINES);
        int next = 0;
        const char* filter = "";
        for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
            const Step& s = steps[i];
            if (s.filter)
                set_filter(dialog, filter = s.filter);
            ReceivePane& pane = main_dialog.receiver();
            pane.begin_batch();
            char text[32];
            for (int end = next + s.added; next < end; ++next)
                pane.take(text, wsprintfA(text, "%s%d;\n", next % 2 ? "l" : "L", next));
            pane.end_batch();
            std::vector<std::string> lines = list_lines(dialog);
            if (s.shown)
                EXPECT_EQ(s.shown, joined(lines)) << "step " << i;
            else
                EXPECT_EQ(static_cast<size_t>(main_dialog.receiver().lines().count()), lines.size())
                    << "step " << i << ": every line shown";
            EXPECT_EQ(s.status, status_text(2)) << "step " << i;
            EXPECT_EQ(filter[0] ? static_cast<UINT>(MF_CHECKED) : 0u,
                      GetMenuState(main_dialog.menu(), IDM_FILTER, MF_BYCOMMAND) & MF_CHECKED)
                << "step " << i;
        }
        EXPECT_STREQ("", main_dialog.settings().view.filter);
        set_filter(dialog, "L4");
        EXPECT_EQ("Showing 10 of 95 lines", status_text(2));
        command(dialog, IDM_COPY);
        std::string copied;
        if (OpenClipboard(nullptr)) {
            if (HANDLE data = GetClipboardData(CF_TEXT)) {
                copied = static_cast<const char*>(GlobalLock(data));
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        EXPECT_EQ("l49;", copied) << "the newest line shown is selected and copied";
        EXPECT_EQ(95, main_dialog.receiver().lines().count()) << "the store is unaffected";
        main_dialog.settings_changed = 0;
    });
    EXPECT_TRUE(ran);
}

// Finding a text that is in none of a million lines goes on in steps: no
// message holds the window for more than 100 ms, and the search ends saying
// so.
TEST(ReceivedList, FindingInAMillionLinesNeverHoldsTheWindow)
{
    bool ran = false;
    run_main_window([&](HWND dialog) {
        ran = true;
        main_dialog.receiver().set_max_lines(2000000);
        for (int i = 0; i < 1000000; i += 100000)
            add_lines("line ", i, 100000);
        ASSERT_EQ(1000000, main_dialog.receiver().line_count());
        command(dialog, IDM_FIND);
        HWND find = wait_for_window(WindowQuery{"#32770", nullptr, dialog}, 5000);
        ASSERT_TRUE(find) << "no Find dialog";
        SetDlgItemTextA(find, 0x480, "needle");
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        auto ms = [&] {
            return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                   static_cast<double>(frequency.QuadPart);
        };
        QueryPerformanceCounter(&start);
        click(find, IDOK);
        QueryPerformanceCounter(&end);
        double longest = ms();
        UINT longest_message = WM_COMMAND;
        WPARAM longest_wparam = IDOK;
        int messages = 0;
        DWORD began = GetTickCount();
        while (status_text() != "Cannot find \"needle\"" && GetTickCount() - began < 60000) {
            MSG msg;
            if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                Sleep(1);
                continue;
            }
            QueryPerformanceCounter(&start);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            QueryPerformanceCounter(&end);
            ++messages;
            if (ms() > longest) {
                longest = ms();
                longest_message = msg.message;
                longest_wparam = msg.wParam;
            }
        }
        EXPECT_EQ("Cannot find \"needle\"", status_text());
        EXPECT_LT(longest, 100.0) << "message " << longest_message << " (" << longest_wparam
                                  << ") held the window " << longest << " ms";
        EXPECT_GT(messages, 0) << "the whole search ran at once";
        DestroyWindow(find);
    });
    EXPECT_TRUE(ran);
}

// Past 100,000 lines a tenth of them goes; that must not hold the window.
// Deleting list box strings one by one from the front took 1.3 s here, twice the bound.
TEST(ReceivedList, DroppingTheOldestTenthOf100000LinesIsQuick)
{
    run_main_window([&](HWND dialog) {
        ASSERT_EQ(100000, main_dialog.settings().max_lines);
        add_lines("line ", 0, 100000);
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        add_lines("line ", 100000, 1);
        QueryPerformanceCounter(&end);
        double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart);
        EXPECT_LT(ms, 650.0) << "the tick that dropped 10,001 lines took " << ms << " ms";
        // Only the ends are read: reading 90,000 lines takes long.
        ListViewText list(GetDlgItem(dialog, IDC_RECEIVED_LIST));
        std::wstring first, last;
        ASSERT_EQ(90000, list.count());
        EXPECT_TRUE(list.line(0, first) && first == L"line 10001");
        EXPECT_TRUE(list.line(89999, last) && last == L"line 100000");
        EXPECT_EQ(89999, list_selection(dialog)) << "the newest line stays selected";
    });
}

// A letter typed with the list focused makes the list look for a line; the
// answer leaves the list following the newest line.
TEST(ReceivedList, ATypedLetterKeepsTheListFollowing)
{
    run_main_window([&](HWND dialog) {
        add_lines("abc ", 0, 50);
        HWND list = GetDlgItem(dialog, IDC_RECEIVED_LIST);
        SetFocus(list);
        SendMessageW(list, WM_CHAR, 'a', 1);
        add_lines("abc ", 50, 5);
        EXPECT_EQ(54, list_selection(dialog)) << "the newest line is no longer selected";
    });
}

// An older line selected stays selected, and in view, while the lines before
// it are dropped; once it is dropped itself nothing is selected, and the
// list follows the newest line again from the next tick on.
TEST(ReceivedList, AHeldLineStaysSelectedAsOlderLinesGo)
{
    run_main_window([&](HWND dialog) {
        main_dialog.receiver().set_max_lines(100);
        add_lines("L", 0, 100);
        HWND list = GetDlgItem(dialog, IDC_RECEIVED_LIST);
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, 50, reinterpret_cast<LPARAM>(&item));
        SendMessageA(list, LVM_ENSUREVISIBLE, 50, FALSE);
        struct Step {
            int added;
            const char* selected;  // its text, "" for the newest, null for none
        } steps[] = {{5, "L50"}, {20, "L50"}, {60, nullptr}, {1, ""}};
        int next = 100;
        for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
            add_lines("L", next, steps[i].added);
            next += steps[i].added;
            std::vector<std::string> lines = list_lines(dialog);
            std::vector<int> chosen = selected_lines(dialog);
            if (!steps[i].selected) {
                EXPECT_TRUE(chosen.empty()) << "step " << i << ": line " << chosen[0] << " selected";
                continue;
            }
            ASSERT_EQ(1u, chosen.size()) << "step " << i;
            std::string expected = *steps[i].selected ? steps[i].selected : lines.back();
            EXPECT_EQ(expected, lines[static_cast<size_t>(chosen[0])]) << "step " << i;
            int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
            int shown = static_cast<int>(SendMessageA(list, LVM_GETCOUNTPERPAGE, 0, 0));
            EXPECT_TRUE(chosen[0] >= top && chosen[0] <= top + shown)
                << "step " << i << ": line " << chosen[0] << " out of view, top " << top;
        }
    });
}

// Every byte reaches the capture file in order while the list, kept short,
// drops lines on nearly every tick.
TEST(ReceivedList, ACaptureKeepsEveryByteWhileTheListDropsLines)
{
    std::string folder = make_temp_folder("trim");
    std::string path = folder + "all.bin";
    std::string sent;
    for (int i = 0; i < 60000; ++i)
        sent += static_cast<char>(i * 7 + i / 256);
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        main_dialog.receiver().set_max_lines(100);
        command(dialog, IDM_VIEW_HEX);
        ASSERT_TRUE(main_dialog.receiver().start_capture(wide(path).c_str()));
        for (size_t at = 0; at < sent.size(); at += 15000) {
            ASSERT_TRUE(device.send_bytes(1, sent.substr(at, 15000))) << device.last_reply();
            ASSERT_TRUE(wait_for_ticks(1, 3000)) << "no tick after byte " << at;
        }
        EXPECT_TRUE(pump_until(
            [&] { return main_dialog.receiver().capture().bytes_written() >= sent.size(); }, 15000))
            << "not every byte reached the capture";
        main_dialog.receiver().capture().stop();
        EXPECT_EQ(sent.size(), read_file(path).size());
        EXPECT_TRUE(sent == read_file(path)) << "the captured bytes differ from those sent";
        std::vector<std::string> lines = list_lines(dialog);
        EXPECT_LE(lines.size(), 100u);
        EXPECT_GE(lines.size(), 90u);
    });
    remove_tree(folder);
}

// One tick takes everything the reader has gathered, however much that is,
// into the capture and the list.
TEST(ReceivedList, OneTickTakesEverythingGathered)
{
    const int size = 400000;
    std::string sent;
    for (int i = 0; i < size; ++i)
        sent += static_cast<char>('a' + i % 26);
    std::string folder = make_temp_folder("tick");
    std::string path = folder + "tick.bin";
    DeviceClient device;
    with_open_port(device, "silent", [&](HWND dialog) {
        KillTimer(dialog, 1);  // the test delivers the one tick itself
        pump_messages(50);
        command(dialog, IDM_CLEAR_RECEIVED);
        command(dialog, IDM_VIEW_AS_RECEIVED);
        ASSERT_TRUE(main_dialog.receiver().start_capture(wide(path).c_str()));
        ASSERT_TRUE(device.send_bytes(1, sent)) << device.last_reply();
        ASSERT_TRUE(pump_until([&] { return serial_channel.bytes_waiting() >= size; }, 15000))
            << serial_channel.bytes_waiting() << " bytes gathered";
        SendMessageA(dialog, WM_TIMER, 1, 0);
        EXPECT_EQ(0, serial_channel.bytes_waiting()) << "bytes left for a later tick";
        EXPECT_EQ(static_cast<DWORD>(size), main_dialog.receiver().capture().bytes_written());
        EXPECT_EQ((size + 254) / 255, static_cast<int>(list_lines(dialog).size()));
        main_dialog.receiver().capture().stop();
    });
    EXPECT_TRUE(sent == read_file(path)) << "the captured bytes differ from those sent";
    remove_tree(folder);
}

}  // namespace
