// A capture as a part: the files it makes and never replaces, the names it
// refuses and a file another program holds, with the clock of the test and
// a stand-in for the wait between tries.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "app/capture_file.h"
#include "tests/serial/import_patch.h"
#include "tests/support/test_support.h"

namespace {

CaptureTime bench_time;
void bench_clock(CaptureTime& now) { now = bench_time; }

// A capture with a status bar of its own on a hidden window.
struct CaptureBench {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 40, nullptr, nullptr,
                                  nullptr, nullptr);
    StatusBar status;
    CaptureSettings settings;
    CaptureFile capture{status, settings};

    CaptureBench()
    {
        bench_time = CaptureTime{2026, 12, 9, 11, 1, 0};
        prepare_program_classes();
        status.create(parent, 1);
        status.fit(96);
        capture.set_clock(bench_clock);
    }
    ~CaptureBench()
    {
        capture.stop();
        DestroyWindow(parent);
    }
    std::string said() const
    {
        wchar_t text[600] = {};
        if (LOWORD(SendMessageW(status.hwnd(), SB_GETTEXTLENGTHW, status_capture, 0)) < 600)
            SendMessageW(status.hwnd(), SB_GETTEXTW, status_capture, reinterpret_cast<LPARAM>(text));
        return narrow(text);
    }
};

// Every file of a folder with its bytes, by name: "a.log=one b.log=two ".
std::string folder_files(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    std::string files;
    for (const std::string& name : names)
        files += name + "=" + read_file(folder + name) + " ";
    return files;
}

}  // namespace

// What was there, the options, then the steps ("start", "restart", "stop",
// "minute N", "line TEXT" as the list shows it, else bytes received) and the
// files left. Only the first file of a capture the user started replaces a
// file; everything this run wrote stays.
TEST(CaptureFileNames, NothingThisRunWroteIsReplaced)
{
    struct Case {
        const char* what;
        std::vector<std::pair<const char*, const char*>> before;
        const char* pattern;
        uint64_t limit;
        bool append, as_shown;
        std::vector<std::string> steps;
        const char* files;
    } cases[] = {
        {"a restart after a reopen", {}, "cap.log", 0, false, false,
         {"start", "one", "stop", "restart", "two", "stop", "restart", "three"},
         "cap-2.log=two cap-3.log=three cap.log=one "},
        {"a restart, appending", {}, "cap.log", 0, true, false,
         {"start", "one", "stop", "restart", "two"}, "cap.log=onetwo "},
        {"the kept capture at start", {{"cap.log", "old"}}, "cap.log", 0, false, false,
         {"restart", "new"}, "cap-2.log=new cap.log=old "},
        {"chosen by the user", {{"cap.log", "old"}}, "cap.log", 0, false, false,
         {"start", "new"}, "cap.log=new "},
        {"the next number there already", {{"cap-2.log", "old"}}, "cap.log", 3, false, false,
         {"start", "abcdefg"}, "cap-2.log=old cap-3.log=def cap-4.log=g cap.log=abc "},
        {"a name back after four others", {}, "%M.log", 1, false, false,
         {"start", "a", "minute 2", "b", "minute 3", "c", "minute 4", "d", "minute 5", "e",
          "minute 1", "f"},
         "01-2.log=f 01.log=a 02.log=b 03.log=c 04.log=d 05.log=e "},
        {"lines after a file without a line end", {{"cap.log", "old"}}, "cap.log", 0, true, true,
         {"start", "line new", "stop"}, "cap.log=old\r\nnew\r\n "},
        {"lines after a file with one", {{"cap.log", "old\n"}}, "cap.log", 0, true, true,
         {"start", "line new", "stop"}, "cap.log=old\nnew\r\n "},
        {"bytes after a file without a line end", {{"cap.log", "old"}}, "cap.log", 0, true, false,
         {"start", "new", "stop"}, "cap.log=oldnew "},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        std::string folder = make_temp_folder("names");
        for (const auto& file : c.before)
            ASSERT_TRUE(write_file(folder + file.first, file.second)) << "case " << i;
        CaptureBench bench;
        bench.settings.size_limit = c.limit;
        bench.settings.append = c.append;
        bench.settings.as_shown = c.as_shown;
        const std::wstring pattern = wide(folder + c.pattern);
        for (const std::string& step : c.steps) {
            int started = 1;
            if (step == "start")
                started = bench.capture.start(pattern.c_str(), 7);
            else if (step == "restart")
                started = bench.capture.restart(pattern.c_str(), 7);
            else if (step == "stop")
                bench.capture.stop();
            else if (step.compare(0, 7, "minute ") == 0)
                bench_time.minute = std::stoi(step.substr(7));
            else if (step.compare(0, 5, "line ") == 0)
                bench.capture.line_added(step.c_str() + 5, true);
            else
                bench.capture.write(step.data(), static_cast<int>(step.size()));
            EXPECT_EQ(1, started) << "case " << i << ": " << c.what << ", " << step << ": "
                                  << bench.said();
        }
        bench.capture.stop();
        EXPECT_EQ(c.files, folder_files(folder)) << "case " << i << ": " << c.what;
        remove_tree(folder);
    }
}

