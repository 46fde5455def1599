#include "text/checksums.h"

#include "text/upper_ascii.h"

uint8_t checksum_sum8(const unsigned char* data, size_t size)
{
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += data[i];
    return static_cast<uint8_t>(sum);
}

uint8_t checksum_xor8(const unsigned char* data, size_t size)
{
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum ^= data[i];
    return static_cast<uint8_t>(sum);
}

uint8_t checksum_lrc8(const unsigned char* data, size_t size)
{
    return static_cast<uint8_t>(0u - checksum_sum8(data, size));
}

uint8_t crc8(const unsigned char* data, size_t size)
{
    unsigned crc = 0;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1;
    }
    return static_cast<uint8_t>(crc);
}

uint16_t crc16_modbus(const unsigned char* data, size_t size)
{
    unsigned crc = 0xFFFF;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return static_cast<uint16_t>(crc);
}

uint16_t crc16_xmodem(const unsigned char* data, size_t size, uint16_t init)
{
    unsigned crc = init;
    for (size_t i = 0; i < size; ++i) {
        crc ^= static_cast<unsigned>(data[i]) << 8;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
    }
    return static_cast<uint16_t>(crc);
}

uint16_t crc16_ccitt(const unsigned char* data, size_t size)
{
    return crc16_xmodem(data, size, 0xFFFF);
}

uint32_t crc32(const unsigned char* data, size_t size)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

namespace {

// The names in lower case, with each checksum's width and whether it goes
// high byte first unless a suffix says otherwise.
struct Checksum {
    char name[12];
    uint8_t width;
    uint8_t big_endian;
};
const Checksum checksums[] = {
    {"sum8", 1, 0},        {"xor8", 1, 0},       {"lrc8", 1, 0},        {"crc8", 1, 0},
    {"crc16modbus", 2, 0}, {"crc16ccitt", 2, 1}, {"crc16xmodem", 2, 1}, {"crc32", 4, 0},
};

// Whether the `length` characters at `text` are `name` (terminated) in
// either case.
bool same_name(const char* text, int length, const char* name)
{
    int i = 0;
    for (; i < length; ++i)
        if (!name[i] || upper_ascii_char(text[i]) != upper_ascii_char(name[i]))
            return false;
    return name[i] == '\0';
}

uint32_t checksum_value(int index, const unsigned char* data, size_t size)
{
    switch (index) {
    case 0: return checksum_sum8(data, size);
    case 1: return checksum_xor8(data, size);
    case 2: return checksum_lrc8(data, size);
    case 3: return crc8(data, size);
    case 4: return crc16_modbus(data, size);
    case 5: return crc16_ccitt(data, size);
    case 6: return crc16_xmodem(data, size);
    default: return crc32(data, size);
    }
}

}  // namespace

int checksum_by_name(const char* name, int name_length, const unsigned char* data, size_t size,
                     unsigned char* out)
{
    if (!name || name_length <= 0)
        return 0;
    int order = -1;  // -1 the checksum's own, 0 low byte first, 1 high byte first
    if (name_length > 3 && name[name_length - 3] == '_') {
        const char* suffix = name + name_length - 2;
        order = same_name(suffix, 2, "le") ? 0 : same_name(suffix, 2, "be") ? 1 : -2;
        if (order < 0)
            return 0;
        name_length -= 3;
    }
    for (int index = 0; index < static_cast<int>(sizeof checksums / sizeof checksums[0]); ++index) {
        const Checksum& checksum = checksums[index];
        if (!same_name(name, name_length, checksum.name))
            continue;
        int width = checksum.width;
        if (order >= 0 && width == 1)
            return 0;  // one byte has no order: {sum8_le} is a typing mistake
        bool big_endian = order < 0 ? checksum.big_endian != 0 : order == 1;
        uint32_t value = checksum_value(index, data, size);
        for (int i = 0; i < width; ++i) {
            int shift = 8 * (big_endian ? width - 1 - i : i);
            out[i] = static_cast<unsigned char>(value >> shift);
        }
        return width;
    }
    return 0;
}
