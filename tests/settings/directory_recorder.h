// Stands in for CreateDirectoryW when a test calls create_directory_path:
// records each path asked for (as UTF-8), and answers with the error given for one
// path, else ERROR_ALREADY_EXISTS or success, or forwards to the real call.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct DirectoryRecorder {
    static std::vector<std::string> created;
    static std::string failing_path;
    static DWORD failure;
    static bool all_exist;
    static bool forward;

    static void reset();
    static BOOL WINAPI create(LPCWSTR path, LPSECURITY_ATTRIBUTES security);
};
