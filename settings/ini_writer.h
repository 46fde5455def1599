#pragma once
#include <windows.h>
#include <cstdint>
#include "text/ini_text.h"

// Builds an INI-style text in a growable global-heap block (see
// IniTextBuilder) and writes it to a file in one piece.
class IniWriter : public IniTextBuilder {
public:
    static constexpr DWORD sharing_wait_ms = 2000;

    IniWriter(int max_section_name_length, int max_line_length);
    IniWriter(const IniWriter&) = delete;
    IniWriter& operator=(const IniWriter&) = delete;

    // Replaces the file at `path` with the text, so that the file is always
    // either the old one or the new one whole: the text goes to
    // "<path>.<process id>.tmp" first, which then takes the file's place.
    // The file keeps its attributes and permissions. A file another program
    // holds for a moment is waited for, up to sharing_wait_ms; a read-only
    // file is not written (ERROR_FILE_READ_ONLY). Nonzero when the file was
    // replaced; 0 when there is no complete text or any step failed (the old
    // file then stays as it was, and GetLastError says why).
    int32_t write_to_file(const wchar_t* path);
};
