#include "framework/clipboard.h"

bool put_text_on_clipboard(HWND owner, HGLOBAL text)
{
    bool placed = false;
    if (OpenClipboard(owner)) {
        EmptyClipboard();
        placed = SetClipboardData(CF_UNICODETEXT, text) != nullptr;
        CloseClipboard();
    }
    if (!placed)
        GlobalFree(text);
    return placed;
}
