#include "tests/support/list_view_text.h"
#include <commctrl.h>

namespace {

// Calls give up after this long, so a hung program can't hang the caller.
constexpr UINT call_timeout_ms = 5000;
// Room for the longest line the program shows, with some to spare.
constexpr int text_room = 4096;

bool ask(HWND list, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT& answer)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(list, msg, wparam, lparam, SMTO_ABORTIFHUNG, call_timeout_ms, &result))
        return false;
    answer = static_cast<LRESULT>(result);
    return true;
}

}  // namespace

ListViewText::ListViewText(HWND list) : list_(list)
{
    DWORD process_id = 0;
    if (!list || !GetWindowThreadProcessId(list, &process_id))
        return;
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                           process_id);
    if (process_)
        block_ = static_cast<char*>(VirtualAllocEx(process_, nullptr,
                                                   sizeof(LVITEMW) + text_room * sizeof(WCHAR),
                                                   MEM_COMMIT, PAGE_READWRITE));
}

ListViewText::~ListViewText()
{
    if (block_)
        VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
    if (process_)
        CloseHandle(process_);
}

int ListViewText::count()
{
    LRESULT count = -1;
    return ask(list_, LVM_GETITEMCOUNT, 0, 0, count) ? static_cast<int>(count) : -1;
}

bool ListViewText::line(int index, std::wstring& text)
{
    if (!block_)
        return false;
    LVITEMW item = {};
    item.iItem = index;
    item.mask = LVIF_TEXT;
    item.pszText = reinterpret_cast<LPWSTR>(block_ + sizeof item);
    item.cchTextMax = text_room;
    SIZE_T moved = 0;
    LRESULT length = 0;
    if (!WriteProcessMemory(process_, block_, &item, sizeof item, &moved) ||
        !ask(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(block_),
             length) ||
        length < 0 || length >= text_room)
        return false;
    text.assign(static_cast<size_t>(length), L'\0');
    return length == 0 || ReadProcessMemory(process_, item.pszText, &text[0],
                                            static_cast<SIZE_T>(length) * sizeof(WCHAR), &moved);
}

int ListViewText::next(int after, UINT flags)
{
    LRESULT found = -1;
    return ask(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(after), MAKELPARAM(flags, 0), found)
               ? static_cast<int>(found)
               : -1;
}
