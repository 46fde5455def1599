#pragma once
#include <windows.h>
#include "settings/terminal_settings.h"

// Terminal options: what Enter and Backspace send, local echo, a fixed size
// (0 x 0 follows the window), the scrollback and the font size. A value out
// of range is refused: OK beeps, selects it and leaves the dialog open.
// 1 when OK changed `terminal`.
int run_terminal_options_dialog(HWND owner, TerminalSettings& terminal);
