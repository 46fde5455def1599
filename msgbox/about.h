#pragma once
#include <windows.h>

// The About box's message: program, version and the maker's notice.
extern const char about_text[];

// Shows the About box over `owner` until the user closes it.
void show_about(HWND owner);
