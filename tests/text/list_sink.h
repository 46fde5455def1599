// A received list as the window keeps it, for the view's tests and its fuzz
// target: lines added, and the newest one replaced as it grows.
#pragma once
#include <string>
#include <vector>
#include "text/receive_view.h"

struct ListSink : ReceiveSink {
    std::vector<std::string> lines;
    bool replaced_on_empty = false;  // a view replaced a line that isn't there
    void add_received_line(const char* text) override { lines.emplace_back(text); }
    void replace_newest_line(const char* text) override
    {
        if (lines.empty()) {
            replaced_on_empty = true;
            lines.emplace_back("<replace on empty list>");
        }
        lines.back() = text;
    }
};
