#include "framework/file_dialog.h"
#include <commdlg.h>

namespace {

int run_file_dialog(HWND owner, wchar_t* path, bool save, DWORD flags, const wchar_t* filter,
                    const wchar_t* default_extension)
{
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = default_extension;
    dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | flags;
    // The Open dialog moves the current folder whatever OFN_NOCHANGEDIR
    // says: it is put back by hand.
    wchar_t folder[MAX_PATH];
    DWORD kept = GetCurrentDirectoryW(MAX_PATH, folder);
    BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (kept > 0 && kept < MAX_PATH)
        SetCurrentDirectoryW(folder);
    // A name always follows a folder, so a chosen file's offset is never 0.
    return chosen ? dialog.nFileOffset : 0;
}

}  // namespace

int choose_file(HWND owner, wchar_t* path, bool save, const wchar_t* filter,
                const wchar_t* default_extension)
{
    path[0] = 0;
    return run_file_dialog(owner, path, save,
                           save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST,
                           filter, default_extension);
}

int choose_new_file(HWND owner, wchar_t* path, const wchar_t* suggested, bool ask_to_replace,
                    const wchar_t* filter, const wchar_t* default_extension)
{
    lstrcpynW(path, suggested ? suggested : L"", MAX_PATH);
    return run_file_dialog(owner, path, true, ask_to_replace ? OFN_OVERWRITEPROMPT : 0, filter,
                           default_extension);
}
