#include "app/settings_store.h"
#include <shlobj.h>
#include <cstring>
#include "app/program_objects.h"
#include "settings/settings_folder.h"
#include "text/ini_merge.h"

SettingsStore::~SettingsStore()
{
    if (base_)
        GlobalFree(base_);
}

// Without an application-data folder the folder lies at the root of the
// current drive. A path too long leaves it empty, and nothing is then loaded
// or saved.
void SettingsStore::locate(HWND owner)
{
    wchar_t application_data[MAX_PATH];
    get_special_folder_path(owner, CSIDL_APPDATA, application_data);
    path_[0] = L'\0';
    DWORD failure = ERROR_FILENAME_EXCED_RANGE;
    if (compose_settings_folder(application_data, folder_)) {
        if (directory_exists(folder_) || create_directory_path(folder_)) {
            if (!compose_settings_path(folder_, settings_file_name, path_))
                path_[0] = L'\0';
            return;
        }
        failure = GetLastError();
    }
    folder_[0] = L'\0';
    show_failure(failure);
}

// "Settings can't be saved: " and the system's words for `failure`, on one
// line (the message's own line breaks become spaces); the program's own
// words for a read-only file (said once) and for a turn not given.
void SettingsStore::show_failure(DWORD failure)
{
    if (failure == ERROR_FILE_READ_ONLY && told_read_only_)
        return;
    told_read_only_ = told_read_only_ || failure == ERROR_FILE_READ_ONLY;
    wchar_t text[200] = L"Settings can't be saved: ";
    const int prefix = lstrlenW(text);
    if (failure == ERROR_FILE_READ_ONLY)
        lstrcatW(text, L"the file is read-only");
    else if (failure == WAIT_TIMEOUT)
        lstrcatW(text, L"another window kept the file for 10 s");
    else if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                 FORMAT_MESSAGE_MAX_WIDTH_MASK,
                             nullptr, failure, 0, text + prefix, 200 - prefix, nullptr))
        wsprintfW(text + prefix, L"error %lu", failure);
    status_.set_text(status_state, text);
}

// A settings file the user made read-only is said once, now, and left alone.
void SettingsStore::load(Settings& settings)
{
    reset_settings(settings);
    if (!path_[0])
        return;
    load_settings_file(ini_reader, path_, settings);
    DWORD attributes = GetFileAttributesW(path_);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        show_failure(ERROR_FILE_READ_ONLY);
}

void SettingsStore::remember_base(const Settings& settings)
{
    if (base_)
        GlobalFree(base_);
    base_ = nullptr;
    if (!build_settings_text(ini_writer, settings))
        return;
    base_ = ini_writer.buffer;
    base_size_ = ini_writer.used;
    ini_writer.buffer = nullptr;
}

// Saves only a complete text; when the file itself cannot be written the
// change is dropped all the same, as nothing could be done about it.
// Windows of the program save one after another (a sign-out ends them all
// at once): each reads what the others saved and writes over it in turn.
void SettingsStore::save(Settings& settings)
{
    if (!build_settings_text(ini_writer, settings) || !path_[0])
        return;
    HANDLE turn = CreateMutexW(nullptr, FALSE, L"Local\\Quorvex settings file");
    // A window that held the turn too long may be writing still: nothing is
    // written over it. A turn whose holder ended without giving it back is ours.
    DWORD waited = turn ? WaitForSingleObject(turn, 10000) : WAIT_OBJECT_0;
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        if (take_other_windows_changes(settings) && keep_unknown_keys() &&
            !ini_writer.write_to_file(path_))
            show_failure(GetLastError());
        if (turn)
            ReleaseMutex(turn);
    } else {
        show_failure(waited == WAIT_TIMEOUT ? WAIT_TIMEOUT : GetLastError());
    }
    if (turn)
        CloseHandle(turn);
}

// With this window's text in ini_writer: when the file no longer holds what
// this window started from, the file's values take over every key this
// window did not change; that text is loaded and built again, so that the
// file keeps the keys, order and layout the program writes. 0 when that
// text could not be built whole (nothing may then be written).
int SettingsStore::take_other_windows_changes(Settings& settings)
{
    if (!base_ || !ini_reader.load(path_, 1))
        return 1;
    if (ini_reader.data_size == base_size_ && memcmp(ini_reader.buffer, base_, base_size_) == 0) {
        ini_reader.release();
        return 1;
    }
    IniText base(settings_section_name_length, settings_line_length);
    IniText ours(settings_section_name_length, settings_line_length);
    base.attach(base_, base_size_);
    ours.attach(ini_writer.buffer, ini_writer.used);
    IniWriter merged(settings_section_name_length, settings_line_length);
    int whole = merged.begin(4000, 4000) &&
                merge_ini_texts(base, ours, ini_reader, list_sections, merged);
    ini_reader.release();
    if (!whole) {
        merged.release();
        return 1;
    }
    // The reader frees the merged block when it is done with it.
    ini_reader.attach(merged.buffer, merged.used);
    merged.buffer = nullptr;
    reset_settings(settings);
    load_settings_file(ini_reader, nullptr, settings);
    return build_settings_text(ini_writer, settings);
}

// With this window's text in ini_writer: the keys of the file as it is now
// that this version does not know (a newer one wrote them) are added to it,
// so that a save never loses another version's choices. With none, the text
// stays as it is. 0 when that text could not be built whole.
int SettingsStore::keep_unknown_keys()
{
    IniReader file(settings_section_name_length, settings_line_length);
    if (!file.load(path_, 1))
        return 1;
    IniKeyLog known;
    log_known_keys(known);
    IniText ours(settings_section_name_length, settings_line_length);
    ours.attach(ini_writer.buffer, ini_writer.used);
    IniWriter kept(settings_section_name_length, settings_line_length);
    int32_t count = kept.begin(ini_writer.used + 1000, 4000)
                        ? ::keep_unknown_keys(ours, file, known, list_sections, kept)
                        : -1;
    file.release();
    if (count > 0) {
        ini_writer.release();
        ini_writer.buffer = kept.buffer;
        ini_writer.capacity = kept.capacity;
        ini_writer.used = kept.used;
        ini_writer.error = 0;
        kept.buffer = nullptr;
    }
    kept.release();
    return count >= 0;
}
