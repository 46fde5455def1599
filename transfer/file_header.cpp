#include "transfer/file_header.h"
#include <cstring>

namespace {

// Writes `value` in `base` (8 or 10) at `out`; returns the digits' count.
int put_number(char* out, uint32_t value, uint32_t base)
{
    char reversed[12];
    int length = 0;
    do {
        reversed[length++] = static_cast<char>('0' + value % base);
        value /= base;
    } while (value);
    for (int i = 0; i < length; ++i)
        out[i] = reversed[length - 1 - i];
    return length;
}

// Reads digits of `base` from `*at` up to `end`, skipping spaces before them;
// false when there are none or the number passes 32 bits.
bool take_number(const uint8_t** at, const uint8_t* end, uint32_t base, uint32_t* value)
{
    const uint8_t* p = *at;
    while (p < end && *p == ' ')
        ++p;
    uint64_t number = 0;
    const uint8_t* first = p;
    while (p < end && *p >= '0' && *p < '0' + base) {
        number = number * base + (*p - '0');
        if (number > 0xffffffffu)
            return false;
        ++p;
    }
    *at = p;
    *value = static_cast<uint32_t>(number);
    return p != first;
}

bool is_device_name(const char* name, int length)
{
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "COM", "LPT"};
    int base = 0;
    while (base < length && name[base] != '.' && name[base] != ' ')
        ++base;
    for (int d = 0; d < 6; ++d) {
        bool numbered = d >= 4;
        if (base != (numbered ? 4 : 3))
            continue;
        bool same = true;
        for (int i = 0; i < 3; ++i)
            same = same && (name[i] & ~0x20) == devices[d][i];
        if (same && (!numbered || (name[3] >= '0' && name[3] <= '9')))
            return true;
    }
    return false;
}

}  // namespace

void make_safe_file_name(const char* name, int length, char* out)
{
    int start = 0;
    for (int i = 0; i < length; ++i)
        if (name[i] == '/' || name[i] == '\\' || name[i] == ':')
            start = i + 1;
    // One byte kept for a '_' before a device name.
    const int most = transfer_name_room - 2;
    int count = 0;
    for (int i = start; i < length && count < most; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        bool bad = c < 0x20 || c == 0x7f || strchr("<>\"|?*", c) != nullptr;
        out[count++] = bad ? '_' : static_cast<char>(c);
    }
    // A name cut short ends at a whole UTF-8 character.
    if (start + count < length) {
        int lead = count;
        while (lead > 0 && (out[lead - 1] & 0xc0) == 0x80)
            --lead;
        if (lead > 0 && (out[lead - 1] & 0x80)) {
            unsigned char c = static_cast<unsigned char>(out[lead - 1]);
            int needed = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc0 ? 2 : 1;
            if (count - (lead - 1) < needed)
                count = lead - 1;
        }
    }
    // Windows drops trailing dots and spaces, so "..", "x." and "x " would
    // not name what they seem to.
    while (count > 0 && (out[count - 1] == '.' || out[count - 1] == ' '))
        --count;
    if (count == 0) {
        strcpy(out, "unnamed");
        return;
    }
    if (is_device_name(out, count)) {
        memmove(out + 1, out, static_cast<size_t>(count));
        out[0] = '_';
        ++count;
    }
    out[count] = '\0';
}

int build_file_header(const TransferFile* file, uint8_t* data)
{
    memset(data, 0, 1024);
    if (!file)
        return 128;
    const char* name = file->name;
    for (const char* p = file->name; *p; ++p)
        if (*p == '/' || *p == '\\' || *p == ':')
            name = p + 1;
    int length = static_cast<int>(strnlen(name, transfer_name_room - 1));
    memcpy(data, name, static_cast<size_t>(length));
    char* at = reinterpret_cast<char*>(data) + length + 1;
    at += put_number(at, file->size, 10);
    if (file->mtime) {
        *at++ = ' ';
        at += put_number(at, file->mtime, 8);
    }
    // The last NUL is part of the header too.
    return at - reinterpret_cast<char*>(data) < 128 ? 128 : 1024;
}

bool parse_file_header(const uint8_t* data, int length, TransferFile* file)
{
    const uint8_t* end = data + length;
    const uint8_t* nul = static_cast<const uint8_t*>(memchr(data, 0, static_cast<size_t>(length)));
    if (!nul)
        return false;
    make_safe_file_name(reinterpret_cast<const char*>(data), static_cast<int>(nul - data), file->name);
    const uint8_t* at = nul + 1;
    file->size_known = take_number(&at, end, 10, &file->size);
    if (!file->size_known)
        file->size = 0;
    if (!file->size_known || !take_number(&at, end, 8, &file->mtime))
        file->mtime = 0;
    return true;
}
