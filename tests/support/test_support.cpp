#include "tests/support/test_support.h"
#include <cstdio>
#include <cstring>
#include <commctrl.h>
#include "framework/custom_control.h"
#include "tests/support/device_client.h"

void pump_messages(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (milliseconds)
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

std::string make_temp_folder(const char* tag)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static unsigned counter;
    char folder[MAX_PATH];
    snprintf(folder, sizeof folder, "%squorvex-%s-%lu-%u\\", temp, tag, GetCurrentProcessId(),
             ++counter);
    remove_tree(folder);
    CreateDirectoryA(folder, nullptr);
    return folder;
}

void remove_tree(const std::string& folder)
{
    std::string base = folder;
    if (!base.empty() && base.back() != '\\')
        base += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = base + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(base.c_str());
}

std::string read_file(const std::string& path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    char chunk[4096];
    DWORD got;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got)
        bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

std::wstring wide(const std::string& text)
{
    std::wstring result(text.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &result[0],
                                     static_cast<int>(result.size()));
    result.resize(length > 0 ? length - 1 : 0);
    return result;
}

std::string unix_path(const std::string& windows_path)
{
    std::string path = windows_path.substr(windows_path.size() >= 2 && windows_path[1] == ':' ? 2 : 0);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

std::string narrow(const std::wstring& text)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(bytes > 0 ? bytes : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], bytes, nullptr, nullptr);
    result.resize(bytes > 0 ? bytes - 1 : 0);
    return result;
}

bool write_file(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

static std::string opened_log_path()
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QUORVEX_OPENED_LOG", path, sizeof path);
    return (length && length < sizeof path) ? path : "";
}

std::string opened_log()
{
    return read_file(opened_log_path());
}

void clear_opened_log()
{
    DeleteFileA(opened_log_path().c_str());
}

bool wait_for_opened(int count, DWORD milliseconds)
{
    return pump_until([&] {
        std::string log = opened_log();
        int lines = 0;
        for (char c : log)
            lines += c == '\n';
        return lines >= count;
    }, milliseconds);
}


void prepare_program_classes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    register_all_custom_classes();
}


std::vector<std::string> combo_entries(HWND combo)
{
    std::vector<std::string> entries;
    int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(SendMessageA(combo, CB_GETLBTEXTLEN, i, 0));
        std::vector<char> buffer((length > 0 ? length : 0) + 1);
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
        entries.emplace_back(buffer.data());
    }
    return entries;
}

void click(HWND dialog, int control_id)
{
    SendMessageA(GetDlgItem(dialog, control_id), BM_CLICK, 0, 0);
}

PortSettings port_settings(int comm, int speed_index, int parity, int byte_size, int stop_bits)
{
    PortSettings settings;
    settings.Comm = comm;
    settings.Speed = speed_index;
    settings.Parity = parity;
    settings.ByteSize = byte_size;
    settings.StopBits = stop_bits;
    return settings;
}

std::string describe(const PortSettings& s)
{
    return std::to_string(s.Comm) + "," + std::to_string(s.Speed) + "," +
           std::to_string(s.Parity) + "," + std::to_string(s.ByteSize) + "," +
           std::to_string(s.StopBits) + " port " + std::to_string(s.Port) + " baud " +
           std::to_string(s.Baud) + " flow " + std::to_string(s.Flow);
}

std::string wait_for_received(DeviceClient& device, size_t count, DWORD milliseconds, int com)
{
    std::string bytes;
    pump_until([&] {
        bytes = device.received(com);
        return bytes.size() >= count;
    }, milliseconds);
    return bytes;
}

namespace {

struct WindowSearch {
    const WindowQuery* query;
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM lparam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lparam);
    const WindowQuery& query = *search->query;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != (query.process_id ? query.process_id : GetCurrentProcessId()) ||
        !IsWindowVisible(window))
        return TRUE;
    if (query.owner && GetWindow(window, GW_OWNER) != query.owner)
        return TRUE;
    char text[256] = {};
    if (query.class_name &&
        (!GetClassNameA(window, text, sizeof text) || strcmp(text, query.class_name) != 0))
        return TRUE;
    if (query.title) {
        text[0] = '\0';
        GetWindowTextA(window, text, sizeof text);
        // "Quorvex" also finds "Quorvex - COM7", as a title names its port.
        size_t length = strlen(query.title);
        if (strncmp(text, query.title, length) != 0 ||
            (text[length] != '\0' && strncmp(text + length, " - ", 3) != 0))
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

WindowQuery awaited_query;
std::function<void(HWND)> awaited_act;
UINT_PTR awaited_timer = 0;
DWORD awaited_since = 0;
bool awaited_act_done = false;

// A window that never matches is given up after half a minute: the active
// window (the one the modal loop waits for) is cancelled, so that the test
// fails instead of hanging.
void CALLBACK look_for_awaited_window(HWND, UINT, UINT_PTR, DWORD)
{
    HWND window = find_window(awaited_query);
    if (!window && GetTickCount() - awaited_since < 30000)
        return;
    KillTimer(nullptr, awaited_timer);
    awaited_timer = 0;
    if (!window) {
        if (HWND active = GetActiveWindow())
            PostMessageA(active, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    awaited_act(window);
    awaited_act_done = true;
}

}  // namespace

HWND find_window(const WindowQuery& query)
{
    WindowSearch search = {&query, nullptr};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND wait_for_window(const WindowQuery& query, DWORD milliseconds)
{
    HWND window = nullptr;
    pump_until([&] { return (window = find_window(query)) != nullptr; }, milliseconds);
    return window;
}

void when_window_opens(const WindowQuery& query, const std::function<void(HWND)>& act)
{
    if (awaited_timer)
        KillTimer(nullptr, awaited_timer);
    awaited_query = query;
    awaited_act = act;
    awaited_act_done = false;
    awaited_since = GetTickCount();
    awaited_timer = SetTimer(nullptr, 0, 20, look_for_awaited_window);
}

bool window_was_driven()
{
    if (awaited_timer)
        KillTimer(nullptr, awaited_timer);
    awaited_timer = 0;
    return awaited_act_done;
}

bool start_process(std::string command_line, HANDLE* process, DWORD* process_id)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
        return false;
    // Wine starts a Unix program without a Windows process: it returns no
    // process handle and leaves stale stack bytes in hThread and the id.
    // Closing that "handle" would close whatever of ours has that value
    // (a port, an event, the socket layer's own event), so only a real
    // process's thread handle is closed.
    if (!started.hProcess) {
        if (process_id)
            *process_id = 0;
        if (process)
            *process = nullptr;
        return true;
    }
    if (started.hThread)
        CloseHandle(started.hThread);
    if (process_id)
        *process_id = started.dwProcessId;
    if (process)
        *process = started.hProcess;
    else if (started.hProcess)
        CloseHandle(started.hProcess);
    return true;
}

int finish_process(HANDLE process, DWORD milliseconds)
{
    if (!process)
        return -1;
    DWORD exit_code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process, milliseconds) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &exit_code);
    else
        TerminateProcess(process, 1);
    CloseHandle(process);
    return static_cast<int>(exit_code);
}
