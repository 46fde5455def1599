#include "settings/capture_settings.h"
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"

namespace {

const struct {
    char key[16];
    int32_t CaptureSettings::*field;
} capture_flags[] = {
    {"CaptureDaily", &CaptureSettings::daily},
    {"CaptureAppend", &CaptureSettings::append},
    {"CaptureAsShown", &CaptureSettings::as_shown},
    {"CaptureAuto", &CaptureSettings::automatic},
};

}  // namespace

// A pattern that is not UTF-8 (typed into the file in the system's code
// page) is read in the code page.
void load_capture_settings(IniReader& reader, CaptureSettings& capture)
{
    int32_t megabytes = 0;
    if (reader.get_int("CaptureLimitMB", &megabytes, 0) && megabytes >= 0 &&
        megabytes <= max_capture_limit_mb)
        capture.size_limit = static_cast<uint64_t>(megabytes) * capture_mib;
    int32_t kilobytes = 0;
    if (reader.get_int("CaptureLimitKB", &kilobytes, 0) && kilobytes > 0 &&
        kilobytes <= max_capture_limit_kb)
        capture.size_limit = static_cast<uint64_t>(kilobytes) * capture_kib;
    char value[settings_line_length];
    for (const auto& flag : capture_flags)
        if (reader.find_key(flag.key, value, sizeof value) && (value[0] == '0' || value[0] == '1') &&
            !value[1])
            capture.*flag.field = value[0] - '0';
    if (reader.find_key("CapturePattern", value, sizeof value) && value[0] &&
        !MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, value, -1, capture.pattern, MAX_PATH) &&
        !MultiByteToWideChar(CP_ACP, 0, value, -1, capture.pattern, MAX_PATH))
        capture.pattern[0] = L'\0';
}

// A pattern too long for a line of the file is not kept.
void write_capture_settings(IniWriter& writer, const CaptureSettings& capture)
{
    // Whole MiB keep the key older versions read.
    if (capture.size_limit && capture.size_limit % capture_mib == 0)
        writer.write_int("CaptureLimitMB", static_cast<int32_t>(capture.size_limit / capture_mib));
    else if (capture.size_limit)
        writer.write_int("CaptureLimitKB", static_cast<int32_t>(capture.size_limit / capture_kib));
    for (const auto& flag : capture_flags)
        if (capture.*flag.field)
            writer.write_text(flag.key, "1");
    char value[settings_line_length - 16];
    if (capture.pattern[0] &&
        WideCharToMultiByte(CP_UTF8, 0, capture.pattern, -1, value, sizeof value, nullptr, nullptr))
        writer.write_text("CapturePattern", value);
}
