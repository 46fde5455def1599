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

int32_t IniWriter::write_to_file(const wchar_t* path)
{
    if (!buffer || error || !path[0])
        return 0;
    wchar_t temporary[MAX_PATH];
    if (!join_path(path, L".tmp", temporary))
        return 0;

    HANDLE file = CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    BOOL complete = WriteFile(file, buffer, used, &written, nullptr) && written == used;
    // The text must be on the disk before the file takes the old one's place.
    complete = FlushFileBuffers(file) && complete;
    complete = CloseHandle(file) && complete;
    if (complete)
        complete = MoveFileExW(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!complete)
        DeleteFileW(temporary);
    return complete ? 1 : 0;
}
