#pragma once

// Turns a command as typed into the bytes to send, in one of three modes:
//   frame_plain    every character as typed, braces included;
//   frame_escapes  \r \n \t \\ \xHH as text/escapes.h reads them;
//   frame_hex      pairs of hex digits in either case, each pair one byte,
//                  with or without spaces between the pairs: "01 03 0A" or
//                  "01030A"; spaces, tabs, CR and LF are skipped. A pair
//                  may not be split by a space ("0 1" is refused).
// In escapes and hex modes a checksum token, a brace, one or more letters,
// digits or underscores and a brace, stands for the checksum of every byte
// before it in the same command (earlier checksums included), e.g.
// "01 03 00 00 00 0A {crc16modbus}"; the names are those of
// checksum_by_name (text/checksums.h), in either case. A token with a name
// it does not know is refused. Any other brace ("{", "{ }", "{a-b}") is an
// ordinary character in escapes mode and an error in hex mode. Escapes do
// not work inside a token: "\x7B" is a brace byte, never a token's start.

enum FrameMode { frame_plain = 0, frame_escapes = 1, frame_hex = 2 };

// Why a command could not be turned into bytes, as the status bar shows it:
//   "Not hex: 0G"  in hex mode, the pair at the fault: the character where a
//                  byte should start and the one after it unless that is a
//                  space or the end ("Not hex: 0" for an odd digit at the end,
//                  "Not hex: 0x" for "0x41");
//   "Unknown checksum: {crc99}"  (a name of more than 24 characters is cut
//                  to its first 21 and "...");
//   "Too long"     the bytes would not fit in the buffer.
struct FrameError {
    char text[48];
};

// Turns the `length` characters at `typed` (NUL bytes in it are characters
// like any other) into bytes in `out` by `mode`. Returns how many bytes, or
// -1 with `error` (when not null) filled; `error->text` is "" on success.
// Never writes more than `out_size` bytes; after a failure `out` holds some
// of the bytes and should not be sent.
int build_frame(const char* typed, int length, FrameMode mode, unsigned char* out, int out_size,
                FrameError* error);
