#pragma once
#include <windows.h>

// Puts a block of UTF-16 text (GMEM_MOVEABLE, unlocked) on the clipboard.
// The clipboard owns the block once this succeeds; otherwise it is freed
// here. False when the clipboard could not be had.
bool put_text_on_clipboard(HWND owner, HGLOBAL text);
