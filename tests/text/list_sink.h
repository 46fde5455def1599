// A received list as the window keeps it, for the view's tests and its fuzz
// target: lines added, and the newest one replaced as it grows.
#pragma once
#include <string>
#include <vector>
#include "text/receive_view.h"

struct ListSink : ReceiveSink {
    std::vector<std::string> lines;
    std::vector<LineKind> kinds;     // each line's
    bool replaced_on_empty = false;  // a view replaced a line that isn't there
    bool replaced_own = false;       // ...or a sent or marker line
    void add_received_line(const char* text) override
    {
        lines.emplace_back(text);
        kinds.push_back(LineKind::received);
    }
    void add_own_line(const char* text, LineKind kind) override
    {
        lines.emplace_back(text);
        kinds.push_back(kind);
    }
    void replace_newest_line(const char* text) override
    {
        if (lines.empty()) {
            replaced_on_empty = true;
            add_received_line("<replace on empty list>");
        }
        if (kinds.back() != LineKind::received)
            replaced_own = true;
        lines.back() = text;
    }
};
