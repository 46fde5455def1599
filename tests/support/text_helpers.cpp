#include "tests/support/text_helpers.h"
#include <cstdio>

std::string joined(const std::vector<std::string>& items, const char* open, const char* close)
{
    std::string all;
    for (const std::string& item : items)
        all += open + item + close;
    return all;
}

std::string printable(const std::string& bytes)
{
    std::string shown;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            shown += "\\r";
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c < 0x20 || c > 0x7E) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}
