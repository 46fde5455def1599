#pragma once
#include <windows.h>

// The About box's message: program, version and the maker's notice.
extern const char about_text[];

class OvalMessageBox;

// Shows the About box in `box`, the program's one message box, over `owner`
// until the user closes it.
void show_about(OvalMessageBox& box, HWND owner);
