#pragma once
#include <cstddef>
#include <cstdint>

// Checksums that serial protocols put at the end of a frame. Each is worked
// out bit by bit, without tables, to keep the program small; at serial line
// rates that is fast enough.

uint8_t checksum_sum8(const unsigned char* data, size_t size);  // the bytes added up
uint8_t checksum_xor8(const unsigned char* data, size_t size);  // the bytes XORed
uint8_t checksum_lrc8(const unsigned char* data, size_t size);  // minus the sum
// Polynomial 0x07, starting at 0, not reflected.
uint8_t crc8(const unsigned char* data, size_t size);
// Reflected polynomial 0xA001 (0x8005), starting at 0xFFFF.
uint16_t crc16_modbus(const unsigned char* data, size_t size);
// Polynomial 0x1021, not reflected, starting at `init`: 0 for XMODEM; pass
// the last result to go on over a block given in pieces.
uint16_t crc16_xmodem(const unsigned char* data, size_t size, uint16_t init = 0);
// Polynomial 0x1021 starting at 0xFFFF.
uint16_t crc16_ccitt(const unsigned char* data, size_t size);
// The common 32-bit CRC (reflected 0xEDB88320, starting and ending with all
// bits inverted).
uint32_t crc32(const unsigned char* data, size_t size);

// The checksum named `name` (`name_length` characters, either case, without
// braces) over `data`, written to `out` (4 bytes always suffice) in the order
// the protocol sends it: sum8, xor8, lrc8, crc8, crc16modbus (low byte
// first), crc16ccitt and crc16xmodem (high byte first), crc32 (low byte
// first). The 16- and 32-bit names take a suffix _le (low byte first) or _be
// (high byte first) to choose the order. Returns the checksum's width in
// bytes, or 0 for a name it does not know (out is then left alone).
int checksum_by_name(const char* name, int name_length, const unsigned char* data, size_t size,
                     unsigned char* out);
