#pragma once
#include <windows.h>
#include "app/status_bar.h"
#include "settings/capture_settings.h"
#include "text/capture_name.h"
#include "text/capture_rotation.h"
#include "text/receive_view.h"

// Where a capture takes the local time that names its files and tells a new
// day; the window's clock unless a test gives its own.
using CaptureClock = void (*)(CaptureTime& now);

// Writing what is received to a file, and its part of the status bar:
// "Capture: NAME, N bytes", or why it stopped. The file's name is a pattern
// (see expand_capture_name), expanded again for each file; at the size
// limit or on a new day the capture moves on to the next file, numbered
// NAME-2, NAME-3 when the pattern gives a name this capture already wrote or
// a file of that name is there: only the first file of a capture the user
// started may replace a file.
// It writes either every byte as received, split exactly at the limit, or
// the lines as the list shows them, stamps included and colours taken out,
// in UTF-8 with CR LF, each line once it is finished and never split.
class CaptureFile {
public:
    CaptureFile(StatusBar& status, const CaptureSettings& settings);
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;
    ~CaptureFile() { stop(); }

    // Starts writing to the files `pattern` names (%p is port `port`), with
    // the options as they are now. 1 when the first file could be made
    // (missing folders are made); 0, with the reason shown, leaves any
    // running capture as it was. Unless appending, a file of the first name
    // is replaced: the user chose it.
    int start(const wchar_t* pattern, int port);
    // The same for a capture that starts by itself again: a file there is
    // never replaced, but appended to or passed by for the next number.
    int restart(const wchar_t* pattern, int port);
    // Writes the line in progress (as shown) and closes the file.
    void stop();
    // The bytes of one read, when capturing as received. A write that fails
    // (a full disk, a removed stick) ends the capture; receiving goes on.
    void write(const char* bytes, int count);
    // The list's newest line, when capturing as shown: a line added
    // finishes the one before, which is written then; a line replaced is
    // still growing. `utf8` is false for text in the system's code page.
    void line_added(const char* text, bool utf8);
    void line_replaced(const char* text, bool utf8);
    // A line of the program's own ("-- script: pass --") after the line in
    // progress, in either kind of capture.
    void write_note(const char* text);
    // Shows the bytes written to the current file so far.
    void show_status();
    // The window's tick: a daily capture starts the new day's file at
    // midnight, not at the first byte after it; then the status is shown.
    void tick();
    // `pattern` expanded for `port` at the time now into `out` (MAX_PATH
    // characters); its length, 0 when it is too long.
    int expand(const wchar_t* pattern, int port, wchar_t* out) const;
    // A null clock is the window's.
    void set_clock(CaptureClock clock);

    bool active() const { return file_ != nullptr; }
    DWORD bytes_written() const { return bytes_; }
    const wchar_t* path() const { return path_; }
    // The pattern of the capture running or last started.
    const wchar_t* pattern() const { return pattern_; }
    // A text shown before the capture's own in its part (the filter's count).
    void set_lead(const wchar_t* lead);

private:
    int begin(const wchar_t* pattern, int port, bool may_replace);
    // Makes the file the pattern names at `now`, numbered past the names
    // `names` holds and past files that are there (unless appending or
    // `may_replace`), then records it in `names`; null, with the reason shown,
    // when it could not. `path` (MAX_PATH) gets the full path; `size` is what
    // an existing file held when appended to.
    HANDLE make_file(const wchar_t* pattern, int port, const CaptureTime& now, CaptureNames& names,
                     wchar_t* path, uint64_t& size, bool may_replace);
    // 0, with the reason shown, when Windows would not take `path` as a file.
    int check_name(const wchar_t* path);
    // A file appended to in lines that does not end a line gets a line end,
    // so that the first new line starts on a line of its own.
    void end_last_line(HANDLE file, uint64_t& size);
    // The current file closed and the next one made; 0 ends the capture.
    int next_file(const CaptureTime& now);
    // Writes `count` bytes, moving on to the next file where the rotation
    // says.
    void put(const char* bytes, int count);
    void write_pending_line();
    void close_file();
    // `format` with the file's name and the bytes written.
    void show_text(const wchar_t* format, const wchar_t* path);
    // "Capture stopped: could not write NAME: " and Windows' words for `error`.
    void show_failure(const wchar_t* path, DWORD error);
    void show();

    StatusBar& status_;
    const CaptureSettings& settings_;
    CaptureClock clock_;
    HANDLE file_ = nullptr;
    DWORD bytes_ = 0;
    int port_ = 0;
    bool as_shown_ = false;
    bool append_ = false;
    CaptureRotation rotation_;
    CaptureNames names_;
    wchar_t pattern_[MAX_PATH] = {};
    wchar_t path_[MAX_PATH] = {};
    // The newest line as shown, not yet finished.
    bool pending_ = false;
    bool pending_utf8_ = false;
    char pending_line_[receive_line_text_size] = {};
    wchar_t lead_[80] = {};
    wchar_t own_[MAX_PATH + 260] = {};  // the capture's text, which stays on show
};
