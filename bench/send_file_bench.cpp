// Sends a file through the program's serial channel and writer, unpaced,
// and prints how long it took against the line's own time, and the
// processor time the process used meanwhile.
//   send_file_bench.exe [port] [baud] [bytes]   (default 1 921600 1048576)
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include "serial/serial_channel.h"

namespace {

ULONGLONG process_cpu_100ns()
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return k.QuadPart + u.QuadPart;
}

// A file of `bytes` bytes under the temporary folder; its path in `path`.
bool make_file(wchar_t (&path)[MAX_PATH], DWORD bytes)
{
    wchar_t folder[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, folder) || !GetTempFileNameW(folder, L"snd", 0, path))
        return false;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    static char block[65536];
    for (DWORD i = 0; i < sizeof block; ++i)
        block[i] = static_cast<char>('!' + i % 90);
    bool written = true;
    for (DWORD left = bytes; left && written;) {
        DWORD count = left < sizeof block ? left : sizeof block;
        DWORD done = 0;
        written = WriteFile(file, block, count, &done, nullptr) && done == count;
        left -= count;
    }
    CloseHandle(file);
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    int port = argc > 1 ? atoi(argv[1]) : 1;
    int baud = argc > 2 ? atoi(argv[2]) : 921600;
    DWORD bytes = argc > 3 ? static_cast<DWORD>(atoi(argv[3])) : 1048576;
    wchar_t path[MAX_PATH];
    if (!make_file(path, bytes)) {
        fprintf(stderr, "could not make the file\n");
        return 1;
    }
    SerialChannel channel;
    PortSettings line;
    line.Port = port;
    line.Baud = baud;
    if (!channel.open(line)) {
        fprintf(stderr, "could not open COM%d\n", port);
        return 1;
    }
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    ULONGLONG cpu_before = process_cpu_100ns();
    QueryPerformanceCounter(&start);
    if (file == INVALID_HANDLE_VALUE || !channel.writer.queue_file(file)) {
        fprintf(stderr, "could not queue the file\n");
        return 1;
    }
    SendProgress now = {};
    do {
        Sleep(5);
        channel.writer.progress(now);
    } while (now.file_state == file_going);
    QueryPerformanceCounter(&end);
    ULONGLONG cpu = process_cpu_100ns() - cpu_before;
    channel.close();
    DeleteFileW(path);

    double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    double line_seconds = bytes * 10.0 / baud;  // 8N1: ten bits a byte
    printf("bytes %lu sent %llu %s\n", bytes, static_cast<unsigned long long>(now.file_sent),
           now.file_state == file_sent_whole ? "whole" : "STOPPED");
    printf("took %.2f s, line time %.2f s at %d baud: %+.1f %%\n", seconds, line_seconds, baud,
           (seconds / line_seconds - 1) * 100);
    printf("process cpu %.2f s, %.2f %% of one core\n", cpu / 1e7, cpu / 1e5 / seconds);
    return now.file_state == file_sent_whole ? 0 : 1;
}
