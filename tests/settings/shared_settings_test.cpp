// Two windows of the program share one settings file, and the file may live
// in a folder whose name holds characters of any language.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <functional>
#include <string>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "settings_window_fixture.h"
#include "settings/settings_folder.h"
#include "tests/serial/import_patch.h"
#include "tests/app/main_window_driver.h"

namespace {

// A file's bytes by its UTF-16 path, "(missing)" when it can't be read.
std::string read(const std::wstring& path)
{
    std::string bytes;
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return "(missing)";
    char chunk[4096];
    DWORD got;
    while (ReadFile(handle, chunk, sizeof chunk, &got, nullptr) && got)
        bytes.append(chunk, got);
    CloseHandle(handle);
    return bytes;
}
// Replaces the file at a UTF-16 path with `bytes`.
bool write(const std::wstring& path, const std::string& bytes)
{
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr);
    DWORD written = 0;
    bool ok = handle != INVALID_HANDLE_VALUE &&
              WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                        nullptr) &&
              written == bytes.size();
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    return ok;
}

using SharedSettings = ApplicationDataTest;

// The program's own main window in another process.
struct ProgramWindow {
    HANDLE process = nullptr;
    DWORD process_id = 0;
    HWND window = nullptr;
};

// Starts Quorvex.exe (at the top of the build tree) and waits for its window.
bool start_program(ProgramWindow& program)
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return false;
    std::string exe(path);
    for (int i = 0; i < 3; ++i)
        exe.erase(exe.find_last_of('\\'));
    if (!start_process("\"" + exe + "\\Quorvex.exe\"", &program.process, &program.process_id))
        return false;
    WindowQuery query;
    query.title = "Quorvex";
    query.process_id = program.process_id;
    program.window = wait_for_window(query, 20000);
    return program.window != nullptr;
}

