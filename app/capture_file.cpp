#include "app/capture_file.h"
#include "text/ansi_text.h"
#include "text/capture_line.h"

namespace {

// The file name part of a path.
const wchar_t* file_name_of(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    return name;
}

// Windows takes a file named CON, PRN, AUX, NUL, COM1 to COM9 or LPT1 to
// LPT9, with any extension, for that device: "%p.log" would name the port.
bool names_a_device(const wchar_t* path)
{
    const wchar_t* name = file_name_of(path);
    int length = 0;
    while (name[length] && name[length] != L'.')
        ++length;
    if (length != 3 && length != 4)
        return false;
    wchar_t base[5] = {};
    lstrcpynW(base, name, length + 1);
    CharUpperW(base);
    if (length == 3)
        return !lstrcmpW(base, L"CON") || !lstrcmpW(base, L"PRN") || !lstrcmpW(base, L"AUX") ||
               !lstrcmpW(base, L"NUL");
    base[3] = base[3] >= L'1' && base[3] <= L'9' ? L'\0' : L'?';
    return !lstrcmpW(base, L"COM") || !lstrcmpW(base, L"LPT");
}

void local_time(CaptureTime& now)
{
    SYSTEMTIME time;
    GetLocalTime(&time);
    now = CaptureTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

const PathChar* path_chars(const wchar_t* text)
{
    return reinterpret_cast<const PathChar*>(text);
}

}  // namespace

CaptureFile::CaptureFile(StatusBar& status, const CaptureSettings& settings)
    : status_(status), settings_(settings), clock_(local_time)
{
}

void CaptureFile::set_clock(CaptureClock clock)
{
    clock_ = clock ? clock : local_time;
}

int CaptureFile::expand(const wchar_t* pattern, int port, wchar_t* out) const
{
    CaptureTime now;
    clock_(now);
    return expand_capture_name(path_chars(pattern), now, port, reinterpret_cast<PathChar*>(out),
                               MAX_PATH);
}

int CaptureFile::start(const wchar_t* pattern, int port)
{
    CaptureTime now;
    clock_(now);
    CaptureNames names;
    wchar_t path[MAX_PATH];
    uint64_t size = 0;
    bool running_append = append_;
    append_ = settings_.append != 0;
    HANDLE file = make_file(pattern, port, now, names, path, size);
    if (!file) {
        append_ = running_append;
        return 0;
    }
    stop();
    file_ = file;
    names_ = names;
    port_ = port;
    bytes_ = 0;
    lstrcpynW(pattern_, pattern, MAX_PATH);
    lstrcpynW(path_, path, MAX_PATH);
    as_shown_ = settings_.as_shown != 0;
    rotation_.size_limit = settings_.size_limit;
    rotation_.daily = settings_.daily != 0;
    rotation_.whole_lines = as_shown_;
    rotation_.start(now);
    rotation_.written = size;
    pending_ = false;
    show_status();
    return 1;
}

HANDLE CaptureFile::make_file(const wchar_t* pattern, int port, const CaptureTime& now,
                              CaptureNames& names, wchar_t* path, uint64_t& size)
{
    PathChar expanded[capture_path_room];
    int number = 0;
    if (!expand_capture_name(path_chars(pattern), now, port, expanded, capture_path_room) ||
        !numbered_capture_name(expanded, number = names.number_for(expanded),
                               reinterpret_cast<PathChar*>(path), MAX_PATH)) {
        show_text(L"Capture stopped: the file name is too long", L"");
        return nullptr;
    }
    if (names_a_device(path)) {
        show_text(L"Capture stopped: %s names a device", path);
        return nullptr;
    }
    // Each folder is made in turn; one that is there already fails harmlessly.
    for (int at = 0; (at = next_capture_folder(path_chars(path), at)) > 0;) {
        wchar_t separator = path[at];
        path[at] = L'\0';
        CreateDirectoryW(path, nullptr);
        path[at] = separator;
    }
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              append_ ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        show_text(L"Capture stopped: could not write %s", path);
        return nullptr;
    }
    LARGE_INTEGER end = {};
    size = append_ && SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END)
               ? static_cast<uint64_t>(end.QuadPart) : 0;
    names.record(expanded, number);
    return file;
}

