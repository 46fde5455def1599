#pragma once
#include <windows.h>
#include "app/status_bar.h"

// Writing every received byte to a file, as received, and its part of the
// status bar: "Capture: NAME, N bytes", or why it stopped.
class CaptureFile {
public:
    explicit CaptureFile(StatusBar& status) : status_(status) {}
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;
    ~CaptureFile() { stop(); }

    // Starts writing to the file at `path`, replacing it. 1 when the file
    // could be made; 0 leaves any running capture as it was.
    int start(const wchar_t* path);
    // Closes the file with everything written so far.
    void stop();
    // A write that fails (a full disk, a removed stick) ends the capture;
    // receiving goes on.
    void write(const char* bytes, int count);
    // Shows the bytes written so far.
    void show_status();
    bool active() const { return file_ != nullptr; }
    DWORD bytes_written() const { return bytes_; }
    const wchar_t* path() const { return path_; }
    // A text shown before the capture's own in its part (the filter's count).
    void set_lead(const wchar_t* lead);

private:
    // `format` with the file's name and the bytes written.
    void show_text(const wchar_t* format, const wchar_t* path);
    void show();

    StatusBar& status_;
    HANDLE file_ = nullptr;
    DWORD bytes_ = 0;
    wchar_t path_[MAX_PATH] = {};
    wchar_t lead_[80] = {};
    wchar_t own_[MAX_PATH + 40] = {};  // the capture's text, which stays on show
};
