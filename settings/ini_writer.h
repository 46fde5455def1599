#pragma once
#include <windows.h>
#include <cstdint>

// Builds an INI-style text in a growable global-heap block, line by line,
// every line ending with CR LF, and writes it to a file in one piece.
class IniWriter {
public:
    IniWriter(int max_section_name_length, int max_line_length);
    IniWriter(const IniWriter&) = delete;
    IniWriter& operator=(const IniWriter&) = delete;

    // Starts a new text in a block of `initial_size` bytes that grows in steps
    // of `step` bytes. 0 when the block could not be had; every append then
    // fails and sets `error`.
    int32_t begin(DWORD initial_size, int32_t step);
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
    // Replaces the file at `path` with the text, so that the file is always
    // either the old one or the new one whole: the text goes to "<path>.tmp"
    // first, which then takes the file's place. Nonzero when the file was
    // replaced; 0 when there is no complete text or any step failed (the old
    // file then stays as it was).
    int32_t write_to_file(const char* path);
    void release();

    char* buffer = nullptr;
    DWORD capacity = 0;
    DWORD used = 0;
    int32_t error = 0;
    int32_t grow_step = 0;
    int32_t line_size;
    int32_t section_name_size;

private:
    // Appends "key=value" and CR LF, cutting the key when the line is too long.
    void write_key_line(const char* key, const char* value);
};
