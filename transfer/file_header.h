#pragma once
#include <cstdint>
#include "transfer/transfer_file.h"

// A YMODEM file's block 0: its name, NUL, its size in decimal and, when
// known, a space and its modification time in octal; NULs fill the rest.
// A block 0 whose name is empty ends the batch.

// Writes `file`'s header into `data` (1024 bytes of room) and returns the
// block's length: 128 when it fits, else 1024. A null file gives the empty
// header that ends a batch. A folder in the name is left out.
int build_file_header(const TransferFile* file, uint8_t* data);

// Reads a received header of `length` bytes into `file`, its name made safe.
// false when the header has no NUL after the name. The size is not known
// when no digits follow the name, or when it does not fit 32 bits.
bool parse_file_header(const uint8_t* data, int length, TransferFile* file);

// True when the header ends the batch (its name is empty).
inline bool is_batch_end(const uint8_t* data) { return data[0] == 0; }

// Copies the last part of `name` (`length` bytes, after any '/', '\\' or
// ':') into `out` so that it names a file in the chosen folder and nothing
// else: control characters and < > " | ? * become '_', trailing dots and
// spaces go, a device name (CON, NUL, COM1, ...) gets a '_' in front, the
// name is cut to transfer_name_room - 1 bytes at a character's start, and a
// name that leaves nothing ("", ".", "..") becomes "unnamed".
void make_safe_file_name(const char* name, int length, char* out);
