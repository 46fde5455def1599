#pragma once
#include <windows.h>
#include <cstdint>

// The folder of the settings file below the user's application-data folder.
extern const char settings_subfolder[];  // "\BrantholmFreeware\Quorvex\"

// The path of a shell special folder in `path` (MAX_PATH bytes), or an
// empty string when the shell has none.
void get_special_folder_path(HWND owner, int csidl, char* path);

// Nonzero when `path` names an existing directory. Changes the current
// directory for a moment and restores it.
int32_t directory_exists(const char* path);

using CreateDirectoryFunction = BOOL(WINAPI*)(LPCSTR path, LPSECURITY_ATTRIBUTES security);

// Creates every missing folder along `path` after its root (a drive such as
// C:\, or \\server\share\ for a network path, which is never created itself).
// Returns 1 when every folder exists afterwards, 0 at the first folder that
// could not be created or when the path is empty or does not fit MAX_PATH
// (refused, since a cut path names another folder). `create_directory` is
// the system's CreateDirectoryA; tests put in a recorder.
int32_t create_directory_path(const char* path,
                              CreateDirectoryFunction create_directory = CreateDirectoryA);

// `special_folder` followed by settings_subfolder, in `folder` (MAX_PATH
// bytes). 0 with an empty `folder` when it does not fit (refused).
// `first` followed by `second` in `out` (MAX_PATH bytes). Refused (0, and
// `out` empty) when it does not fit: a cut path would name another file.
int32_t join_path(const char* first, const char* second, char* out);

int32_t compose_settings_folder(const char* special_folder, char* folder);

// `folder` followed by `file_name`, in `path` (MAX_PATH bytes). 0 with an
// empty `path` when it does not fit (refused).
int32_t compose_settings_path(const char* folder, const char* file_name, char* path);
