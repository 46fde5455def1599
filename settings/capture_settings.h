#pragma once
#include <windows.h>
#include <cstdint>

class IniReader;
class IniWriter;

// The capture's keys under [Misc Settings], each written only when it is not
// its default: "CaptureLimitMB=N" the MiB a file may hold before the next
// one begins (or "CaptureLimitKB=N" for a limit that is not whole MiB),
// "CaptureDaily=1" a new file each day, "CaptureAppend=1" adding
// to an existing file instead of replacing it, "CaptureAsShown=1" the lines
// as the list shows them instead of the bytes as received, and
// "CaptureAuto=1" with "CapturePattern=NAME" (UTF-8) the capture started at
// every start of the program.
struct CaptureSettings {
    uint64_t size_limit = 0;  // bytes; 0 for none
    int32_t daily = 0;
    int32_t append = 0;
    int32_t as_shown = 0;
    int32_t automatic = 0;
    wchar_t pattern[MAX_PATH] = {};
};

// The largest CaptureLimitMB taken (1 TiB).
const int32_t max_capture_limit_mb = 1024 * 1024;
const uint64_t capture_mib = 1024 * 1024;
// The largest CaptureLimitKB taken, the same 1 TiB.
const int32_t max_capture_limit_kb = max_capture_limit_mb * 1024;
const uint64_t capture_kib = 1024;

// Invalid values leave the settings as they were.
void load_capture_settings(IniReader& reader, CaptureSettings& capture);
void write_capture_settings(IniWriter& writer, const CaptureSettings& capture);
