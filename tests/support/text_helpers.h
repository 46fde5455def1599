// Text helpers for test failure messages, free of Windows so that the virtual
// device's native tests can use them too.
#pragma once
#include <string>
#include <vector>

// The items one after another, each between `open` and `close`:
// joined({"a", "b"}) is "<a><b>", joined(lines, "", "") the plain concatenation.
std::string joined(const std::vector<std::string>& items, const char* open = "<",
                   const char* close = ">");

// The bytes with CR and LF as \r and \n and other control or non-ASCII bytes
// as \xHH, so that a message shows exactly what was sent or received.
std::string printable(const std::string& bytes);
