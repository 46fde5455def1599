// Looks at the running program's main window from another process, for the
// streaming benchmark:
//   window_probe.exe wait-open SECONDS   waits for "Port is open" in the status bar
//   window_probe.exe about-open          chooses Help > About... (the box stays up)
//   window_probe.exe about-close         closes the About box
//   window_probe.exe check               reads the received list and compares it
//                                        with the device's stream pattern
//   window_probe.exe count               prints lines= (the received list's length)
//   window_probe.exe answer SECONDS      sends WM_NULL every 50 ms for SECONDS and
//                                        prints the slowest answer (slowest_ms=)
//   window_probe.exe port-close          chooses Port > Close
//   window_probe.exe close SECONDS       ends the program as Escape does, and
//                                        waits for its window to go
// Exit code 0 on success, 1 on failure (with a message on stderr).
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "resources/resource_ids.h"
#include "tests/support/list_view_text.h"
#include "tools/vdev/pattern.h"

namespace {

// Cross-process calls give up after this long, so a hung program can't hang
// the benchmark.
constexpr UINT call_timeout_ms = 5000;

BOOL CALLBACK match_main_window(HWND window, LPARAM found)
{
    // "Quorvex", or "Quorvex - COM1" once a port is open.
    char title[32], kind[16];
    if (GetWindowTextA(window, title, sizeof title) && strncmp(title, "Quorvex", 7) == 0 &&
        (title[7] == '\0' || title[7] == ' ') &&
        GetClassNameA(window, kind, sizeof kind) && strcmp(kind, "#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND find_main_window()
{
    HWND found = nullptr;
    EnumWindows(match_main_window, reinterpret_cast<LPARAM>(&found));
    return found;
}

int fail(const char* what)
{
    fprintf(stderr, "window_probe: %s\n", what);
    return 1;
}

int wait_open(int seconds)
{
    DWORD give_up = GetTickCount() + seconds * 1000u;
    do {
        HWND main_window = find_main_window();
        HWND status = main_window ? GetDlgItem(main_window, IDC_STATUS_BAR) : nullptr;
        char text[64] = {};
        DWORD_PTR copied = 0;
        // WM_GETTEXT is marshalled properly between processes; it gives part 0.
        if (status && SendMessageTimeoutA(status, WM_GETTEXT, sizeof text,
                                          reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                          call_timeout_ms, &copied)) {
            if (strcmp(text, "Port is open") == 0)
                return 0;
            if (strcmp(text, "Port failed to open") == 0)
                return fail("the program could not open its port");
        }
        Sleep(100);
    } while (static_cast<LONG>(GetTickCount() - give_up) < 0);
    return fail("no main window with an open port");
}

int about_open()
{
    HWND main_window = find_main_window();
    if (!main_window)
        return fail("no main window");
    // Posted: the box runs its own loop inside the main window's handler.
    if (!PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(IDM_ABOUT, 0), 0))
        return fail("could not post the About command");
    for (int tries = 0; tries < 100; ++tries) {
        if (FindWindowA("CMSGCLASS", nullptr))
            return 0;
        Sleep(100);
    }
    return fail("the About box did not appear");
}

int about_close()
{
    HWND box = FindWindowA("CMSGCLASS", nullptr);
    if (!box)
        return fail("no About box");
    PostMessageA(box, WM_CLOSE, 0, 0);
    for (int tries = 0; tries < 100; ++tries) {
        if (!IsWindow(box))
            return 0;
        Sleep(100);
    }
    return fail("the About box did not close");
}

// One line of the list, as read back (UTF-16) and narrowed.
struct LineBuffer {
    WCHAR* wide = nullptr;
    char* narrow = nullptr;
    size_t capacity = 0;  // characters each buffer holds, terminator included
    size_t length = 0;

    ~LineBuffer()
    {
        free(wide);
        free(narrow);
    }

    bool reserve(size_t characters)
    {
        if (characters <= capacity)
            return true;
        WCHAR* grown_wide = static_cast<WCHAR*>(realloc(wide, characters * sizeof(WCHAR)));
        if (grown_wide)
            wide = grown_wide;
        char* grown_narrow = static_cast<char*>(realloc(narrow, characters));
        if (grown_narrow)
            narrow = grown_narrow;
        if (!grown_wide || !grown_narrow)
            return false;
        capacity = characters;
        return true;
    }
};

// Reads line `index` of the list. Between processes Wine hands LB_GETTEXT
// back as UTF-16 whatever the caller asked for, so it is asked for UTF-16
// and narrowed; the pattern is plain ASCII, so anything else becomes '?',
// which never matches.
// The program's list is a list view; builds from before that a list box.
bool is_list_view(HWND list)
{
    char kind[32] = {};
    return GetClassNameA(list, kind, sizeof kind) && strcmp(kind, WC_LISTVIEWA) == 0;
}

bool read_list_view_line(ListViewText& reader, int index, LineBuffer& line)
{
    std::wstring text;
    if (!reader.line(index, text) || !line.reserve(text.size() + 1))
        return false;
    line.length = text.size();
    for (size_t i = 0; i < line.length; ++i)
        line.narrow[i] = text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    return true;
}

int count_of(HWND list)
{
    if (is_list_view(list))
        return ListViewText(list).count();
    DWORD_PTR count = 0;
    if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, call_timeout_ms, &count))
        return -1;
    return static_cast<int>(count);
}

bool read_line(HWND list, int index, LineBuffer& line)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, index, 0, SMTO_ABORTIFHUNG, call_timeout_ms,
                             &result) ||
        static_cast<LRESULT>(result) == LB_ERR)
        return false;
    size_t announced = static_cast<size_t>(result);
    if (!line.reserve(announced + 1))
        return false;
    if (!SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(line.wide),
                             SMTO_ABORTIFHUNG, call_timeout_ms, &result) ||
        static_cast<LRESULT>(result) == LB_ERR)
        return false;
    // Never more than the buffer was sized for, should the line have changed.
    line.length = static_cast<size_t>(result) < announced ? static_cast<size_t>(result) : announced;
    for (size_t i = 0; i < line.length; ++i)
        line.narrow[i] = line.wide[i] < 0x80 ? static_cast<char>(line.wide[i]) : '?';
    return true;
}