// A name Windows would not write is refused at once, saying why, and no file
// or folder is made. A relative name counts with the folder it lies in.
TEST(CaptureFileNames, NamesWindowsWouldNotWriteAreRefusedAtOnce)
{
    const std::wstring superscript_one(1, L'\u00b9');
    const std::string long_name = std::string(250, 'n') + ".log";
    struct Case {
        std::wstring name;
        const char* said;
    } cases[] = {
        {L"%H:%M.log", "Capture stopped: a file name can't hold \":\""},
        {L"sub\\a*.log", "Capture stopped: a file name can't hold \"*\""},
        {L"a?.log", "Capture stopped: a file name can't hold \"?\""},
        {L"NUL .txt", "Capture stopped: NUL .txt names a device"},
        {L"COM7 .log", "Capture stopped: COM7 .log names a device"},
        {L"LPT" + superscript_one + L".log", "Capture stopped: LPT\xc2\xb9.log names a device"},
        {L"aux\\x.log", "Capture stopped: aux names a device"},
        {wide(long_name), "Capture stopped: the file name is too long"},
    };
    std::string folder = make_temp_folder("refused");
    char current[MAX_PATH];
    ASSERT_TRUE(GetCurrentDirectoryA(MAX_PATH, current));
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        CaptureBench bench;
        // The long name is relative: it would lie in the folder.
        std::wstring pattern = i + 1 == sizeof cases / sizeof cases[0]
                                   ? cases[i].name
                                   : wide(folder) + cases[i].name;
        EXPECT_EQ(0, bench.capture.start(pattern.c_str(), 7)) << "case " << i;
        EXPECT_EQ(cases[i].said, bench.said()) << "case " << i;
        EXPECT_FALSE(bench.capture.active()) << "case " << i;
        EXPECT_EQ("", folder_files(folder)) << "case " << i;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder + "sub").c_str()))
            << "case " << i;
    }
    SetCurrentDirectoryA(current);
    remove_tree(folder);
}

namespace {

// The waits between tries, and the file another program holds, let go after
// `release_after` waits (0: never).
DWORD waited_ms;
int waits;
int release_after;
HANDLE held = INVALID_HANDLE_VALUE;
void WINAPI counting_sleep(DWORD milliseconds)
{
    waited_ms += milliseconds;
    if (++waits == release_after && held != INVALID_HANDLE_VALUE) {
        CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
    }
}

}  // namespace

// The next day's file, to be appended to, is held by another program when
// the capture moves on to it: tried again for about 2 s, then the capture
// stops with Windows' reason.
TEST(CaptureFileNames, AFileHeldAtTheNextFileIsWaitedFor)
{
    struct Case {
        int release_after;
        const char* files;
        const char* said;  // the start of it
        DWORD least_ms, most_ms;
    } cases[] = {
        {3, "cap_09.log=a cap_10.log=b ", "Capture: cap_10.log, 1 bytes", 300, 300},
        {0, "cap_09.log=a cap_10.log= ", "Capture stopped: could not write cap_10.log: ", 1900,
         2500},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        std::string folder = make_temp_folder("held");
        CaptureBench bench;
        bench.settings.append = 1;
        bench.settings.daily = 1;
        ASSERT_EQ(1, bench.capture.start(wide(folder + "cap_%d.log").c_str(), 7)) << bench.said();
        bench.capture.write("a", 1);
        held = CreateFileA((folder + "cap_10.log").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                           nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, held) << "case " << i;
        waited_ms = 0;
        waits = 0;
        release_after = c.release_after;
        bench_time.day = 10;
        {
            ImportPatch sleep("kernel32.dll", "Sleep", reinterpret_cast<void*>(counting_sleep));
            ASSERT_TRUE(sleep.active());
            bench.capture.write("b", 1);
        }
        bench.capture.show_status();  // as the window's tick does
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        std::string said = bench.said();
        EXPECT_EQ(0u, said.find(c.said)) << "case " << i << ": " << said;
        EXPECT_GE(waited_ms, c.least_ms) << "case " << i;
        EXPECT_LE(waited_ms, c.most_ms) << "case " << i;
        if (!c.release_after) {
            EXPECT_GT(said.size(), strlen(c.said) + 3) << "case " << i << ": no reason given";
            EXPECT_FALSE(bench.capture.active()) << "case " << i;
        }
        bench.capture.stop();
        EXPECT_EQ(c.files, folder_files(folder)) << "case " << i;
        remove_tree(folder);
    }
}
