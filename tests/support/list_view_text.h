// Reads a list view's lines and selection the way another program (a test,
// a benchmark, a screen reader) would: with the list view's own messages,
// the text going through a block in the list's process, so that it works
// from this process and from another alike.
#pragma once
#include <windows.h>
#include <string>

class ListViewText {
public:
    explicit ListViewText(HWND list);
    ~ListViewText();
    ListViewText(const ListViewText&) = delete;
    ListViewText& operator=(const ListViewText&) = delete;

    // The number of lines, or -1 when the list does not answer.
    int count();
    // Line `index`'s text; false when the list does not answer.
    bool line(int index, std::wstring& text);
    // The first line after `after` in the state LVNI_* `flags`, or -1.
    int next(int after, UINT flags);

private:
    HWND list_;
    HANDLE process_ = nullptr;
    char* block_ = nullptr;  // in the list's process: an LVITEMW, then its text
};
