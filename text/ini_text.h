#pragma once
#include <cstddef>
#include <cstdint>

// The settings text in memory: reading it section by section and building it
// line by line. Where the bytes come from and where they go (files, the
// system's heap) is the caller's business.

// The settings file's limits: its longest section name and line, in
// characters, and its largest size in bytes.
const int settings_section_name_length = 40;
const int settings_line_length = 300;
const uint32_t settings_max_file_size = 1024 * 1024;

// The sections and keys a reader was asked for, whether or not its text
// held them: run over no text at all, the program's loading tells which
// keys the program knows. Each key is kept under the section asked for
// last. Past its room it knows every key, so that nothing unknown is kept
// by mistake.
class IniKeyLog {
public:
    void section(const char* name);
    void key(const char* name);
    // Whether `key` of `section` was asked for; ASCII letters match in
    // either case.
    bool knows(const char* section, const char* key) const;

private:
    void add(char mark, const char* name);

    // Entries one after another, each a mark ('[' a section, '=' a key),
    // its name and a '\0'.
    char names_[4096] = {};
    int used_ = 0;
    bool full_ = false;
    int last_section_ = -1;  // where the newest section entry begins
};

// Reads an INI-style text held in memory: sections are made current by name,
// keys are read as flags or integers, and the lines of a list section are
// walked one by one. Lines end with CR, LF or CR LF. A line longer than the
// buffer that receives it is cut to fit; the rest of that line is passed
// over, never read as a line of its own.
class IniText {
public:
    IniText(int max_section_name_length, int max_line_length);

    // Reads the `size` bytes at `text` from now on (none when text is null).
    // The text is not copied; it must stay until the next attach.
    void attach(char* text, uint32_t size);
    // Copies the next line into `line` (cut to line_capacity - 1 characters)
    // and steps past its line end; 0 at the end of the data.
    int32_t read_line(char* line, int line_capacity);
    // Makes the first section called `name` current; ASCII letters match in
    // either case. 0 when there is none, and no section is current then.
    int32_t find_section(const char* name);
    // Finds the first `key` line of the current section (ASCII letters match
    // in either case) and copies its value text into `value`, cut to
    // value_capacity - 1.
    int32_t find_key(const char* key, char* value, int value_capacity);
    // A flag: any value that does not begin with '0' reads as 1.
    int32_t get_bool(const char* key, int32_t* flag, int32_t default_flag);
    // A decimal integer converted the way atoi converts, clamped to 32 bits.
    int32_t get_int(const char* key, int32_t* value, int32_t default_value);
    // The next line of a list section; empty lines are items too. 0 (with an
    // empty `item`) at the end of the data or at the next section header.
    int32_t next_list_line(char* item, int item_capacity);

    char* buffer = nullptr;
    char* cursor = nullptr;
    char* end = nullptr;
    int32_t line_size;
    int32_t section_name_size;
    char* section_start = nullptr;
    // Told of each section and key asked for, when set.
    IniKeyLog* key_log = nullptr;

private:
    // Reads the current section's lines into `line` (line_size bytes) up to
    // the first `key` line; the value text in `line`, or null.
    char* key_value(const char* key, char* line);
};

// Converts text as atoi does: leading white space, an optional sign, then
// decimal digits up to the first non-digit; no digits give 0. Values beyond
// 32 bits are clamped to the nearest limit.
int32_t decimal_value(const char* text);

// Gives a text block `size` bytes, keeping its contents: allocates when
// `block` is null, frees when `size` is 0 (then returns null). Null when
// memory ran out; the block then stays as it was.
using IniBlockResize = char* (*)(char* block, uint32_t size);

// Builds an INI-style text in a growable block, line by line, every line
// ending with CR LF. The block comes from `resize`.
class IniTextBuilder {
public:
    IniTextBuilder(int max_section_name_length, int max_line_length, IniBlockResize resize);

    // Starts a new text in a block of `initial_size` bytes that grows in steps
    // of `step` bytes. 0 when the block could not be had; every append then
    // fails and sets `error`.
    int32_t begin(uint32_t initial_size, int32_t step);
    // Adds `text`, growing the block by as many steps as it needs. When the
    // block cannot grow, `error` is set and the text so far stays unchanged.
    void append(const char* text);
    // "[name]": a name longer than section_name_size - 5 characters is cut,
    // so that the header still fits its buffer and ends its line.
    void write_section(const char* name);
    // "key=1" or "key=0", and "key=<decimal>": a key too long for a line of
    // line_size - 1 characters is cut, never the value or the line end.
    void write_bool(const char* key, int32_t flag);
    void write_int(const char* key, int32_t value);
    // "key=text", the key cut as above.
    void write_text(const char* key, const char* text) { write_key_line(key, text); }
    // The text as it is, of any length, and a line end.
    void write_line(const char* text);
    void release();

    char* buffer = nullptr;
    uint32_t capacity = 0;
    uint32_t used = 0;
    int32_t error = 0;
    int32_t grow_step = 0;
    int32_t line_size;
    int32_t section_name_size;

private:
    // Appends "key=value" and CR LF, cutting the key when the line is too long.
    void write_key_line(const char* key, const char* value);

    IniBlockResize resize;
};

// The capacity a block of `capacity` bytes grows to so that `needed` bytes
// fit: whole steps of `step`, or exactly `needed` when there is no step or the
// steps would pass the 32-bit range.
uint32_t grown_capacity(uint32_t capacity, uint32_t needed, int32_t step);
