#include "settings/ini_writer.h"
#include <cstdlib>
#include <cstring>
#include "settings/settings_folder.h"

namespace {

const char line_end[] = "\r\n";

// Writes `value` in decimal, '-' before negative values; `text` holds 12.
void format_decimal(int32_t value, char* text)
{
    char digits[12];
    int count = 0;
    // Counting in unsigned keeps the most negative value exact.
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : value;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0)
        *text++ = '-';
    while (count)
        *text++ = digits[--count];
    *text = '\0';
}

// Copies at most `limit` characters of `source` to `target`; returns the
// position after them.
char* copy_cut(char* target, const char* source, size_t limit)
{
    size_t length = strnlen(source, limit);
    memcpy(target, source, length);
    return target + length;
}

}  // namespace

IniWriter::IniWriter(int max_section_name_length, int max_line_length)
    : line_size(max_line_length > 0 ? max_line_length + 2 : 2),
      section_name_size(max_section_name_length > 0 ? max_section_name_length + 2 : 2)
{
}

int32_t IniWriter::begin(DWORD initial_size, int32_t step)
{
    release();
    used = 0;
    error = 0;
    grow_step = step;
    capacity = 0;
    // At least the terminator must fit.
    DWORD size = initial_size ? initial_size : 1;
    buffer = static_cast<char*>(GlobalAlloc(GMEM_FIXED, size));
    if (!buffer)
        return 0;
    capacity = size;
    buffer[0] = '\0';
    return 1;
}

void IniWriter::append(const char* text)
{
    if (!buffer) {
        error = 1;
        return;
    }
    size_t length = strlen(text);
    if (length >= MAXDWORD - used) {
        error = 1;
        return;
    }
    DWORD needed = used + static_cast<DWORD>(length) + 1;  // with the terminator
    if (needed > capacity) {
        // Whole steps until the piece fits; one exact size when no step is set
        // or the steps would pass the 32-bit range.
        DWORD new_capacity;
        DWORD step = grow_step > 0 ? static_cast<DWORD>(grow_step) : 0;
        DWORD missing = needed - capacity;
        DWORD steps_needed = step ? missing / step + (missing % step != 0) : 0;
        if (step && steps_needed <= (MAXDWORD - capacity) / step)
            new_capacity = capacity + steps_needed * step;
        else
            new_capacity = needed;
        void* grown = GlobalReAlloc(buffer, new_capacity, GMEM_MOVEABLE);
        if (!grown) {
            error = 1;
            return;
        }
        buffer = static_cast<char*>(grown);
        capacity = new_capacity;
    }
    memcpy(buffer + used, text, length + 1);
    used += static_cast<DWORD>(length);
}

void IniWriter::write_section(const char* name)
{
    // "[" + name + "]\r\n" + terminator must fit section_name_size bytes.
    int room = section_name_size - 5;
    char* header = static_cast<char*>(malloc(section_name_size + 5));
    if (!header) {
        error = 1;
        return;
    }
    char* next = header;
    *next++ = '[';
    next = copy_cut(next, name, room > 0 ? room : 0);
    memcpy(next, "]\r\n", 4);
    append(header);
    free(header);
}

void IniWriter::write_key_line(const char* key, const char* value)
{
    // key + "=" + value + "\r\n" + terminator must fit line_size bytes.
    size_t value_length = strlen(value);
    int room = line_size - 4 - static_cast<int>(value_length);
    char* line = static_cast<char*>(malloc(line_size + value_length + 4));
    if (!line) {
        error = 1;
        return;
    }
    char* next = copy_cut(line, key, room > 0 ? room : 0);
    *next++ = '=';
    memcpy(next, value, value_length);
    memcpy(next + value_length, line_end, sizeof line_end);
    append(line);
    free(line);
}

void IniWriter::write_bool(const char* key, int32_t flag)
{
    write_key_line(key, flag ? "1" : "0");
}

void IniWriter::write_int(const char* key, int32_t value)
{
    char decimal[12];
    format_decimal(value, decimal);
    write_key_line(key, decimal);
}

void IniWriter::write_line(const char* text)
{
    append(text);
    append(line_end);
}

int32_t IniWriter::write_to_file(const char* path)
{
    if (!buffer || error || !path[0])
        return 0;
    char temporary[MAX_PATH];
    if (!join_path(path, ".tmp", temporary))
        return 0;

    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    DWORD written = 0;
    BOOL complete = WriteFile(file, buffer, used, &written, nullptr) && written == used;
    // The text must be on the disk before the file takes the old one's place.
    complete = FlushFileBuffers(file) && complete;
    complete = CloseHandle(file) && complete;
    if (complete)
        complete = MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!complete)
        DeleteFileA(temporary);
    return complete ? 1 : 0;
}

void IniWriter::release()
{
    if (buffer)
        GlobalFree(buffer);
    buffer = nullptr;
}
