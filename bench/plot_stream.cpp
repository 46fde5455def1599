// The plot's benchmark: the program's real main window in this process,
// with the virtual device on COM1 (run it with bench/plot_stream.sh).
//   plot_stream.exe plot SECONDS   the device streams lines of three numbers
//                                  at 921600 baud's pace for SECONDS with the
//                                  plot up; prints the lines sent, the samples
//                                  plotted, the kept values that differ from
//                                  what was sent, the device's backlog, the
//                                  frames a second and the processor time,
//                                  after 10 s idle (processor time, frames)
//   plot_stream.exe list SECONDS   the same with the plot down
//   plot_stream.exe memory         PlotPoints=1,000,000 filled over 16 series;
//                                  prints "mark before" and "mark full", each
//                                  followed by 3 s for the script to read the
//                                  resident memory
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/support/device_client.h"
#include "tests/support/test_support.h"
#include "tools/vdev/pattern.h"

namespace {

constexpr int bytes_per_second = 92160;  // 921600 baud, 10 bits a byte

double process_cpu_ms()
{
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000;
    };
    return ms(kernel) + ms(user);
}

long long device_backlog(DeviceClient& device)
{
    std::string reply;
    if (!device.command("STATUS COM1", &reply))
        return -1;
    size_t at = reply.find("pending=");
    return at == std::string::npos ? -1 : atoll(reply.c_str() + at + 8);
}

// The lines whole in the first `sent` bytes of the line stream.
unsigned long long lines_in(long long sent)
{
    vdev::NumberLineGenerator lines;
    std::vector<uint8_t> block(65536);
    for (long long done = 0; done < sent; done += static_cast<long long>(block.size()))
        lines.fill(block.data(), static_cast<size_t>(std::min<long long>(sent - done, block.size())));
    return lines.whole_lines();
}

int stream(bool with_plot, int seconds)
{
    DeviceClient device;
    int result = 1;
    with_open_port(device, "silent", [&](HWND dialog) {
        // The line at 921600 baud, as a user would set it.
        port_setup_dialog.settings.Baud = 921600;
        serial_channel.close();
        main_dialog.open_port();
        if (with_plot)
            SendMessageA(dialog, WM_COMMAND, IDM_PLOT, 0);
        pump_messages(1000);
        // 10 s with the port open and nothing arriving.
        DWORD idle_start = GetTickCount();
        double idle_cpu = process_cpu_ms();
        int idle_frames = plot_window.frames;
        pump_messages(10000);
        double idle = (process_cpu_ms() - idle_cpu) / (GetTickCount() - idle_start) * 100;
        idle_frames = plot_window.frames - idle_frames;
        long long count = static_cast<long long>(bytes_per_second) * seconds;
        DWORD start = GetTickCount();
        double cpu_start = process_cpu_ms();
        int frames_start = plot_window.frames;
        if (!device.command("STREAM COM1 " + std::to_string(bytes_per_second) + " " +
                                std::to_string(count) + " lines",
                            nullptr)) {
            fprintf(stderr, "the device did not stream: %s\n", device.last_reply().c_str());
            return;
        }
        long long backlog = 0;
        DeviceStreamStatus status;
        do {
            pump_messages(200);
            long long now = device_backlog(device);
            backlog = now > backlog ? now : backlog;
            status = device.stream_status(1);
        } while (status.valid && !status.done && GetTickCount() - start < seconds * 3000u + 30000);
        double stream_s = (GetTickCount() - start) / 1000.0;
        // The last bytes reach the window on the next ticks.
        unsigned long long sent_lines = lines_in(status.sent);
        for (int i = 0; i < 20 && with_plot && plot_window.samples.end() < sent_lines; ++i)
            pump_messages(250);
        pump_messages(500);
        double cpu_ms = process_cpu_ms() - cpu_start;
        double wall_s = (GetTickCount() - start) / 1000.0;
        int frames = plot_window.frames - frames_start;
        // Every sample kept holds the numbers of its line exactly.
        unsigned bad = 0;
        const PlotSamples& kept = plot_window.samples;
        for (uint32_t n = kept.first(); with_plot && n < kept.end(); ++n) {
            unsigned long long line = n + 1ull;
            std::string expected[3] = {std::to_string(line), std::to_string(line % 1000 * 7),
                                       "-" + std::to_string(line % 100)};
            for (int s = 0; s < 3; ++s) {
                char text[plot_text_max];
                int length = PlotSamples::point_text(kept.point(s, n), text);
                bad += std::string(text, static_cast<size_t>(length)) != expected[s];
            }
        }
        printf("%-5s %5.2f %5d %9lld %6.2f %9llu %9u %6u %7lld %8.1f %7.2f\n",
               with_plot ? "plot" : "list", idle, idle_frames, status.sent, stream_s, sent_lines,
               with_plot ? kept.end() : 0u, bad, backlog, with_plot ? frames / stream_s : 0.0,
               cpu_ms / wall_s / 10);
        result = !status.done || backlog != 0 || bad ||
                 (with_plot && plot_window.samples.end() != sent_lines);
        if (with_plot)
            SendMessageA(dialog, WM_COMMAND, IDM_PLOT, 0);
    });
    return result;
}

int memory()
{
    int result = 1;
    run_main_window([&](HWND dialog) {
        main_dialog.settings().view.plot.points = 1000000;
        // The script reads the process's resident memory at each mark.
        printf("mark before\n");
        fflush(stdout);
        pump_messages(3000);
        SendMessageA(dialog, WM_COMMAND, IDM_PLOT, 0);
        std::string lines;
        for (int n = 0; n < 1000000; ++n) {
            for (int s = 0; s < 16; ++s)
                lines += std::to_string((n * (s + 1)) % 100003 - 50000) + (s < 15 ? "," : "\r\n");
            if (lines.size() > 60000 || n == 999999) {
                plot_window.feed(lines.data(), static_cast<int>(lines.size()));
                lines.clear();
            }
        }
        plot_window.refresh();
        DWORD start = GetTickCount();
        UpdateWindow(plot_window.hwnd);
        DWORD frame_ms = GetTickCount() - start;
        printf("memory: PlotPoints=1000000, 16 series, %u samples kept of %u; a frame %lu ms\n",
               plot_window.samples.end() - plot_window.samples.first(), plot_window.samples.end(),
               frame_ms);
        printf("mark full\n");
        fflush(stdout);
        pump_messages(3000);
        result = plot_window.samples.end() != 1000000;
        SendMessageA(dialog, WM_COMMAND, IDM_PLOT, 0);
    });
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    int seconds = argc > 2 ? atoi(argv[2]) : 60;
    if (mode == "memory")
        return memory();
    if (mode != "plot" && mode != "list") {
        fprintf(stderr, "usage: plot_stream.exe plot|list SECONDS | memory\n");
        return 2;
    }
    return stream(mode == "plot", seconds);
}
