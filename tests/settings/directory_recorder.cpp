#include "tests/settings/directory_recorder.h"
#include "tests/support/test_support.h"

std::vector<std::string> DirectoryRecorder::created;
std::string DirectoryRecorder::failing_path;
DWORD DirectoryRecorder::failure;
bool DirectoryRecorder::all_exist;
bool DirectoryRecorder::forward;

void DirectoryRecorder::reset()
{
    created.clear();
    failing_path.clear();
    failure = 0;
    all_exist = false;
    forward = false;
}

BOOL WINAPI DirectoryRecorder::create(LPCWSTR path, LPSECURITY_ATTRIBUTES security)
{
    created.push_back(narrow(path));
    if (forward)
        return CreateDirectoryW(path, security);
    if (created.back() == failing_path) {
        SetLastError(failure);
        return FALSE;
    }
    if (all_exist) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    SetLastError(0xdeadbeef);
    return TRUE;
}
