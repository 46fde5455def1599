#include "settings/settings_folder.h"
#include <shlobj.h>

const wchar_t settings_subfolder[] = L"\\BrantholmFreeware\\Quorvex\\";

void get_special_folder_path(HWND owner, int csidl, wchar_t* path)
{
    path[0] = L'\0';
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(owner, csidl, &items) != S_OK)
        return;
    if (!SHGetPathFromIDListW(items, path))
        path[0] = L'\0';
    ILFree(items);
}

int32_t directory_exists(const wchar_t* path)
{
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

// The first backslash at or after `from`, or the terminator.
wchar_t* next_backslash(wchar_t* from)
{
    while (*from && *from != L'\\')
        ++from;
    return from;
}

// The position just past the first backslash at or after `from`, or the
// terminator when there is none.
wchar_t* past_backslash(wchar_t* from)
{
    from = next_backslash(from);
    return *from ? from + 1 : from;
}

}  // namespace

int32_t create_directory_path(const wchar_t* path, CreateDirectoryFunction create_directory)
{
    wchar_t walk[MAX_PATH];
    if (!path[0] || !join_path(path, L"", walk))
        return 0;

    wchar_t* next = walk;
    if (walk[0] == L'\\' && walk[1] == L'\\')
        next = past_backslash(past_backslash(walk + 2));  // server, then share
    else
        next = past_backslash(walk);  // a drive such as C:\, or the leading backslash
    while (*next) {
        wchar_t* component_end = next_backslash(next);
        if (component_end == next) {  // a doubled backslash: nothing to create
            if (!*component_end)
                return 1;
            next = component_end + 1;
            continue;
        }
        wchar_t cut = *component_end;
        *component_end = L'\0';
        BOOL created = create_directory(walk, nullptr);
        DWORD failure = created ? 0 : GetLastError();
        *component_end = cut;
        if (!created && failure != ERROR_ALREADY_EXISTS)
            return 0;
        if (!cut)
            return 1;
        next = component_end + 1;
    }
    return 1;
}

int32_t join_path(const wchar_t* first, const wchar_t* second, wchar_t* out)
{
    int first_length = lstrlenW(first);
    int second_length = lstrlenW(second);
    if (first_length + second_length >= MAX_PATH) {
        out[0] = L'\0';
        return 0;
    }
    lstrcpyW(out, first);
    lstrcpyW(out + first_length, second);
    return 1;
}

int32_t compose_settings_folder(const wchar_t* special_folder, wchar_t* folder)
{
    return join_path(special_folder, settings_subfolder, folder);
}

int32_t compose_settings_path(const wchar_t* folder, const wchar_t* file_name, wchar_t* path)
{
    return join_path(folder, file_name, path);
}
