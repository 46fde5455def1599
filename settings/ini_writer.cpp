#include "settings/ini_writer.h"
#include "settings/settings_folder.h"

namespace {

// The text's block on the global heap: a fixed block that may move as it grows.
char* resize_global_block(char* block, uint32_t size)
{
    if (!block)
        return static_cast<char*>(GlobalAlloc(GMEM_FIXED, size));
    if (size == 0)
        return static_cast<char*>(GlobalFree(block));
    return static_cast<char*>(GlobalReAlloc(block, size, GMEM_MOVEABLE));
}

}  // namespace

IniWriter::IniWriter(int max_section_name_length, int max_line_length)
    : IniTextBuilder(max_section_name_length, max_line_length, resize_global_block)
{
}

namespace {

// Another program holding the file for a moment (a backup or sync tool, or
// another window of this one) makes a call fail with a sharing violation or
// a denied access; it is tried again for up to sharing_wait_ms.
bool held_by_another(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// The new text takes the old file's place. Replacing keeps the old file's
// attributes and permissions, which a rename would drop; the first time there
// is no file to replace. When replacing failed halfway, the old file having
// gone aside, the new one is renamed into its place all the same.
BOOL put_in_place(const wchar_t* temporary, const wchar_t* path)
{
    if (ReplaceFileW(path, temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return TRUE;
    DWORD error = GetLastError();
    bool no_old_file = error == ERROR_FILE_NOT_FOUND &&
                       GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES;
    if (!no_old_file && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        SetLastError(error);
        return FALSE;
    }
    return MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace

int32_t IniWriter::write_to_file(const wchar_t* path)
{
    if (!buffer || error || !path[0]) {
        SetLastError(ERROR_INVALID_DATA);
        return 0;
    }
    // A file the user made read-only is left alone, at once.
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_FILE_READ_ONLY);
        return 0;
    }
    // Each process writes a temporary file of its own beside the file.
    wchar_t suffix[24];
    wsprintfW(suffix, L".%lu.tmp", GetCurrentProcessId());
    wchar_t temporary[MAX_PATH];
    if (!join_path(path, suffix, temporary)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    DWORD start = GetTickCount();
    HANDLE file;
    while ((file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr)) == INVALID_HANDLE_VALUE &&
           held_by_another(GetLastError()) && GetTickCount() - start < sharing_wait_ms)
        Sleep(50);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    BOOL complete = WriteFile(file, buffer, used, &written, nullptr) && written == used;
    // The text must be on the disk before the file takes the old one's place.
    complete = FlushFileBuffers(file) && complete;
    complete = CloseHandle(file) && complete;
    DWORD failure = complete ? 0 : GetLastError();
    start = GetTickCount();
    while (complete && !put_in_place(temporary, path)) {
        failure = GetLastError();
        if (!held_by_another(failure) || GetTickCount() - start >= sharing_wait_ms)
            complete = FALSE;
        else
            Sleep(50);
    }
    if (!complete) {
        DeleteFileW(temporary);
        SetLastError(failure);
    }
    return complete ? 1 : 0;
}
