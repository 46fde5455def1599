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

// A file another program holds for a moment (a viewer, a virus scanner)
// refuses to be opened with a sharing violation: it is tried again for
// about two seconds.
const DWORD held_file_wait_ms = 2000;
const DWORD held_file_retry_ms = 100;

HANDLE open_capture_file(const wchar_t* path, DWORD access, DWORD disposition)
{
    for (DWORD waited = 0;; waited += held_file_retry_ms) {
        HANDLE file = CreateFileW(path, access, FILE_SHARE_READ, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
            waited >= held_file_wait_ms)
            return file;
        Sleep(held_file_retry_ms);
    }
}

// Each folder is made in turn; one that is there already fails harmlessly.
void make_folders(wchar_t* path)
{
    for (int at = 0; (at = next_capture_folder(reinterpret_cast<const PathChar*>(path), at)) > 0;) {
        wchar_t separator = path[at];
        path[at] = L'\0';
        CreateDirectoryW(path, nullptr);
        path[at] = separator;
    }
}

// Past this number a pattern's name is given up on.
const int last_capture_number = 9999;

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
    return begin(pattern, port, true);
}

int CaptureFile::restart(const wchar_t* pattern, int port)
{
    return begin(pattern, port, false);
}

int CaptureFile::begin(const wchar_t* pattern, int port, bool may_replace)
{
    CaptureTime now;
    clock_(now);
    CaptureNames names;
    wchar_t path[MAX_PATH];
    uint64_t size = 0;
    bool running_append = append_;
    bool running_as_shown = as_shown_;
    append_ = settings_.append != 0;
    as_shown_ = settings_.as_shown != 0;
    HANDLE file = make_file(pattern, port, now, names, path, size, may_replace);
    if (!file) {
        append_ = running_append;
        as_shown_ = running_as_shown;
        return 0;
    }
    stop();
    file_ = file;
    names_ = names;
    port_ = port;
    bytes_ = 0;
    lstrcpynW(pattern_, pattern, MAX_PATH);
    lstrcpynW(path_, path, MAX_PATH);
    rotation_.size_limit = settings_.size_limit;
    rotation_.daily = settings_.daily != 0;
    rotation_.whole_lines = as_shown_;
    rotation_.start(now);
    rotation_.written = size;
    pending_ = false;
    show_status();
    return 1;
}

int CaptureFile::check_name(const wchar_t* path)
{
    CaptureNameCheck check = check_capture_name(path_chars(path));
    if (check.fault == CaptureNameFault::none)
        return 1;
    wchar_t part[MAX_PATH];
    if (check.fault == CaptureNameFault::character) {
        if (path[check.at] < 32)
            lstrcpyW(part, L"a control character");
        else
            wsprintfW(part, L"\"%c\"", path[check.at]);
        wsprintfW(own_, L"Capture stopped: a file name can't hold %s", part);
    } else {
        int length = 0;
        while (path[check.at + length] && path[check.at + length] != L'\\' &&
               path[check.at + length] != L'/')
            ++length;
        lstrcpynW(part, path + check.at, length + 1);
        wsprintfW(own_, L"Capture stopped: %s names a device", part);
    }
    show();
    return 0;
}

HANDLE CaptureFile::make_file(const wchar_t* pattern, int port, const CaptureTime& now,
                              CaptureNames& names, wchar_t* path, uint64_t& size, bool may_replace)
{
    PathChar expanded[capture_path_room];
    if (!expand_capture_name(path_chars(pattern), now, port, expanded, capture_path_room)) {
        show_text(L"Capture stopped: the file name is too long", L"");
        return nullptr;
    }
    if (!check_name(reinterpret_cast<const wchar_t*>(expanded)))
        return nullptr;
    // A relative name counts with the folder it lies in: the whole path must
    // fit in MAX_PATH.
    for (int number = names.number_for(expanded);; ++number) {
        wchar_t numbered[MAX_PATH];
        DWORD full = 0;
        if (number > last_capture_number) {
            show_failure(path, ERROR_FILE_EXISTS);
            return nullptr;
        }
        if (!numbered_capture_name(expanded, number, reinterpret_cast<PathChar*>(numbered),
                                   MAX_PATH) ||
            (full = GetFullPathNameW(numbered, MAX_PATH, path, nullptr)) == 0 || full >= MAX_PATH) {
            show_text(L"Capture stopped: the file name is too long", L"");
            return nullptr;
        }
        make_folders(path);
        DWORD disposition = append_ ? OPEN_ALWAYS : may_replace ? CREATE_ALWAYS : CREATE_NEW;
        HANDLE file = open_capture_file(
            path, append_ && as_shown_ ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE, disposition);
        if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS)
            continue;
        if (file == INVALID_HANDLE_VALUE) {
            show_failure(path, GetLastError());
            return nullptr;
        }
        LARGE_INTEGER end = {};
        size = append_ && SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END)
                   ? static_cast<uint64_t>(end.QuadPart) : 0;
        if (append_ && as_shown_)
            end_last_line(file, size);
        names.record(expanded, number);
        return file;
    }
}

void CaptureFile::end_last_line(HANDLE file, uint64_t& size)
{
    LARGE_INTEGER last = {};
    last.QuadPart = -1;
    char byte = '\n';
    DWORD read = 0;
    if (size == 0 || !SetFilePointerEx(file, last, nullptr, FILE_END) ||
        !ReadFile(file, &byte, 1, &read, nullptr) || read != 1 || byte == '\n' || byte == '\r')
        return;
    DWORD written = 0;
    if (WriteFile(file, "\r\n", 2, &written, nullptr))
        size += written;
}

int CaptureFile::next_file(const CaptureTime& now)
{
    wchar_t path[MAX_PATH];
    uint64_t size = 0;
    close_file();
    HANDLE file = make_file(pattern_, port_, now, names_, path, size, false);
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
        BOOL wrote = WriteFile(file_, bytes, static_cast<DWORD>(take), &written, nullptr);
        if (!wrote || written != static_cast<DWORD>(take)) {
            // A write cut short finds the disk full.
            DWORD error = wrote ? ERROR_DISK_FULL : GetLastError();
            close_file();
            show_failure(path_, error);
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

void CaptureFile::write_note(const char* text)
{
    if (!file_)
        return;
    write_pending_line();
    char line[receive_line_text_size + 2];
    int length = lstrlenA(lstrcpynA(line, text, receive_line_text_size));
    line[length++] = '\r';
    line[length++] = '\n';
    put(line, length);
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

void CaptureFile::show_failure(const wchar_t* path, DWORD error)
{
    // One line: the message's own line breaks become spaces.
    wchar_t reason[200];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                  nullptr, error, 0, reason, 200, nullptr);
    while (length > 0 && reason[length - 1] == L' ')
        --length;
    reason[length] = L'\0';
    if (!length)
        wsprintfW(reason, L"error %lu", error);
    wsprintfW(own_, L"Capture stopped: could not write %s: %s", file_name_of(path), reason);
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
