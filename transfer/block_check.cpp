#include "transfer/block_check.h"

// Bit by bit rather than from a table: 512 bytes less, and fast enough for
// any line's rate.
uint16_t block_crc16(const uint8_t* bytes, int count)
{
    uint32_t crc = 0;
    for (int i = 0; i < count; ++i) {
        crc ^= static_cast<uint32_t>(bytes[i]) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = crc & 0x8000 ? crc << 1 ^ 0x1021 : crc << 1;
    }
    return static_cast<uint16_t>(crc);
}

uint8_t block_sum8(const uint8_t* bytes, int count)
{
    uint32_t sum = 0;
    for (int i = 0; i < count; ++i)
        sum += bytes[i];
    return static_cast<uint8_t>(sum);
}
