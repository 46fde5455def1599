// A capture as a part: the files it makes, the names it refuses and a file
// another program holds, with the test's clock and a stand-in for the wait
// between tries.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
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
    ~CaptureBench() { DestroyWindow(parent); }
    // The capture part's whole text (the bar may show it shortened).
    std::string said() const { return narrow(status.text(status_capture)); }
};

// Every file of a folder with its bytes, by name: "a.log=one b.log=two ".
std::string folder_files(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    std::sort(names.begin(), names.end());
    std::string files;
    for (const std::string& name : names)
        files += name + "=" + read_file(folder + name) + " ";
    return files;
}

}  // namespace

// What was there, the options, the steps ("start", "restart", "stop",
// "minute N", "line TEXT" as the list shows it, else bytes received) and the
// files left: only the first file of a capture the user started replaces one.
TEST(CaptureFileNames, NothingThisRunWroteIsReplaced)
{
    struct Case {
        const char* before;  // "NAME=TEXT", or ""
        const char* pattern;
        uint64_t limit;
        bool append, as_shown;
        std::vector<std::string> steps;
        const char* files;
    } cases[] = {
        {"", "cap.log", 0, false, false, {"start", "one", "stop", "restart", "two", "stop",
         "restart", "three"}, "cap-2.log=two cap-3.log=three cap.log=one "},
        {"", "cap.log", 0, true, false, {"start", "one", "stop", "restart", "two"},
         "cap.log=onetwo "},
        {"cap.log=old", "cap.log", 0, false, false, {"restart", "new"}, "cap-2.log=new cap.log=old "},
        {"cap-2.log=old", "cap.log", 3, false, false, {"start", "abcdefg"},
         "cap-2.log=old cap-3.log=def cap-4.log=g cap.log=abc "},
        // Four names are remembered; the fifth before this one pushes 01 out.
        {"", "%M.log", 1, false, false, {"start", "a", "minute 2", "b", "minute 3", "c",
         "minute 4", "d", "minute 5", "e", "minute 1", "f"},
         "01-2.log=f 01.log=a 02.log=b 03.log=c 04.log=d 05.log=e "},
        {"cap.log=old", "cap.log", 0, true, true, {"start", "line new", "stop"},
         "cap.log=old\r\nnew\r\n "},
        {"cap.log=old", "cap.log", 0, true, false, {"start", "new"}, "cap.log=oldnew "},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        std::string folder = make_temp_folder("names"), before = c.before;
        if (!before.empty()) {
            ASSERT_TRUE(write_file(folder + before.substr(0, before.find('=')),
                                   before.substr(before.find('=') + 1)));
        }
        CaptureBench bench;
        bench.settings.size_limit = c.limit;
        bench.settings.append = c.append;
        bench.settings.as_shown = c.as_shown;
        const std::wstring pattern = wide(folder + c.pattern);
        for (const std::string& step : c.steps) {
            if (step == "start" || step == "restart")
                EXPECT_EQ(1, step == "start" ? bench.capture.start(pattern.c_str(), 7)
                                             : bench.capture.restart(pattern.c_str(), 7))
                    << "case " << i << ": " << bench.said();
            else if (step == "stop")
                bench.capture.stop();
            else if (step.compare(0, 7, "minute ") == 0)
                bench_time.minute = std::stoi(step.substr(7));
            else if (step.compare(0, 5, "line ") == 0)
                bench.capture.line_added(step.c_str() + 5, true);
            else
                bench.capture.write(step.data(), static_cast<int>(step.size()));
        }
        bench.capture.stop();
        EXPECT_EQ(c.files, folder_files(folder)) << "case " << i;
        remove_tree(folder);
    }
}

// Refused at once, saying why, with no file made; a relative name counts
// with the folder it lies in (the current one here).
TEST(CaptureFileNames, NamesWindowsWouldNotWriteAreRefusedAtOnce)
{
    std::string folder = make_temp_folder("refused");
    const struct {
        std::wstring name;
        const char* said;
    } cases[] = {
        {wide(folder) + L"%H:%M.log", "Capture stopped: a file name can't hold \":\""},
        {wide(folder) + L"COM\u00b9 .log", "Capture stopped: COM\xc2\xb9 .log names a device"},
        {std::wstring(250, L'n') + L".log", "Capture stopped: the file name is too long"},
    };
    char current[MAX_PATH];
    ASSERT_TRUE(GetCurrentDirectoryA(MAX_PATH, current));
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        CaptureBench bench;
        EXPECT_EQ(0, bench.capture.start(cases[i].name.c_str(), 7)) << "case " << i;
        EXPECT_EQ(cases[i].said, bench.said()) << "case " << i;
        EXPECT_EQ("", folder_files(folder)) << "case " << i;
    }
    SetCurrentDirectoryA(current);
    remove_tree(folder);
}

namespace {

// The waits between tries; the file another program holds is let go at
// wait number `release_at` (0: never).
DWORD waited_ms;
int waits, release_at;
HANDLE held = INVALID_HANDLE_VALUE;
void WINAPI counting_sleep(DWORD milliseconds)
{
    waited_ms += milliseconds;
    if (++waits == release_at)
        CloseHandle(held);
}

}  // namespace

// The next day's file, appended to, is held by another program when the
// capture moves on to it: tried again for about 2 s, then the capture stops
// with Windows' reason.
TEST(CaptureFileNames, AFileHeldAtTheNextFileIsWaitedFor)
{
    const struct {
        int release_at;
        const char* files;
        const char* said;  // its start
        DWORD waited_ms;
    } cases[] = {
        {3, "cap_09.log=a cap_10.log=b ", "Capture: cap_10.log, 1 bytes", 300},
        {0, "cap_09.log=a cap_10.log= ", "Capture stopped: could not write cap_10.log: ", 2000},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::string folder = make_temp_folder("held");
        CaptureBench bench;
        bench.settings.append = bench.settings.daily = 1;
        ASSERT_EQ(1, bench.capture.start(wide(folder + "cap_%d.log").c_str(), 7)) << bench.said();
        bench.capture.write("a", 1);
        held = CreateFileA((folder + "cap_10.log").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           0, nullptr);
        waited_ms = waits = 0;
        release_at = cases[i].release_at;
        bench_time.day = 10;
        {
            ImportPatch sleep("kernel32.dll", "Sleep", reinterpret_cast<void*>(counting_sleep));
            bench.capture.write("b", 1);
        }
        if (!release_at)
            CloseHandle(held);
        bench.capture.show_status();  // as the window's tick does
        std::string said = bench.said();
        EXPECT_EQ(0u, said.find(cases[i].said)) << "case " << i << ": " << said;
        if (!release_at) {
            EXPECT_LT(std::string(cases[i].said).size() + 3, said.size()) << "no reason: " << said;
        }
        EXPECT_EQ(cases[i].waited_ms, waited_ms) << "case " << i;
        bench.capture.stop();
        EXPECT_EQ(cases[i].files, folder_files(folder)) << "case " << i;
        remove_tree(folder);
    }
}
