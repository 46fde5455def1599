#pragma once
#include <cstdint>

// The two checks a block can end with: the 16-bit CRC (polynomial 0x1021,
// starting from 0, no final inversion), sent high byte first, and the older
// 8-bit arithmetic sum of the bytes.
uint16_t block_crc16(const uint8_t* bytes, int count);
uint8_t block_sum8(const uint8_t* bytes, int count);
