#include "settings/ini_reader.h"
#include <cstdlib>
#include <cstring>
#include "text/upper_ascii.h"

namespace {

// A scratch buffer from the ordinary heap, freed when the operation returns.
class ScratchText {
public:
    explicit ScratchText(int size) : text(size > 0 ? static_cast<char*>(malloc(size)) : nullptr)
    {
        if (text)
            text[0] = '\0';
    }
    ~ScratchText() { free(text); }
    ScratchText(const ScratchText&) = delete;
    ScratchText& operator=(const ScratchText&) = delete;
    char* text;
};

// The first `wanted` in a terminated text; the terminator is never found.
char* find_char(char* text, char wanted)
{
    for (; *text; ++text)
        if (*text == wanted)
            return text;
    return nullptr;
}

bool is_white_space(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

int32_t decimal_value(const char* text)
{
    while (is_white_space(*text))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    // Stops growing just past the 32-bit range, so long digit runs cannot
    // overflow; the clamp below then gives the limit.
    int64_t magnitude = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        if (magnitude <= INT32_MAX)
            magnitude = magnitude * 10 + (*text - '0');
    int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

IniReader::IniReader(int max_section_name_length, int max_line_length)
    : line_size(max_line_length > 0 ? max_line_length + 2 : 2),
      section_name_size(max_section_name_length > 0 ? max_section_name_length + 2 : 2)
{
}

int32_t IniReader::load(const char* path, DWORD extra_bytes)
{
    section_start = nullptr;
    HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
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
    cursor = buffer;
    end = buffer + read;
    return 1;
}

int32_t IniReader::read_line(char* line, int line_capacity)
{
    if (cursor == end)
        return 0;
    // Cut: bytes beyond the capacity are passed over up to the line end.
    int copied = 0;
    for (; cursor != end && *cursor != '\r' && *cursor != '\n'; ++cursor)
        if (copied < line_capacity - 1)
            line[copied++] = *cursor;
    if (line_capacity > 0)
        line[copied] = '\0';
    if (cursor == end)
        return 1;
    if (*cursor == '\r')
        ++cursor;
    if (cursor != end && *cursor == '\n')
        ++cursor;
    return 1;
}

int32_t IniReader::find_section(const char* name)
{
    cursor = buffer;
    section_start = nullptr;
    if (!buffer)
        return 0;
    ScratchText wanted(section_name_size);
    ScratchText line(line_size);
    if (!wanted.text || !line.text)
        return 0;
    lstrcpynA(wanted.text, name, section_name_size);  // cut to the name buffer
    upper_ascii(wanted.text);
    while (read_line(line.text, line_size)) {
        if (line.text[0] != '[')
            continue;
        char* header = line.text + 1;
        if (char* closing = find_char(header, ']'))
            *closing = '\0';
        if (strcmp(upper_ascii(header), wanted.text) == 0) {
            section_start = cursor;
            return 1;
        }
    }
    return 0;
}

int32_t IniReader::find_key(const char* key, char* value, int value_capacity)
{
    if (!section_start)
        return 0;
    cursor = section_start;
    ScratchText line(line_size);
    if (!line.text)
        return 0;
    while (read_line(line.text, line_size)) {
        if (line.text[0] == '[')
            return 0;
        char* equals = find_char(line.text, '=');
        if (!equals)
            continue;
        *equals = '\0';
        if (lstrcmpiA(line.text, key) != 0)
            continue;
        if (value_capacity > 0)
            lstrcpynA(value, equals + 1, value_capacity);
        return 1;
    }
    return 0;
}

int32_t IniReader::get_bool(const char* key, int32_t* flag, int32_t default_flag)
{
    ScratchText value(line_size);
    if (value.text && find_key(key, value.text, line_size)) {
        *flag = value.text[0] != '0';
        return 1;
    }
    *flag = default_flag;
    return 0;
}

int32_t IniReader::get_int(const char* key, int32_t* value, int32_t default_value)
{
    ScratchText text(line_size);
    if (text.text && find_key(key, text.text, line_size)) {
        *value = decimal_value(text.text);
        return 1;
    }
    *value = default_value;
    return 0;
}

int32_t IniReader::next_list_line(char* item, int item_capacity)
{
    if (item_capacity > 0)
        item[0] = '\0';
    // The header test looks at the text itself, so that it holds even when
    // the caller's buffer is too small to show the '['.
    const char* line_start = cursor;
    if (!read_line(item, item_capacity))
        return 0;
    if (*line_start == '[') {
        if (item_capacity > 0)
            item[0] = '\0';
        return 0;
    }
    return 1;
}

void IniReader::release()
{
    if (buffer)
        GlobalFree(buffer);
    buffer = nullptr;
    cursor = nullptr;
    end = nullptr;
    section_start = nullptr;
}
