#include "settings/ini_reader.h"

IniReader::IniReader(int max_section_name_length, int max_line_length)
    : IniText(max_section_name_length, max_line_length)
{
}

int32_t IniReader::load(const wchar_t* path, DWORD extra_bytes)
{
    section_start = nullptr;
    // Read beside whoever else has it open; a program that holds it without
    // sharing (a backup or sync tool) usually lets go within a moment.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (DWORD start = GetTickCount();;) {
        file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
            GetTickCount() - start >= sharing_wait_ms)
            break;
        Sleep(50);
    }
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD size_high = 0;
    DWORD size = GetFileSize(file, &size_high);
    // INVALID_FILE_SIZE is caught by the size limit too.
    if (size_high != 0 || size > max_file_size || extra_bytes > max_file_size) {
        CloseHandle(file);
        return 0;
    }
    release();
    // read_line may look at the byte just past the data: it must be a zero.
    if (extra_bytes == 0)
        extra_bytes = 1;
    data_size = size;
    buffer = static_cast<char*>(GlobalAlloc(GPTR, size + extra_bytes));
    if (!buffer) {
        CloseHandle(file);
        return 0;
    }
    DWORD read = 0;
    BOOL read_ok = ReadFile(file, buffer, size, &read, nullptr);
    CloseHandle(file);
    if (!read_ok || read > size) {
        release();
        return 0;
    }
    data_size = read;
    attach(buffer, read);
    return 1;
}

void IniReader::release()
{
    if (buffer)
        GlobalFree(buffer);
    attach(nullptr, 0);
}
