#pragma once
#include <cstdint>

// Capture file names made from a pattern, without Windows. Paths are UTF-16:
// PathChar is one UTF-16 unit on every compiler (wchar_t is 16 bits on
// Windows but 32 on Linux), so the window passes its wchar_t buffers cast to
// PathChar and the native tests run the same code.
typedef char16_t PathChar;

// The room of a path buffer in units: 259 characters and the NUL.
const int capture_path_room = 260;

// A local time, as the clock gave it when a capture file is started.
struct CaptureTime {
    int32_t year;    // e.g. 2026
    int32_t month;   // 1..12
    int32_t day;     // 1..31
    int32_t hour;    // 0..23
    int32_t minute;  // 0..59
    int32_t second;  // 0..59
};

// Expands the pattern of a capture file's name into `out` (`out_size` units,
// terminated): %Y the year (four digits or more), %m %d %H %M %S the month,
// day, hour, minute and second (two digits each), %p the port's name
// ("COM7" for port 7) and %% a percent sign. Any other %x is kept as typed,
// both characters, and so is a % at the end. Returns the length; 0 for an
// empty result or one that does not fit (refused, never cut: `out` is then
// empty).
int expand_capture_name(const PathChar* pattern, const CaptureTime& time, int port,
                        PathChar* out, int out_size);

// The folders that have to exist before the file `path` can be made, one at a
// time, shortest first: returns the length of the prefix of `path` that
// names the next folder whose prefix is longer than `after` (start with 0),
// or 0 when there is none left. A drive's root (C:\), a UNC share
// (\\server\share\) and the path's last part, the file's own name, are
// never returned; both \ and / separate folders.
int next_capture_folder(const PathChar* path, int after);

// What makes a path one that Windows would not take as a file to write.
enum class CaptureNameFault {
    none,
    character,  // < > " | ? * or a control character, or a : not after a drive letter
    device,     // a part Windows takes for a device: NUL, COM7 .log, LPT\u00b9.txt
};
struct CaptureNameCheck {
    CaptureNameFault fault;
    int at;  // the character refused, or where the part naming a device begins
};
// Checks every part of `path` (folders included, as each is made in turn).
// A part names a device when what comes before its first dot, without the
// spaces and dots that end it, is CON, PRN, AUX, NUL, or COM or LPT with a
// digit (0 to 9, or the superscripts 1 to 3 of Latin-1), in any case.
CaptureNameCheck check_capture_name(const PathChar* path);

// The `number`th file of a capture whose pattern keeps giving the name
// `name`: number 1 is `name` itself, 2 and up insert "-2", "-3", ... before
// the extension of the last part (COM7.log, COM7-2.log) or append it when
// that part has none (a dot in a folder's name or at the start of the file's
// name is no extension). Writes to `out` (`out_size` units, terminated) and
// returns the length; 0 when it does not fit or `name` is empty (refused,
// `out` empty).
int numbered_capture_name(const PathChar* name, int number, PathChar* out, int out_size);

// The names one capture session has already written, so that a new file
// whose pattern gives the same name again gets the next number instead of
// overwriting the earlier file. It keeps the newest `capture_names_kept`
// different names; an older one is forgotten (the patterns that rotate give
// names that move on with the time, or one name over and over).
const int capture_names_kept = 4;
class CaptureNames {
public:
    // Forgets every name: a new capture session begins.
    void clear();
    // The number to give the file that `expanded` names now: 1 when this
    // session has not written that name, else one more than the last.
    int number_for(const PathChar* expanded) const;
    // The file named `expanded` with `number` (see numbered_capture_name) was
    // made. A name longer than a path buffer is not kept.
    void record(const PathChar* expanded, int number);

private:
    struct Name {
        PathChar text[capture_path_room];
        int32_t number;  // 0 for an unused slot
        uint32_t used;   // when it was last recorded: the newest is kept longest
    };
    const Name* find(const PathChar* expanded) const;
    Name names_[capture_names_kept] = {};
    uint32_t records_ = 0;
};
