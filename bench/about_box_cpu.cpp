// Prints how much processor time the program uses while the About box is up:
// the box is shown over a window that ticks every 250 ms, like the main
// window polling the port, and closed with its Ok button after the given
// number of seconds (default 5).
//   about_box_cpu.exe [seconds]
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include "app/program_objects.h"
#include "framework/program_instance.h"
#include "msgbox/about.h"

namespace {

int owner_ticks = 0;
DWORD close_at = 0;

LRESULT CALLBACK owner_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_TIMER) {
        ++owner_ticks;
        return 0;
    }
    return DefWindowProcA(window, msg, wparam, lparam);
}

void CALLBACK close_when_due(HWND, UINT, UINT_PTR, DWORD)
{
    // The same command the Ok button sends when clicked.
    if (about_box.hwnd && GetTickCount() >= close_at)
        PostMessageA(about_box.hwnd, WM_COMMAND, MAKEWPARAM(box_buttons[0].control_id, 0), 0);
}

ULONGLONG as_100ns(const FILETIME& time)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    return value.QuadPart;
}

void process_times(ULONGLONG& user, ULONGLONG& kernel)
{
    FILETIME created, exited, kernel_time, user_time;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel_time, &user_time);
    user = as_100ns(user_time);
    kernel = as_100ns(kernel_time);
}

}  // namespace

int main(int argc, char** argv)
{
    program_instance = GetModuleHandleA(nullptr);
    int seconds = argc > 1 ? atoi(argv[1]) : 5;
    if (seconds < 1 || seconds > 600)
        seconds = 5;

    WNDCLASSA owner_class = {};
    owner_class.lpfnWndProc = owner_proc;
    owner_class.hInstance = program_instance;
    owner_class.lpszClassName = "AboutBoxBenchOwner";
    RegisterClassA(&owner_class);
    HWND owner = CreateWindowExA(0, "AboutBoxBenchOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 0, 0, 600, 400, nullptr, nullptr, program_instance, nullptr);
    if (!owner) {
        fprintf(stderr, "no owner window\n");
        return 1;
    }
    SetTimer(owner, 1, 250, nullptr);
    // Checks twice a second whether the box is due to close.
    UINT_PTR closer = SetTimer(nullptr, 0, 500, close_when_due);

    ULONGLONG user_before, kernel_before, user_after, kernel_after;
    process_times(user_before, kernel_before);
    DWORD start = GetTickCount();
    close_at = start + seconds * 1000;
    show_about(about_box, owner);
    DWORD wall_ms = GetTickCount() - start;
    process_times(user_after, kernel_after);

    KillTimer(nullptr, closer);
    KillTimer(owner, 1);
    DestroyWindow(owner);

    double user_ms = (user_after - user_before) / 10000.0;
    double kernel_ms = (kernel_after - kernel_before) / 10000.0;
    double share = wall_ms ? 100.0 * (user_ms + kernel_ms) / wall_ms : 0.0;
    printf("About box up %.2f s, owner timer ticks %d\n", wall_ms / 1000.0, owner_ticks);
    printf("CPU time: user %.1f ms, kernel %.1f ms = %.3f ms per second, %.2f%% of one core\n",
           user_ms, kernel_ms, (user_ms + kernel_ms) * 1000.0 / (wall_ms ? wall_ms : 1), share);
    return 0;
}