// Prints lines=, received= (bytes in the list), intact= (bytes equal to the
// pattern from offset 0 up to the first difference), wrong= (bytes that differ
// from the pattern at their own offset) and first_bad= (offset, or -1).
int check()
{
    HWND main_window = find_main_window();
    HWND list = main_window ? GetDlgItem(main_window, IDC_RECEIVED_LIST) : nullptr;
    if (!list)
        return fail("no received list");
    int count = count_of(list);
    if (count < 0)
        return fail("could not count the lines");

    bool list_view = is_list_view(list);
    ListViewText reader(list);
    vdev::PatternGenerator pattern;
    unsigned long long received = 0, intact = 0, wrong = 0;
    long long first_bad = -1;
    LineBuffer line;
    for (int index = 0; index < count; ++index) {
        if (!(list_view ? read_list_view_line(reader, index, line) : read_line(list, index, line)))
            return fail("could not read a line");
        for (size_t i = 0; i < line.length; ++i) {
            bool same = static_cast<unsigned char>(line.narrow[i]) == pattern.next();
            if (!same) {
                ++wrong;
                if (first_bad < 0)
                    first_bad = static_cast<long long>(received);
            } else if (first_bad < 0) {
                ++intact;
            }
            ++received;
        }
    }
    printf("lines=%d received=%llu intact=%llu wrong=%llu first_bad=%lld\n", count, received,
           intact, wrong, first_bad);
    return 0;
}

int count_lines()
{
    HWND main_window = find_main_window();
    HWND list = main_window ? GetDlgItem(main_window, IDC_RECEIVED_LIST) : nullptr;
    int count = list ? count_of(list) : -1;
    if (count < 0)
        return fail("could not count the lines");
    printf("lines=%d\n", count);
    return 0;
}

// How long the window takes to answer: WM_NULL every 50 ms for `seconds`,
// each timed from this process; an answer still missing after 60 s counts
// as 60 s. Prints the slowest answer, how many took over 100 ms, and the
// number of samples.
int answer_times(int seconds)
{
    HWND main_window = find_main_window();
    if (!main_window)
        return fail("no main window");
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    double slowest = 0;
    int samples = 0, slow = 0;
    DWORD stop = GetTickCount() + seconds * 1000u;
    while (static_cast<LONG>(GetTickCount() - stop) < 0) {
        DWORD_PTR result = 0;
        QueryPerformanceCounter(&start);
        SendMessageTimeoutA(main_window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
        QueryPerformanceCounter(&end);
        double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart);
        if (ms > slowest)
            slowest = ms;
        if (ms > 100)
            ++slow;
        ++samples;
        Sleep(50);
    }
    printf("slowest_ms=%.0f over_100ms=%d samples=%d\n", slowest, slow, samples);
    return 0;
}

int port_close()
{
    HWND main_window = find_main_window();
    if (!main_window || !PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(IDM_CLOSE, 0), 0))
        return fail("could not close the port");
    return 0;
}

int close_program(int seconds)
{
    HWND main_window = find_main_window();
    if (!main_window)
        return 0;
    // The same command Escape gives the dialog.
    PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    DWORD give_up = GetTickCount() + seconds * 1000u;
    while (IsWindow(main_window)) {
        if (static_cast<LONG>(GetTickCount() - give_up) >= 0)
            return fail("the program did not close");
        Sleep(100);
    }
    return 0;
}

int seconds_argument(int argc, char** argv)
{
    int seconds = argc > 2 ? atoi(argv[2]) : 0;
    return seconds > 0 && seconds <= 3600 ? seconds : 30;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* action = argc > 1 ? argv[1] : "";
    if (strcmp(action, "wait-open") == 0)
        return wait_open(seconds_argument(argc, argv));
    if (strcmp(action, "about-open") == 0)
        return about_open();
    if (strcmp(action, "about-close") == 0)
        return about_close();
    if (strcmp(action, "check") == 0)
        return check();
    if (strcmp(action, "count") == 0)
        return count_lines();
    if (strcmp(action, "close") == 0)
        return close_program(seconds_argument(argc, argv));
    if (strcmp(action, "answer") == 0)
        return answer_times(seconds_argument(argc, argv));
    if (strcmp(action, "port-close") == 0)
        return port_close();
    fprintf(stderr, "usage: window_probe wait-open|about-open|about-close|check|count|close|"
                    "answer|port-close [seconds]\n");
    return 2;
}
