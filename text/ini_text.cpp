#include "text/ini_text.h"
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

// Copies at most `limit` characters of `source` to `target`; returns the
// position after them.
char* copy_cut(char* target, const char* source, size_t limit)
{
    size_t length = strnlen(source, limit);
    memcpy(target, source, length);
    return target + length;
}

// `source` in `target` of `capacity` bytes, cut to fit and always terminated.
void copy_terminated(char* target, const char* source, int capacity)
{
    if (capacity > 0)
        *copy_cut(target, source, static_cast<size_t>(capacity) - 1) = '\0';
}

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

void IniKeyLog::add(char mark, const char* name)
{
    size_t length = strlen(name);
    if (full_ || length + 2 > sizeof names_ - static_cast<size_t>(used_)) {
        full_ = true;
        return;
    }
    names_[used_] = mark;
    memcpy(names_ + used_ + 1, name, length + 1);
    used_ += static_cast<int>(length) + 2;
}

void IniKeyLog::section(const char* name)
{
    if (last_section_ >= 0 && equal_ignoring_ascii_case(names_ + last_section_ + 1, name))
        return;
    last_section_ = used_;
    add('[', name);
}

void IniKeyLog::key(const char* name)
{
    add('=', name);
}

bool IniKeyLog::knows(const char* section, const char* key) const
{
    if (full_)
        return true;
    bool in_section = false;
    for (int at = 0; at < used_; at += static_cast<int>(strlen(names_ + at + 1)) + 2) {
        const char* name = names_ + at + 1;
        if (names_[at] == '[')
            in_section = equal_ignoring_ascii_case(name, section);
        else if (in_section && equal_ignoring_ascii_case(name, key))
            return true;
    }
    return false;
}

IniText::IniText(int max_section_name_length, int max_line_length)
    : line_size(max_line_length > 0 ? max_line_length + 2 : 2),
      section_name_size(max_section_name_length > 0 ? max_section_name_length + 2 : 2)
{
}

void IniText::attach(char* text, uint32_t size)
{
    buffer = text;
    cursor = text;
    end = text ? text + size : nullptr;
    section_start = nullptr;
}

int32_t IniText::read_line(char* line, int line_capacity)
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

int32_t IniText::find_section(const char* name)
{
    if (key_log)
        key_log->section(name);
    cursor = buffer;
    section_start = nullptr;
    if (!buffer)
        return 0;
    ScratchText wanted(section_name_size);
    ScratchText line(line_size);
    if (!wanted.text || !line.text)
        return 0;
    copy_terminated(wanted.text, name, section_name_size);  // cut to the name buffer
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

char* IniText::key_value(const char* key, char* line)
{
    if (key_log)
        key_log->key(key);
    if (!section_start || !line)
        return nullptr;
    cursor = section_start;
    while (read_line(line, line_size)) {
        if (line[0] == '[')
            return nullptr;
        char* equals = find_char(line, '=');
        if (!equals)
            continue;
        *equals = '\0';
        if (equal_ignoring_ascii_case(line, key))
            return equals + 1;
    }
    return nullptr;
}

int32_t IniText::find_key(const char* key, char* value, int value_capacity)
{
    ScratchText line(line_size);
    const char* found = key_value(key, line.text);
    if (found)
        copy_terminated(value, found, value_capacity);
    return found ? 1 : 0;
}

int32_t IniText::get_bool(const char* key, int32_t* flag, int32_t default_flag)
{
    ScratchText line(line_size);
    const char* found = key_value(key, line.text);
    *flag = found ? found[0] != '0' : default_flag;
    return found ? 1 : 0;
}

int32_t IniText::get_int(const char* key, int32_t* value, int32_t default_value)
{
    ScratchText line(line_size);
    const char* found = key_value(key, line.text);
    *value = found ? decimal_value(found) : default_value;
    return found ? 1 : 0;
}

int32_t IniText::next_list_line(char* item, int item_capacity)
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

uint32_t grown_capacity(uint32_t capacity, uint32_t needed, int32_t step)
{
    if (needed <= capacity)
        return capacity;
    uint32_t whole_step = step > 0 ? static_cast<uint32_t>(step) : 0;
    uint32_t missing = needed - capacity;
    uint32_t steps_needed = whole_step ? missing / whole_step + (missing % whole_step != 0) : 0;
    if (whole_step && steps_needed <= (UINT32_MAX - capacity) / whole_step)
        return capacity + steps_needed * whole_step;
    return needed;
}

IniTextBuilder::IniTextBuilder(int max_section_name_length, int max_line_length,
                               IniBlockResize resize)
    : line_size(max_line_length > 0 ? max_line_length + 2 : 2),
      section_name_size(max_section_name_length > 0 ? max_section_name_length + 2 : 2),
      resize(resize)
{
}

int32_t IniTextBuilder::begin(uint32_t initial_size, int32_t step)
{
    release();
    used = 0;
    error = 0;
    grow_step = step;
    capacity = 0;
    // At least the terminator must fit.
    uint32_t size = initial_size ? initial_size : 1;
    buffer = resize(nullptr, size);
    if (!buffer)
        return 0;
    capacity = size;
    buffer[0] = '\0';
    return 1;
}

void IniTextBuilder::append(const char* text)
{
    if (!buffer) {
        error = 1;
        return;
    }
    size_t length = strlen(text);
    if (length >= UINT32_MAX - used) {
        error = 1;
        return;
    }
    uint32_t needed = used + static_cast<uint32_t>(length) + 1;  // with the terminator
    if (needed > capacity) {
        uint32_t new_capacity = grown_capacity(capacity, needed, grow_step);
        char* grown = resize(buffer, new_capacity);
        if (!grown) {
            error = 1;
            return;
        }
        buffer = grown;
        capacity = new_capacity;
    }
    memcpy(buffer + used, text, length + 1);
    used += static_cast<uint32_t>(length);
}

void IniTextBuilder::write_section(const char* name)
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

void IniTextBuilder::write_key_line(const char* key, const char* value)
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

void IniTextBuilder::write_bool(const char* key, int32_t flag)
{
    write_key_line(key, flag ? "1" : "0");
}

void IniTextBuilder::write_int(const char* key, int32_t value)
{
    char decimal[12];
    format_decimal(value, decimal);
    write_key_line(key, decimal);
}

void IniTextBuilder::write_line(const char* text)
{
    append(text);
    append(line_end);
}

void IniTextBuilder::release()
{
    if (buffer)
        resize(buffer, 0);
    buffer = nullptr;
}