// Closes the window by its close box and waits for the process to end.
int close_program(ProgramWindow& program)
{
    PostMessageA(program.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return finish_process(program.process, 20000);
}

TEST_F(SettingsWindowTest, AFolderWithCharactersOutsideTheCodePageKeepsTheSettings)
{
    // Greek and Cyrillic letters and a CJK ideograph: no single code page has
    // them all. The folder is set directly: under Wine another process was
    // seen putting an application-data folder of such a name back to its
    // default while the tests ran.
    std::wstring application_data = wide(folder) + L"\u03a9\u0436\u4e2d";
    std::wstring unicode = application_data + L"\\BrantholmFreeware\\Quorvex\\";
    BOOL lossy = FALSE;
    char in_code_page[MAX_PATH * 3];
    WideCharToMultiByte(CP_ACP, 0, unicode.c_str(), -1, in_code_page, sizeof in_code_page,
                        nullptr, &lossy);
    EXPECT_TRUE(lossy) << "the name fits code page " << GetACP() << " after all";
    ASSERT_EQ(1, create_directory_path(unicode.c_str()));
    AppDataRedirect redirect_here(application_data);
    ASSERT_TRUE(redirect_here.active());
    reopen();
    window.settings().upper = 1;
    window.save_settings();
    EXPECT_EQ("[Port Settings]\r\nByteSize=0\r\nComm=0\r\nParity=0\r\nSpeed=0\r\nStopBits=0\r\n"
              "[Misc Settings]\r\nUpper=1\r\nSendChar=0\r\n[Old commands]\r\n",
              read(unicode + L"Quorvex.ini"))
        << "saved to " << narrow(window.store().path());
    reopen();
    EXPECT_TRUE(checked(IDC_USE_UPPERCASE)) << "the next run did not read the file back";
}

TEST_F(SharedSettings, AFolderThatCannotBeMadeIsSaidInTheStatusBar)
{
    // A file where the program's folder would go.
    ASSERT_TRUE(write_file(application_data() + "\\BrantholmFreeware", "x"));
    std::string said;
    run_main_window([&](HWND) { said = status_text(0); }, WindowStart::settings_file);
    EXPECT_EQ(0u, said.find("Settings can't be saved: ")) << said;
    EXPECT_GT(said.size(), 26u) << "no reason given: " << said;
    EXPECT_EQ(std::string::npos, said.find_first_of("\r\n")) << "more than one line: " << said;
}

namespace {

// Stand-ins: the waits between tries, another window that keeps its turn at
// the file beyond the ten seconds waited, and the calls that put the file in
// place (Wine's ReplaceFileW keeps no attributes: the call is what shows).
int waits_seen;
std::string put_by;
void WINAPI counted_sleep(DWORD) { ++waits_seen; }
DWORD WINAPI turn_kept_by_another(HANDLE, DWORD) { return WAIT_TIMEOUT; }
template <typename Function>
Function real(const char* name)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}
BOOL WINAPI recorded_replace(LPCWSTR old_file, LPCWSTR new_file, LPCWSTR backup, DWORD flags,
                             LPVOID exclude, LPVOID reserved)
{
    put_by += "ReplaceFileW ";
    return real<decltype(&ReplaceFileW)>("ReplaceFileW")(old_file, new_file, backup, flags,
                                                         exclude, reserved);
}
BOOL WINAPI recorded_move(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    put_by += "MoveFileExW ";
    return real<decltype(&MoveFileExW)>("MoveFileExW")(from, to, flags);
}

std::string state_part(HWND bar)
{
    char text[300] = {};
    SendMessageA(bar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace

// Whether a file was there and its attributes, whether another window keeps
// its turn; then whether the change was saved and how, and the state part
// of the status bar at start and after the save. A read-only file is said
// once and never waited for; a file there is replaced in place.
TEST_F(SettingsWindowTest, AFileNotToBeWrittenIsLeftAloneAndOneThereIsReplacedInPlace)
{
    const struct {
        bool there;
        DWORD attributes;
        bool turn_kept, saved;
        const char* put_by;
        const char* said;  // "start|after the save"
    } cases[] = {
        {true, FILE_ATTRIBUTE_READONLY, false, false, "",
         "Settings can't be saved: the file is read-only|"},
        {true, FILE_ATTRIBUTE_NORMAL, true, false, "", "|Settings can't be saved: another window kept the file for 10 s"},
        {true, FILE_ATTRIBUTE_NORMAL, false, true, "ReplaceFileW ", "|"},
        {false, FILE_ATTRIBUTE_NORMAL, false, true, "ReplaceFileW MoveFileExW ", "|"},
    };
    const std::string file = settings_file();
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        reopen();
        DeleteFileA(file.c_str());
        if (cases[i].there) {
            ASSERT_TRUE(write_file(file, example_file));
            ASSERT_TRUE(SetFileAttributesA(file.c_str(), cases[i].attributes));
        }
        window.load_settings();
        std::string said = state_part(window.status_bar()) + "|";
        SendMessageA(window.status_bar(), SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
        window.settings().upper = 0;
        waits_seen = 0;
        put_by.clear();
        {
            ImportPatch sleep("kernel32.dll", "Sleep", reinterpret_cast<void*>(counted_sleep));
            ImportPatch replace("kernel32.dll", "ReplaceFileW",
                                reinterpret_cast<void*>(recorded_replace));
            ImportPatch move("kernel32.dll", "MoveFileExW", reinterpret_cast<void*>(recorded_move));
            ImportPatch wait("kernel32.dll", "WaitForSingleObject",
                             cases[i].turn_kept ? reinterpret_cast<void*>(turn_kept_by_another)
                                                : nullptr);
            window.save_settings();
        }
        said += state_part(window.status_bar());
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        std::string now = read_file(file);
        EXPECT_EQ(cases[i].saved, !now.empty() && now != example_file) << "case " << i;
        EXPECT_EQ(cases[i].put_by, put_by) << "case " << i;
        EXPECT_EQ(0, waits_seen) << "case " << i;
        EXPECT_EQ(cases[i].said, said) << "case " << i;
        WIN32_FIND_DATAA found;
        HANDLE left = FindFirstFileA((file + ".*.tmp").c_str(), &found);
        EXPECT_EQ(INVALID_HANDLE_VALUE, left) << "case " << i << ": a temporary file left";
        if (left != INVALID_HANDLE_VALUE)
            FindClose(left);
    }
}

// Closed one after the other in either order, then ten times at the same
// moment: the file keeps what each window changed, every time.
TEST_F(SharedSettings, TwoWindowsKeepEachOnesChangesHoweverTheyClose)
{
    ASSERT_TRUE(make_settings_folder());
    const std::wstring file = wide(settings_file());
    for (int round = 0; round < 12; ++round) {
        ASSERT_TRUE(write(file, example_file)) << "round " << round;
        ProgramWindow first, second;
        ASSERT_TRUE(start_program(first)) << "round " << round;
        ASSERT_TRUE(start_program(second)) << "round " << round;
        // One turns uppercase off, the other turns escapes on and clears
        // the history.
        SendDlgItemMessageA(first.window, IDC_USE_UPPERCASE, BM_CLICK, 0, 0);
        SendMessageA(second.window, WM_COMMAND, IDM_CLEAR_COMMANDS, 0);
        SendDlgItemMessageA(second.window, IDC_ESCAPES, BM_CLICK, 0, 0);
        if (round < 2) {
            EXPECT_EQ(0, close_program(round == 0 ? first : second)) << "round " << round;
            EXPECT_EQ(0, close_program(round == 0 ? second : first)) << "round " << round;
        } else {
            PostMessageA(first.window, WM_SYSCOMMAND, SC_CLOSE, 0);
            PostMessageA(second.window, WM_SYSCOMMAND, SC_CLOSE, 0);
            EXPECT_EQ(0, finish_process(first.process, 20000)) << "round " << round;
            EXPECT_EQ(0, finish_process(second.process, 20000)) << "round " << round;
        }
        EXPECT_EQ("[Port Settings]\r\nByteSize=1\r\nComm=2\r\nParity=2\r\nSpeed=1\r\nStopBits=0\r\n"
                  "[Misc Settings]\r\nUpper=0\r\nSendChar=1\r\nEscapes=1\r\n[Old commands]\r\n",
                  read(file))
            << "round " << round;
    }
}

}  // namespace
