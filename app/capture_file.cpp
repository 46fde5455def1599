#include "app/capture_file.h"

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

}  // namespace

int CaptureFile::start(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        show_text(L"Capture stopped: could not write %s", path);
        return 0;
    }
    stop();
    file_ = file;
    bytes_ = 0;
    lstrcpynW(path_, path, MAX_PATH);
    show_status();
    return 1;
}

void CaptureFile::stop()
{
    if (!file_)
        return;
    CloseHandle(file_);
    file_ = nullptr;
    own_[0] = L'\0';
    show();
}

void CaptureFile::write(const char* bytes, int count)
{
    if (!file_ || count <= 0)
        return;
    DWORD written = 0;
    if (WriteFile(file_, bytes, static_cast<DWORD>(count), &written, nullptr) &&
        written == static_cast<DWORD>(count)) {
        bytes_ += written;
        return;
    }
    stop();
    show_text(L"Capture stopped: could not write %s", path_);
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
