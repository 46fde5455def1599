#pragma once
#include <windows.h>
#include <cstdint>

// Reads an INI-style text: the whole file is loaded into one global-heap
// block, then sections are made current by name, keys are read as flags or
// integers, and the lines of a list section are walked one by one.
// Lines end with CR, LF or CR LF. A line longer than the buffer that receives
// it is cut to fit; the rest of that line is passed over, never read as a
// line of its own.
class IniReader {
public:
    // Files larger than this are no settings file of ours: they load as absent.
    static constexpr DWORD max_file_size = 1024 * 1024;

    IniReader(int max_section_name_length, int max_line_length);
    IniReader(const IniReader&) = delete;
    IniReader& operator=(const IniReader&) = delete;

    // Loads the whole file followed by `extra_bytes` zero bytes (at least one
    // is always added). Returns 0 when the file is missing, unreadable, larger
    // than max_file_size or memory runs out; a block loaded earlier then stays
    // only when the file could not be opened or was too large.
    int32_t load(const char* path, DWORD extra_bytes);
    // Copies the next line into `line` (cut to line_capacity - 1 characters)
    // and steps past its line end; 0 at the end of the data.
    int32_t read_line(char* line, int line_capacity);
    // Makes the first section called `name` current; ASCII letters match in
    // either case. 0 when there is none, and no section is current then.
    int32_t find_section(const char* name);
    // Finds the first `key` line of the current section (case-insensitive)
    // and copies its value text into `value`, cut to value_capacity - 1.
    int32_t find_key(const char* key, char* value, int value_capacity);
    // A flag: any value that does not begin with '0' reads as 1.
    int32_t get_bool(const char* key, int32_t* flag, int32_t default_flag);
    // A decimal integer converted the way atoi converts, clamped to 32 bits.
    int32_t get_int(const char* key, int32_t* value, int32_t default_value);
    // The next line of a list section; empty lines are items too. 0 (with an
    // empty `item`) at the end of the data or at the next section header.
    int32_t next_list_line(char* item, int item_capacity);
    void release();

    char* buffer = nullptr;
    char* cursor = nullptr;
    char* end = nullptr;
    DWORD data_size = 0;
    int32_t line_size;
    int32_t section_name_size;
    char* section_start = nullptr;
};

// Converts text as atoi does: leading white space, an optional sign, then
// decimal digits up to the first non-digit; no digits give 0. Values beyond
// 32 bits are clamped to the nearest limit.
int32_t decimal_value(const char* text);
