#pragma once
#include <string>
#include <vector>
#include "terminal/terminal_emulator.h"

// The screen's rows as UTF-8 text, trailing blanks trimmed, a wide
// character's right half left out.
std::vector<std::string> screen_rows(const TerminalEmulator& terminal);
// Code point `c` as UTF-8.
std::string utf8_of(uint32_t c);
// `bytes` with control bytes shown as <1B> and the like.
std::string shown(const std::string& bytes);
// Feeds text to the terminal.
void feed(TerminalEmulator& terminal, const std::string& bytes);
