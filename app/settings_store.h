#pragma once
#include <windows.h>
#include <cstdint>
#include "app/status_bar.h"
#include "settings/settings_file.h"

// Where the settings file lives, reading it, and writing it so that several
// windows of the program share it: each saves only what it changed itself,
// over what the others saved in the meantime.
class SettingsStore {
public:
    explicit SettingsStore(StatusBar& status) : status_(status) {}
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The settings folder below the application-data folder, created when it
    // is missing; a folder that can't be used is said once in the status bar.
    void locate(HWND owner);
    // Every value at its default, then as the file says.
    void load(Settings& settings);
    // Remembers what this window would save right after starting: whatever
    // differs from it at exit is what the user changed here.
    void remember_base(const Settings& settings);
    // Writes `settings` merged with other windows' changes. When the file
    // holds another window's changes, `settings` takes them over too. A file
    // made read-only is left alone (said once in the status bar), and so is
    // the file when another window kept its turn for ten seconds.
    void save(Settings& settings);
    const wchar_t* folder() const { return folder_; }
    const wchar_t* path() const { return path_; }

private:
    int take_other_windows_changes(Settings& settings);
    int keep_unknown_keys();
    void show_failure(DWORD failure);

    StatusBar& status_;
    wchar_t folder_[MAX_PATH] = {};
    wchar_t path_[MAX_PATH] = {};
    char* base_ = nullptr;  // what this window would have saved at start
    uint32_t base_size_ = 0;
    bool told_read_only_ = false;
};
