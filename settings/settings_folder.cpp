#include "settings/settings_folder.h"
#include <shlobj.h>
#include <cstring>

const char settings_subfolder[] = "\\BrantholmFreeware\\Quorvex\\";

void get_special_folder_path(HWND owner, int csidl, char* path)
{
    path[0] = '\0';
    LPITEMIDLIST items = nullptr;
    if (SHGetSpecialFolderLocation(owner, csidl, &items) != S_OK)
        return;
    if (!SHGetPathFromIDListA(items, path))
        path[0] = '\0';
    ILFree(items);
}

int32_t directory_exists(const char* path)
{
    char saved[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(sizeof saved, saved);
    if (length == 0 || length >= sizeof saved) {
        // The current directory could not be restored: ask without moving.
        DWORD attributes = GetFileAttributesA(path);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    BOOL exists = SetCurrentDirectoryA(path);
    SetCurrentDirectoryA(saved);
    return exists ? 1 : 0;
}

namespace {

// The first backslash at or after `from`, or the terminator. Steps by
// characters: in double-byte code pages the second byte of many characters
// is 0x5C, the backslash's code, and must not be taken for one.
char* next_backslash(char* from)
{
    while (*from && *from != '\\')
        from = CharNextA(from);
    return from;
}

// The position just past the first backslash at or after `from`, or the
// terminator when there is none.
char* past_backslash(char* from)
{
    from = next_backslash(from);
    return *from ? from + 1 : from;
}

}  // namespace

int32_t create_directory_path(const char* path, CreateDirectoryFunction create_directory)
{
    char walk[MAX_PATH];
    size_t length = strlen(path);
    if (length == 0 || length >= sizeof walk)
        return 0;
    memcpy(walk, path, length + 1);

    char* next = walk;
    if (walk[0] == '\\' && walk[1] == '\\')
        next = past_backslash(past_backslash(walk + 2));  // server, then share
    else
        next = past_backslash(walk);  // a drive such as C:\, or the leading backslash
    while (*next) {
        char* component_end = next_backslash(next);
        if (component_end == next) {  // a doubled backslash: nothing to create
            if (!*component_end)
                return 1;
            next = component_end + 1;
            continue;
        }
        char cut = *component_end;
        *component_end = '\0';
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

int32_t join_path(const char* first, const char* second, char* out)
{
    size_t first_length = strlen(first);
    size_t second_length = strlen(second);
    if (first_length + second_length >= MAX_PATH) {
        out[0] = '\0';
        return 0;
    }
    memcpy(out, first, first_length);
    memcpy(out + first_length, second, second_length + 1);
    return 1;
}

int32_t compose_settings_folder(const char* special_folder, char* folder)
{
    return join_path(special_folder, settings_subfolder, folder);
}

int32_t compose_settings_path(const char* folder, const char* file_name, char* path)
{
    return join_path(folder, file_name, path);
}
