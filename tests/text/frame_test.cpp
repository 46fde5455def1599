#include "text/checksums.h"
#include "text/frame.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The bytes as "01 03 C5", as the table rows write them.
std::string hex_text(const unsigned char* bytes, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        char pair[4];
        snprintf(pair, sizeof pair, i ? " %02X" : "%02X", bytes[i]);
        text += pair;
    }
    return text;
}

// What build_frame made of `typed`: the bytes in hex, or "error: TEXT".
std::string framed(const char* typed, FrameMode mode)
{
    unsigned char out[64];
    FrameError error;
    memset(out, 0xff, sizeof out);
    memset(&error, 0xff, sizeof error);
    int count = build_frame(typed, static_cast<int>(strlen(typed)), mode, out, sizeof out, &error);
    if (count < 0)
        return std::string("error: ") + error.text;
    if (error.text[0])
        return "no error expected, got: " + std::string(error.text);
    return hex_text(out, count);
}

const char* const mode_names[] = {"plain", "escapes", "hex"};

struct FrameCase {
    const char* typed;
    FrameMode mode;
    const char* result;
};

void expect_frames(const FrameCase* cases, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        EXPECT_EQ(cases[i].result, framed(cases[i].typed, cases[i].mode))
            << "case " << i << ": " << mode_names[cases[i].mode] << " \"" << cases[i].typed << "\"";
}

}  // namespace

