#include "tests/app/main_window_driver.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <cstring>
#include "app/program_objects.h"
#include "framework/custom_control.h"
#include "resources/resource_ids.h"
#include "tests/support/list_view_text.h"
#include "tests/support/test_support.h"

namespace {

std::function<void(HWND)> current_script;
MainWindowRun current_run;
WindowStart current_start = WindowStart::defaults;
UINT_PTR start_timer = 0;
UINT_PTR finish_timer = 0;
HHOOK tick_hook = nullptr;
int ticks_seen = 0;

bool opening_under_way()
{
    PortState state = main_dialog.session().state();
    return state == PortState::opening || state == PortState::reopening;
}

// Undoes whatever a settings file in the test prefix may have loaded.
void reset_window(HWND)
{
    reset_settings(main_dialog.settings());
    main_dialog.receiver().show_settings();
    main_dialog.sender().show_settings();
    main_dialog.session().set_reopening(true);
    CheckMenuItem(main_dialog.menu(), IDM_REOPEN_LOST, MF_CHECKED);
    port_setup_dialog.settings = PortSettings{};
}

// What an earlier run of the window left behind.
void reset_program_values()
{
    connection_light.state = ConnectionLight::closed;
    serial_channel.close();
    port_setup_dialog.settings = PortSettings{};
}

void CALLBACK finish(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    finish_timer = 0;
    current_run.ended_by_driver = true;
    main_dialog.settings_changed = 0;
    SendMessageA(main_dialog.hwnd, WM_COMMAND, IDCANCEL, 0);
}

void CALLBACK start(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    start_timer = 0;
    HWND dialog = main_dialog.hwnd;
    if (current_start == WindowStart::defaults)
        reset_window(dialog);
    current_script(dialog);
    current_run.script_finished = true;
    // Posted input of the script (Escape, the close box) is handled first.
    finish_timer = SetTimer(nullptr, 0, 100, finish);
}

LRESULT CALLBACK count_ticks(int code, WPARAM wparam, LPARAM lparam)
{
    auto* msg = reinterpret_cast<MSG*>(lparam);
    if (code == HC_ACTION && wparam == PM_REMOVE && msg->message == WM_TIMER &&
        msg->hwnd == main_dialog.hwnd && msg->hwnd && msg->wParam == 1)
        ++ticks_seen;
    return CallNextHookEx(tick_hook, code, wparam, lparam);
}

}  // namespace

MainWindowRun run_main_window(const std::function<void(HWND)>& script, WindowStart start_from)
{
    prepare_program_classes();
    reset_program_values();
    current_start = start_from;
    current_script = script;
    current_run = MainWindowRun{};
    if (!tick_hook)
        tick_hook = SetWindowsHookExA(WH_GETMESSAGE, count_ticks, nullptr, GetCurrentThreadId());
    start_timer = SetTimer(nullptr, 0, 10, start);
    current_run.result = main_dialog.run_modal(nullptr, IDD_MAIN);
    // Timers that never fired must not reach the next test.
    if (start_timer)
        KillTimer(nullptr, start_timer);
    if (finish_timer)
        KillTimer(nullptr, finish_timer);
    start_timer = finish_timer = 0;
    current_run.port_open_after = serial_channel.is_open != 0;
    serial_channel.close();
    main_dialog.hwnd = nullptr;
    EXPECT_NE(-1, current_run.result) << "run_main_window: the main window could not be created";
    EXPECT_TRUE(current_run.script_finished)
        << "run_main_window: the script did not run to its end (run_modal returned "
        << current_run.result << ")";
    return current_run;
}

// Lines as UTF-8, read with the list view's messages as another program
// would read them.
std::vector<std::string> list_lines(HWND dialog)
{
    std::vector<std::string> lines;
    ListViewText list(GetDlgItem(dialog, IDC_RECEIVED_LIST));
    std::wstring wide;
    for (int i = 0, count = list.count(); i < count; ++i) {
        if (!list.line(i, wide)) {
            lines.emplace_back("<unreadable line>");
            continue;
        }
        int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
        std::vector<char> text(bytes > 0 ? bytes : 1);
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), bytes, nullptr, nullptr);
        lines.emplace_back(text.data());
    }
    return lines;
}

