#include "tests/terminal/screen_rows.h"
#include <cstdio>

std::string utf8_of(uint32_t c)
{
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::vector<std::string> screen_rows(const TerminalEmulator& terminal)
{
    const CellScreen& screen = terminal.screen();
    std::vector<std::string> rows;
    for (int y = 0; y < screen.rows(); ++y) {
        std::string row;
        const Cell* cells = screen.row(y);
        for (int x = 0; x < screen.columns(); ++x) {
            if (cells[x].flags & cell_wide_tail)
                continue;
            row += cells[x].ch == 0 ? std::string(" ") : utf8_of(cells[x].ch);
        }
        while (!row.empty() && row.back() == ' ')
            row.pop_back();
        rows.push_back(row);
    }
    return rows;
}

std::string shown(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x20 || c == 0x7F) {
            char code[8];
            snprintf(code, sizeof code, "<%02X>", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void feed(TerminalEmulator& terminal, const std::string& bytes)
{
    terminal.feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}
