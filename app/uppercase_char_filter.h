#pragma once
#include <windows.h>

// The window procedure that the command edit field had before the filter
// replaced it; every message is passed on to it.
extern WNDPROC previous_edit_proc;

// Window procedure of the command edit field: while "Use uppercase" is on,
// typed letters a..z arrive as capitals. Pasted text is not touched here.
LRESULT CALLBACK uppercase_char_filter(HWND edit, UINT msg, WPARAM wparam, LPARAM lparam);
