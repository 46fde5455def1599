// The View menu: how received bytes are shown, capturing them to a file,
// copying and clearing the list; the line-end and escape options; and
// ending with Windows.
#include "app/main_dialog.h"
#include <commctrl.h>
#include "framework/file_dialog.h"
#include "app/program_objects.h"
#include "framework/radio_group.h"
#include "resources/resource_ids.h"

ReceiveView receive_view;
wchar_t capture_path_text[MAX_PATH];

namespace {

// The file name part of a path.
const wchar_t* file_name_of(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    return name;
}

}  // namespace

void MainDialog::choose_view(int mode)
{
    view.set_mode(static_cast<ReceiveMode>(mode));
    settings_changed = 1;
    update_view_menu();
}

void MainDialog::toggle_time_stamps()
{
    options.time = options.time == 1 ? 0 : 1;
    view.set_time_stamps(options.time == 1);
    settings_changed = 1;
    update_view_menu();
}

void MainDialog::update_view_menu()
{
    CheckMenuRadioItem(menu, IDM_VIEW_AS_RECEIVED, IDM_VIEW_HEX,
                       IDM_VIEW_AS_RECEIVED + static_cast<int>(view.mode()), MF_BYCOMMAND);
    CheckMenuItem(menu, IDM_TIME_STAMPS, options.time == 1 ? MF_CHECKED : MF_UNCHECKED);
    EnableMenuItem(menu, IDM_STOP_CAPTURE, capture_file ? MF_ENABLED : MF_GRAYED);
}

// Starts writing every received byte to the file at `path`, replacing it.
// 1 when the file could be made; 0 leaves any running capture as it was.
int MainDialog::start_capture(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        show_capture_failure(path);
        return 0;
    }
    stop_capture();
    capture_file = file;
    capture_bytes = 0;
    lstrcpynW(capture_path, path, MAX_PATH);
    show_capture_status();
    update_view_menu();
    return 1;
}

void MainDialog::choose_capture_file()
{
    wchar_t path[MAX_PATH];
    if (choose_file(hwnd, path, true))
        start_capture(path);
    refocus_command();
}

// Closes the file with everything written so far; the status part keeps
// its last text.
void MainDialog::stop_capture()
{
    if (!capture_file)
        return;
    CloseHandle(capture_file);
    capture_file = nullptr;
    SendMessageA(status_bar, SB_SETTEXTA, 2, reinterpret_cast<LPARAM>(""));
    update_view_menu();
}

// A write that fails (a full disk, a removed stick) ends the capture;
// receiving goes on.
void MainDialog::capture_received(const char* bytes, int count)
{
    if (!capture_file)
        return;
    DWORD written = 0;
    if (WriteFile(capture_file, bytes, static_cast<DWORD>(count), &written, nullptr) &&
        written == static_cast<DWORD>(count)) {
        capture_bytes += written;
        return;
    }
    stop_capture();
    show_capture_failure(capture_path);
}

void MainDialog::show_capture_failure(const wchar_t* path)
{
    show_capture_text(L"Capture stopped: could not write %s", path);
}

// The capture's part of the status bar: `format` with the file's name and
// the bytes written.
void MainDialog::show_capture_text(const wchar_t* format, const wchar_t* path)
{
    wchar_t text[MAX_PATH + 40];
    wsprintfW(text, format, file_name_of(path), capture_bytes);
    SendMessageW(status_bar, SB_SETTEXTW, 2, reinterpret_cast<LPARAM>(text));
}

void MainDialog::show_capture_status()
{
    if (capture_file)
        show_capture_text(L"Capture: %s, %lu bytes", capture_path);
}

// The selected lines as text, CR LF between them, as the list shows them.
// Windows offers the clipboard's text in the 8-bit form too.
void MainDialog::copy_selected_lines()
{
    HWND list = GetDlgItem(hwnd, IDC_RECEIVED_LIST);
    auto next = [list](int after) {
        return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after),
                                             MAKELPARAM(LVNI_SELECTED, 0)));
    };
    // A line's UTF-16 text is never longer than its stored bytes.
    SIZE_T size = 1;
    for (int i = next(-1); i >= 0; i = next(i))
        size += static_cast<SIZE_T>(received_lines.length(i)) + 2;
    if (size == 1)
        return;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size * sizeof(wchar_t));
    if (!block)
        return;
    wchar_t* text = static_cast<wchar_t*>(GlobalLock(block));
    wchar_t* at = text;
    for (int i = next(-1); i >= 0; i = next(i)) {
        if (at != text) {
            *at++ = L'\r';
            *at++ = L'\n';
        }
        at += received_line_text(i, at, static_cast<int>(size - (at - text)));
    }
    *at = L'\0';
    GlobalUnlock(block);
    if (OpenClipboard(hwnd)) {
        EmptyClipboard();
        if (SetClipboardData(CF_UNICODETEXT, block))
            block = nullptr;
        CloseClipboard();
    }
    if (block)
        GlobalFree(block);
}

// The four line-end buttons: CR and LF are SendChar's, CR LF and none are
// LineEnd's.
void MainDialog::choose_line_end(int index)
{
    if (index <= 1) {
        options.line_end = 0;
        SendChar = index;
    } else {
        options.line_end = index - 1;
    }
    check_radio_index(hwnd, IDC_SEND_CR, IDC_SEND_NONE, index);
    settings_changed = 1;
    refocus_command();
}

void MainDialog::escapes_clicked()
{
    options.escapes = IsDlgButtonChecked(hwnd, IDC_ESCAPES) == BST_CHECKED ? 1 : 0;
    settings_changed = 1;
    refocus_command();
}

// Windows may end the session whenever the user asks: the answer is yes.
int MainDialog::on_query_end_session()
{
    result = TRUE;
    return 1;
}

// When the session really ends the process goes without an exit: the
// capture file is completed and changed settings are saved now.
void MainDialog::end_session(WPARAM ending)
{
    if (!ending)
        return;
    stop_capture();
    if (settings_changed == 1)
        save_settings();
}

int MainDialog::on_default_message(UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_ENDSESSION:         end_session(wparam); return 0;
    case WM_GETMINMAXINFO:      fill_min_max(reinterpret_cast<MINMAXINFO*>(lparam)); return 0;
    case WM_WINDOWPOSCHANGED:   window_pos_changed(); return 0;
    default:                    return 0;
    }
}
