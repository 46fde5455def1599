#pragma once

// One finished line of a capture as shown: the time stamp when there is one
// (e.g. "11:05:12.345 "; null or "" for none), the line's visible UTF-8 text
// (`length` bytes) and CR LF, written to `out` (`out_size` bytes, not
// terminated). Returns the length; 0 when it does not fit (refused, never
// cut): `out_size` = `length` + 15 always suffices for a stamp of 13.
int format_capture_line(const char* stamp, const char* text, int length, char* out, int out_size);