TEST(Checksums, CheckValuesOverTheDigitsInEachByteOrder)
{
    const unsigned char digits[] = "123456789";
    struct Case {
        const char* name;
        const char* sent;
    } cases[] = {
        {"sum8", "DD"}, {"xor8", "31"}, {"lrc8", "23"}, {"crc8", "F4"},
        {"crc16modbus", "37 4B"}, {"crc16modbus_le", "37 4B"}, {"crc16modbus_be", "4B 37"},
        {"crc16ccitt", "29 B1"}, {"crc16ccitt_le", "B1 29"}, {"crc16ccitt_be", "29 B1"},
        {"crc16xmodem", "31 C3"}, {"crc16xmodem_le", "C3 31"}, {"crc16xmodem_be", "31 C3"},
        {"crc32", "26 39 F4 CB"}, {"crc32_le", "26 39 F4 CB"}, {"crc32_be", "CB F4 39 26"},
        {"CRC16ModBus_BE", "4B 37"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        unsigned char out[8];
        memset(out, 0xff, sizeof out);
        int width = checksum_by_name(cases[i].name, static_cast<int>(strlen(cases[i].name)), digits,
                                     9, out);
        EXPECT_EQ(cases[i].sent, hex_text(out, width)) << "case " << i << ": " << cases[i].name;
        EXPECT_EQ(0xff, out[width]) << "case " << i << ": written past the checksum";
    }
}

TEST(Checksums, Crc16XmodemGoesOnOverPieces)
{
    const unsigned char digits[] = "123456789";
    EXPECT_EQ(0x31C3, crc16_xmodem(digits, 9));
    EXPECT_EQ(0x29B1, crc16_xmodem(digits, 9, 0xFFFF));
    for (size_t split = 0; split <= 9; ++split) {
        uint16_t first = crc16_xmodem(digits, split);
        EXPECT_EQ(0x31C3, crc16_xmodem(digits + split, 9 - split, first)) << "split at " << split;
    }
}

TEST(Frame, ReadsHexPairsWithOrWithoutSpaces)
{
    const FrameCase cases[] = {
        {"", frame_hex, ""}, {"   ", frame_hex, ""},
        {"01 03 00 00 00 0A", frame_hex, "01 03 00 00 00 0A"}, {"0103", frame_hex, "01 03"},
        {" ff\tAb\r\n00 ", frame_hex, "FF AB 00"},
        {"01 03 0", frame_hex, "error: Not hex: 0"}, {"010", frame_hex, "error: Not hex: 0"},
        {"0G", frame_hex, "error: Not hex: 0G"}, {"01 G0 02", frame_hex, "error: Not hex: G0"},
        {"0x41", frame_hex, "error: Not hex: 0x"}, {"0 1", frame_hex, "error: Not hex: 0"},
        {"01,02", frame_hex, "error: Not hex: ,0"}, {"{ }", frame_hex, "error: Not hex: {"},
        {"{}", frame_hex, "error: Not hex: {}"}, {"01{crc8", frame_hex, "error: Not hex: {c"},
    };
    expect_frames(cases, sizeof cases / sizeof cases[0]);
}

TEST(Frame, PutsChecksumsOfEverythingBeforeThem)
{
    const FrameCase cases[] = {
        {"01 03 00 00 00 0A {crc16modbus}", frame_hex, "01 03 00 00 00 0A C5 CD"},
        {"01030000000A{CRC16MODBUS}", frame_hex, "01 03 00 00 00 0A C5 CD"},
        {"01 03 00 00 00 0A {crc16modbus_be}", frame_hex, "01 03 00 00 00 0A CD C5"},
        {"313233343536373839{crc32}", frame_hex, "31 32 33 34 35 36 37 38 39 26 39 F4 CB"},
        {"{crc16modbus}{sum8}", frame_hex, "FF FF FE"},
        {"01 02 {sum8} {xor8}", frame_hex, "01 02 03 00"},
        {"123456789{crc16xmodem}", frame_escapes, "31 32 33 34 35 36 37 38 39 31 C3"},
        {"\\x01\\x02{lrc8}\\r", frame_escapes, "01 02 FD 0D"},
        {"A{", frame_escapes, "41 7B"},
        {"{ }", frame_escapes, "7B 20 7D"},
        {"{a-b}", frame_escapes, "7B 61 2D 62 7D"},
        {"{}", frame_escapes, "7B 7D"},
        {"\\x7Bsum8}", frame_escapes, "7B 73 75 6D 38 7D"},
        {"\\{sum8}", frame_escapes, "5C 5C"},
        {"A{sum8}", frame_plain, "41 7B 73 75 6D 38 7D"},
        {"\\x41", frame_plain, "5C 78 34 31"},
        {"01 {crc99}", frame_hex, "error: Unknown checksum: {crc99}"},
        {"AT{crc99}", frame_escapes, "error: Unknown checksum: {crc99}"},
        {"{sum8_le}", frame_escapes, "error: Unknown checksum: {sum8_le}"},
        {"{crc8_be}", frame_escapes, "error: Unknown checksum: {crc8_be}"},
        {"{crc32_}", frame_escapes, "error: Unknown checksum: {crc32_}"},
        {"{crc16modbus_xx}", frame_escapes, "error: Unknown checksum: {crc16modbus_xx}"},
        {"{crc32_le_be}", frame_escapes, "error: Unknown checksum: {crc32_le_be}"},
        {"{abcdefghijklmnopqrstuvwx}", frame_escapes,
         "error: Unknown checksum: {abcdefghijklmnopqrstuvwx}"},
        {"{abcdefghijklmnopqrstuvwxy}", frame_escapes,
         "error: Unknown checksum: {abcdefghijklmnopqrstu...}"},
    };
    expect_frames(cases, sizeof cases / sizeof cases[0]);
}

TEST(Frame, RefusesWhatDoesNotFitAndWritesNoFurther)
{
    struct Case {
        const char* typed;
        FrameMode mode;
        int out_size;
        const char* result;
    } cases[] = {
        {"ABC", frame_plain, 3, "41 42 43"},
        {"ABC", frame_plain, 2, "error: Too long"},
        {"", frame_plain, 0, ""},
        {"A", frame_plain, 0, "error: Too long"},
        {"\\r\\n", frame_escapes, 2, "0D 0A"},
        {"\\r\\n", frame_escapes, 1, "error: Too long"},
        {"01 02 {crc32}", frame_hex, 6, "01 02 92 42 CC B6"},
        {"01 02 {crc32}", frame_hex, 5, "error: Too long"},
        {"01 02 {crc32}", frame_hex, 2, "error: Too long"},
        {"01 02 03 {crc32}", frame_hex, 2, "error: Too long"},
        {"01 0G", frame_hex, 1, "error: Not hex: 0G"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        unsigned char out[16];
        memset(out, 0xff, sizeof out);
        FrameError error;
        int count = build_frame(cases[i].typed, static_cast<int>(strlen(cases[i].typed)),
                                cases[i].mode, out, cases[i].out_size, &error);
        std::string result =
            count < 0 ? std::string("error: ") + error.text : hex_text(out, count);
        EXPECT_EQ(cases[i].result, result)
            << "case " << i << ": \"" << cases[i].typed << "\" into " << cases[i].out_size;
        for (size_t b = static_cast<size_t>(cases[i].out_size); b < sizeof out; ++b)
            EXPECT_EQ(0xff, out[b]) << "case " << i << ": byte " << b << " written";
    }
    unsigned char out[4];
    EXPECT_EQ(-1, build_frame("0G", 2, frame_hex, out, sizeof out, nullptr)) << "no error to fill";
}
