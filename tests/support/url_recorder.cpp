// Stands in for the browser in the test prefix: appends the command line it
// was started with as one line to the file named by QUORVEX_OPENED_LOG.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int)
{
    char log_path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QUORVEX_OPENED_LOG", log_path, sizeof log_path);
    if (length == 0 || length >= sizeof log_path)
        return 1;
    HANDLE file = CreateFileA(log_path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written;
    WriteFile(file, command_line, lstrlenA(command_line), &written, nullptr);
    WriteFile(file, "\n", 1, &written, nullptr);
    CloseHandle(file);
    return 0;
}
