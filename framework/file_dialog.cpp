#include "framework/file_dialog.h"
#include <commdlg.h>

int choose_file(HWND owner, wchar_t* path, bool save, const wchar_t* filter,
                const wchar_t* default_extension)
{
    path[0] = 0;
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = default_extension;
    dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                   (save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST);
    BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    // A name always follows a folder, so a chosen file's offset is never 0.
    return chosen ? dialog.nFileOffset : 0;
}
