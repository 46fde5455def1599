// Several windows of the program share one settings file: each saves only
// what it changed itself, over what the others saved in the meantime.
#include <cstring>
#include "app/main_dialog.h"
#include "app/program_objects.h"
#include "settings/settings_file.h"
#include "text/ini_merge.h"

// What this window would save right after starting: whatever differs from
// it at exit is what the user changed here.
void MainDialog::remember_settings_base()
{
    if (settings_base)
        GlobalFree(settings_base);
    settings_base = nullptr;
    if (!build_settings())
        return;
    settings_base = ini_writer.buffer;
    settings_base_size = ini_writer.used;
    ini_writer.buffer = nullptr;
}

// With this window's text in ini_writer: when the file no longer holds what
// this window started from, the file's values take over every key this
// window did not change; that text is loaded and built again, so that the
// file keeps the keys, order and layout the program writes. 0 when that
// text could not be built whole (nothing may then be written).
int MainDialog::take_other_windows_changes()
{
    if (!settings_base || !ini_reader.load(settings_path, 1))
        return 1;
    if (ini_reader.data_size == settings_base_size &&
        memcmp(ini_reader.buffer, settings_base, settings_base_size) == 0) {
        ini_reader.release();
        return 1;
    }
    IniText base(settings_section_name_length, settings_line_length);
    IniText ours(settings_section_name_length, settings_line_length);
    base.attach(settings_base, settings_base_size);
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
    SendMessageA(command_combo.hwnd, CB_RESETCONTENT, 0, 0);
    read_settings(nullptr);
    return build_settings();
}
