#pragma once
#include <cstdint>
#include "text/capture_name.h"

// When a capture moves on to a new file: after a number of bytes, at local
// midnight, or both. The window writes each chunk in a loop:
//
//     while (count > 0) {
//         int take = rotation.room(bytes, count, now);
//         if (take == 0) {               // a new file first
//             open the next file;
//             rotation.start(now);
//             continue;
//         }
//         write take bytes; rotation.wrote(take);
//         bytes += take; count -= take;
//     }
//
// Right after start() room() always takes at least one byte, so the loop
// ends, and every byte goes into exactly one file, in order.
struct CaptureRotation {
    uint64_t size_limit = 0;   // the bytes a file may hold; 0 for no limit
    bool daily = false;        // a new file on each local day
    // A capture as shown: the bytes are text lines ending in LF (CR LF), and
    // a line is never split between files. A file then ends at the last line
    // that fits; a line longer than the limit goes whole into a file of its
    // own. The window passes whole lines: the end of a chunk counts as the
    // end of a line. Without it the bytes are split exactly at the limit.
    bool whole_lines = false;

    uint64_t written = 0;      // the bytes in the current file
    int32_t started_year = 0;  // the local date the current file was started
    int32_t started_month = 0;
    int32_t started_day = 0;

    // A new file, still empty, was started at the local time `now`.
    void start(const CaptureTime& now);
    // How many of the `count` bytes (`count` > 0) at `bytes` go into the
    // current file at the local time `now`; 0 when a new file must be
    // started before any of them is written.
    int room(const char* bytes, int count, const CaptureTime& now) const;
    // `count` bytes were written to the current file.
    void wrote(int count) { written += static_cast<uint64_t>(count); }
    // A daily capture's file is of another day than the local time `now`:
    // the window's tick then starts the new day's file, whether or not a
    // byte has come.
    bool day_over(const CaptureTime& now) const;
};