int CaptureFile::next_file(const CaptureTime& now)
{
    wchar_t path[MAX_PATH];
    uint64_t size = 0;
    close_file();
    HANDLE file = make_file(pattern_, port_, now, names_, path, size);
    if (!file)
        return 0;
    file_ = file;
    bytes_ = 0;
    lstrcpynW(path_, path, MAX_PATH);
    rotation_.start(now);
    rotation_.written = size;
    return 1;
}

// A file appended to may already be past the limit: the next one follows
// at once, and a file still empty always takes a byte, so this ends.
void CaptureFile::put(const char* bytes, int count)
{
    CaptureTime now;
    clock_(now);
    while (file_ && count > 0) {
        int take = rotation_.room(bytes, count, now);
        if (take == 0) {
            next_file(now);
            continue;
        }
        DWORD written = 0;
        if (!WriteFile(file_, bytes, static_cast<DWORD>(take), &written, nullptr) ||
            written != static_cast<DWORD>(take)) {
            close_file();
            show_text(L"Capture stopped: could not write %s", path_);
            return;
        }
        rotation_.wrote(take);
        bytes_ += written;
        bytes += take;
        count -= take;
    }
}

void CaptureFile::stop()
{
    if (!file_)
        return;
    write_pending_line();
    if (!file_)
        return;
    close_file();
    own_[0] = L'\0';
    show();
}

void CaptureFile::close_file()
{
    if (file_)
        CloseHandle(file_);
    file_ = nullptr;
    pending_ = false;
}

void CaptureFile::write(const char* bytes, int count)
{
    if (!as_shown_)
        put(bytes, count);
}

void CaptureFile::line_added(const char* text, bool utf8)
{
    if (!file_ || !as_shown_)
        return;
    write_pending_line();
    line_replaced(text, utf8);
}

void CaptureFile::line_replaced(const char* text, bool utf8)
{
    if (!file_ || !as_shown_)
        return;
    lstrcpynA(pending_line_, text, sizeof pending_line_);
    pending_utf8_ = utf8;
    pending_ = true;
}

// The As received view's lines are in the system's code page; the file
// takes UTF-8 throughout.
void CaptureFile::write_pending_line()
{
    if (!pending_)
        return;
    pending_ = false;
    char visible[receive_line_text_size];
    int length = strip_colour_codes(pending_line_, lstrlenA(pending_line_), visible);
    char line[receive_line_text_size * 3 + 2];
    const char* text = visible;
    if (!pending_utf8_) {
        wchar_t wide[receive_line_text_size];
        int units = MultiByteToWideChar(CP_ACP, 0, visible, length, wide, receive_line_text_size);
        length = WideCharToMultiByte(CP_UTF8, 0, wide, units, line, sizeof line - 2, nullptr,
                                     nullptr);
        text = line;
    }
    char shown[sizeof line + 2];
    put(shown, format_capture_line(nullptr, text, length, shown, sizeof shown));
}

void CaptureFile::tick()
{
    CaptureTime now;
    clock_(now);
    if (file_ && rotation_.day_over(now))
        next_file(now);
    show_status();
}

void CaptureFile::show_status()
{
    if (file_)
        show_text(L"Capture: %s, %lu bytes", path_);
}

void CaptureFile::show_text(const wchar_t* format, const wchar_t* path)
{
    wsprintfW(own_, format, file_name_of(path), bytes_);
    show();
}

void CaptureFile::set_lead(const wchar_t* lead)
{
    if (lstrcmpW(lead_, lead) == 0)
        return;
    lstrcpynW(lead_, lead, sizeof lead_ / sizeof lead_[0]);
    show();
}

void CaptureFile::show()
{
    wchar_t text[sizeof lead_ / sizeof lead_[0] + sizeof own_ / sizeof own_[0] + 4];
    wsprintfW(text, L"%s%s%s", lead_, lead_[0] && own_[0] ? L"; " : L"", own_);
    status_.set_text(status_capture, text);
}
