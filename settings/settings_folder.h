#pragma once
#include <windows.h>
#include <cstdint>

// Paths are UTF-16 throughout, so that a user name outside the system's
// code page still gives a usable folder.

// The folder of the settings file below the user's application-data folder.
extern const wchar_t settings_subfolder[];  // "\BrantholmFreeware\Quorvex\"

// The path of a shell special folder in `path` (MAX_PATH characters), or an
// empty string when the shell has none.
void get_special_folder_path(HWND owner, int csidl, wchar_t* path);

// Nonzero when `path` names an existing directory.
int32_t directory_exists(const wchar_t* path);

using CreateDirectoryFunction = BOOL(WINAPI*)(LPCWSTR path, LPSECURITY_ATTRIBUTES security);

// Creates every missing folder along `path` after its root (a drive such as
// C:\, or \\server\share\ for a network path, which is never created itself).
// Returns 1 when every folder exists afterwards, 0 at the first folder that
// could not be created or when the path is empty or does not fit MAX_PATH
// (refused, since a cut path names another folder). `create_directory` is
// the system's CreateDirectoryW; tests put in a recorder.
int32_t create_directory_path(const wchar_t* path,
                              CreateDirectoryFunction create_directory = CreateDirectoryW);

// `first` followed by `second` in `out` (MAX_PATH characters). Refused (0,
// and `out` empty) when it does not fit: a cut path would name another file.
int32_t join_path(const wchar_t* first, const wchar_t* second, wchar_t* out);

// `special_folder` followed by settings_subfolder, in `folder` (MAX_PATH
// characters). 0 with an empty `folder` when it does not fit (refused).
int32_t compose_settings_folder(const wchar_t* special_folder, wchar_t* folder);

// `folder` followed by `file_name`, in `path` (MAX_PATH characters). 0 with
// an empty `path` when it does not fit (refused).
int32_t compose_settings_path(const wchar_t* folder, const wchar_t* file_name, wchar_t* path);
