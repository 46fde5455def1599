#pragma once
#include <windows.h>
#include <cstdint>
#include "text/ini_text.h"

// Reads an INI-style file: the whole file is loaded into one global-heap
// block, which is then read as the settings text (see IniText).
class IniReader : public IniText {
public:
    // Files larger than this are no settings file of ours: they load as absent.
    static constexpr DWORD max_file_size = settings_max_file_size;
    // How long a file another program holds without sharing is waited for.
    static constexpr DWORD sharing_wait_ms = 2000;

    IniReader(int max_section_name_length, int max_line_length);
    IniReader(const IniReader&) = delete;
    IniReader& operator=(const IniReader&) = delete;

    // Loads the whole file followed by `extra_bytes` zero bytes (at least one
    // is always added). Returns 0 when the file is missing, unreadable, larger
    // than max_file_size or memory runs out; a block loaded earlier then stays
    // only when the file could not be opened or was too large.
    int32_t load(const wchar_t* path, DWORD extra_bytes);
    void release();

    DWORD data_size = 0;
};