int list_selection(HWND dialog)
{
    return ListViewText(GetDlgItem(dialog, IDC_RECEIVED_LIST)).next(-1, LVNI_SELECTED);
}

std::vector<int> selected_lines(HWND dialog)
{
    std::vector<int> lines;
    ListViewText list(GetDlgItem(dialog, IDC_RECEIVED_LIST));
    for (int i = list.next(-1, LVNI_SELECTED); i >= 0; i = list.next(i, LVNI_SELECTED))
        lines.push_back(i);
    return lines;
}

std::vector<std::string> history(HWND)
{
    return combo_entries(command_combo.hwnd);
}

std::string command_text(HWND)
{
    char text[512] = {};
    GetWindowTextA(command_combo.hwnd, text, sizeof text);
    return text;
}

std::string shown_status_text(int part)
{
    LRESULT length = SendMessageA(main_dialog.status_bar(), SB_GETTEXTLENGTHA, part, 0);
    std::vector<char> text(LOWORD(length) + 1);
    SendMessageA(main_dialog.status_bar(), SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

std::string status_text(int part)
{
    char text[512] = {};
    WideCharToMultiByte(CP_ACP, 0, main_dialog.status().text(part), -1, text, sizeof text,
                        nullptr, nullptr);
    return text;
}

std::string status_parts_cut_short(int parts)
{
    HWND bar = main_dialog.status_bar();
    HDC dc = GetDC(bar);
    HGDIOBJ old_font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(bar, WM_GETFONT, 0, 0)));
    std::string cut;
    for (int part = 0; part < parts; ++part) {
        std::string text = status_text(part);
        RECT rect = {};
        SendMessageA(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&rect));
        SIZE size = {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        if (size.cx > rect.right - rect.left)
            cut += "part " + std::to_string(part) + " \"" + text + "\" ";
    }
    SelectObject(dc, old_font);
    ReleaseDC(bar, dc);
    return cut;
}

void type_text(const char* text)
{
    for (const char* p = text; *p; ++p)
        SendMessageA(main_dialog.command_edit(), WM_CHAR, static_cast<unsigned char>(*p), 1);
}

// Puts `text` on the clipboard and pastes it into the field.
bool paste_text(const char* text)
{
    size_t size = strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block)
        return false;
    memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    if (!OpenClipboard(main_dialog.hwnd)) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    bool placed = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!placed) {
        GlobalFree(block);
        return false;
    }
    SendMessageA(main_dialog.command_edit(), WM_PASTE, 0, 0);
    return true;
}

void command(HWND dialog, int id, int notification)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, notification), 0);
}

bool wait_for_first_open_attempt(DWORD milliseconds)
{
    return pump_until([] { return main_dialog.first_tick_done != 0 && !opening_under_way(); },
                      milliseconds);
}

bool wait_for_open_attempt(DWORD milliseconds)
{
    return pump_until([] { return !opening_under_way(); }, milliseconds);
}

bool wait_for_ticks(int count, DWORD milliseconds)
{
    int target = ticks_seen + count;
    return pump_until([&] { return ticks_seen >= target; }, milliseconds);
}

void with_open_port(DeviceClient& device, const char* mode,
                    const std::function<void(HWND)>& script)
{
    ASSERT_TRUE(device.ping()) << device.last_reply();
    ASSERT_TRUE(device.set_mode(1, mode)) << device.last_reply();
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000)) << "with_open_port: no first tick";
        ASSERT_EQ(1, serial_channel.is_open) << "with_open_port: " << status_text();
        ASSERT_TRUE(device.flush(1)) << device.last_reply();
        ASSERT_TRUE(device.clear(1)) << device.last_reply();
        // Whatever the reader had already gathered reaches the list first.
        ASSERT_TRUE(wait_for_ticks(1, 5000)) << "with_open_port: no tick";
        command(dialog, IDM_CLEAR_RECEIVED);
        script(dialog);
    });
}

void pump_as_the_dialog(HWND dialog, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (CallMsgFilterW(&msg, MSGF_DIALOGBOX) || IsDialogMessageW(dialog, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

