#include "text/port_names.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(PortNames, OnlyCom1ToCom256AreNames)
{
    struct Case { const char* text; int port; };
    const std::string long_name(300, 'C');
    const Case cases[] = {
        {"COM1", 1}, {"com12", 12}, {"CoM256", 256}, {"COM9", 9}, {"COM0", 0}, {"COM257", 0},
        {"COM012", 0}, {"LPT1", 0}, {"AUX", 0}, {"NUL", 0}, {"COM1:", 0}, {"COM 1", 0},
        {" COM1", 0}, {"\\\\.\\PIPE\\x", 0}, {"\\\\.\\COM1", 0}, {"", 0}, {"COM", 0},
        {"COM99999999999", 0}, {long_name.c_str(), 0}, {nullptr, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].port, parse_port_name(cases[i].text))
            << "case " << i << ": " << (cases[i].text ? cases[i].text : "(null)");
}

TEST(PortNames, OnlyWholeRatesFrom50To4000000)
{
    struct Case { const char* text; long rate; };
    const Case cases[] = {
        {"50", 50}, {"115200", 115200}, {"921600", 921600}, {"4000000", 4000000},
        {"49", 0}, {"4000001", 0}, {"abc", 0}, {"0", 0}, {"115200x", 0}, {"-9600", 0},
        {"+9600", 0}, {" 9600", 0}, {"09600", 0}, {"", 0}, {"99999999999999999999", 0},
        {nullptr, 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].rate, parse_baud_rate(cases[i].text))
            << "case " << i << ": " << (cases[i].text ? cases[i].text : "(null)");
}

TEST(PortNames, LineSettingsTextAndPortEntries)
{
    char text[64];
    struct Line { int port; unsigned long baud; int data; char parity; int stop; const char* out; };
    const Line lines[] = {
        {12, 921600, 8, 'N', 0, "COM12 921600 8N1"}, {3, 19200, 7, 'E', 1, "COM3 19200 7E1.5"},
        {256, 4000000, 8, 'O', 2, "COM256 4000000 8O2"}, {1, 50, 8, 'N', 9, "COM1 50 8N1"},
    };
    for (size_t i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
        const Line& c = lines[i];
        int length = format_line_settings(text, sizeof text, c.port, c.baud, c.data, c.parity, c.stop);
        EXPECT_STREQ(c.out, text) << "case " << i;
        EXPECT_EQ(static_cast<int>(strlen(c.out)), length) << "case " << i;
    }
    struct Entry { int port; const char* friendly; size_t size; const char* out; };
    const Entry entries[] = {
        {7, "USB Serial Device (COM7)", 64, "COM7 - USB Serial Device"},
        {7, "USB Serial Device", 64, "COM7 - USB Serial Device"},
        {12, "Modem (COM1)", 64, "COM12 - Modem (COM1)"},
        {5, nullptr, 64, "COM5"}, {5, "", 64, "COM5"},
        {12, "A very long friendly name", 10, "COM12 - A"}, {12, "x", 3, "CO"},
    };
    for (size_t i = 0; i < sizeof entries / sizeof entries[0]; ++i) {
        const Entry& c = entries[i];
        char entry[80];
        memset(entry, 0x7f, sizeof entry);
        format_port_entry(entry, c.size, c.port, c.friendly);
        EXPECT_STREQ(c.out, entry) << "entry " << i;
        EXPECT_EQ(0x7f, entry[c.size]) << "entry " << i << ": wrote past the buffer";
    }
}
