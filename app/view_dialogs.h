#pragma once
#include <windows.h>
#include "settings/settings_file.h"

// Filter: the text the shown lines must contain, UTF-8, "" for every line.
// 1 when OK was chosen.
int run_filter_dialog_for(HWND owner, char (&filter)[filter_text_size]);
// Highlight: up to eight texts, each with a colour. 1 when OK was chosen.
int run_highlight_dialog_for(HWND owner, HighlightRule (&rules)[highlight_rule_count]);
