#include "msgbox/help_page.h"
#include <windows.h>
#include <shellapi.h>
#include <cstdlib>

HelpPage::HelpPage(const wchar_t* file_name, const char* text)
    : page_text(text), path(static_cast<wchar_t*>(malloc(MAX_PATH * sizeof(wchar_t))))
{
    if (!path)
        return;
    path[0] = L'\0';
    DWORD folder_length = GetTempPathW(MAX_PATH, path);
    if (folder_length == 0)
        lstrcpyW(path, L"\\");  // no temporary folder: the root of the current drive
    else if (folder_length >= MAX_PATH) {
        // The folder does not fit the buffer (and its contents are then
        // undefined): refuse rather than cut, since a cut path names another
        // file. "Program info" then does nothing.
        path[0] = L'\0';
        return;
    }
    if (lstrlenW(path) + lstrlenW(file_name) >= MAX_PATH) {
        path[0] = L'\0';  // refused for the same reason
        return;
    }
    lstrcatW(path, file_name);
}

void HelpPage::open_page()
{
    if (!path || !path[0] || !page_text)
        return;
    // CREATE_ALWAYS empties an older file, so no stale bytes follow the page.
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD length = lstrlenA(page_text);
    DWORD written = 0;
    BOOL wrote = WriteFile(file, page_text, length, &written, nullptr);
    CloseHandle(file);
    // A page that did not reach the disk whole is not worth showing.
    if (!wrote || written != length)
        return;
    ShellExecuteW(nullptr, L"open", path, nullptr, L"", SW_SHOWNORMAL);
}

void HelpPage::delete_file()
{
    if (path && path[0])
        DeleteFileW(path);
}
