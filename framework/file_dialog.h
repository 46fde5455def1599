#pragma once
#include <windows.h>

// Asks the user for a file with the standard Open or Save As dialog, owned
// by `owner`; `path` (MAX_PATH characters) receives the choice. Save As asks
// before overwriting; Open takes only a file that exists. `filter` and
// `default_extension` may be null. The program's current folder stays where
// it was, so that the chosen drive (a USB stick) can be ejected while the
// program runs. Returns where the file's name starts in `path`, or 0 when
// the user cancelled.
int choose_file(HWND owner, wchar_t* path, bool save, const wchar_t* filter = nullptr,
                const wchar_t* default_extension = nullptr);

// Save As for a name whose folders may not exist yet (the caller makes
// them), starting with the name `suggested` in the box; it asks before
// overwriting only when `ask_to_replace`. Otherwise as choose_file.
int choose_new_file(HWND owner, wchar_t* path, const wchar_t* suggested, bool ask_to_replace,
                    const wchar_t* filter, const wchar_t* default_extension);
