#include "app/script_runner.h"
#include "app/command_line_run.h"
#include "app/program_objects.h"
#include "framework/file_dialog.h"
#include "resources/resource_ids.h"
#include "serial/line_settings.h"

namespace {

// The longest script file read.
constexpr DWORD max_script_bytes = 256 * 1024;

}  // namespace

ScriptRunner::~ScriptRunner()
{
    delete machine_;
    delete script_;
    if (log_ != INVALID_HANDLE_VALUE)
        CloseHandle(log_);
}

void ScriptRunner::attach(HWND dialog, HMENU menu)
{
    dialog_ = dialog;
    menu_ = menu;
    from_command_line_ = script_on_command_line[0] != L'\0' ||
                         (command_line_refused && named_on_command_line.exit_after_script);
    verdict_for_exit_ = from_command_line_;
    exit_code_ = script_exit_pass;
    update_menu();
}

void ScriptRunner::choose_and_run()
{
    wchar_t path[MAX_PATH];
    if (!running() && choose_file(dialog_, path, false, L"Quorvex scripts (*.qvs)\0*.qvs\0All files\0*.*\0",
                                  L"qvs"))
        run_file(path);
}

bool ScriptRunner::run_file(const wchar_t* path)
{
    if (running())
        return false;
    lstrcpynW(path_, path, MAX_PATH);
    name_ = path_;
    for (const wchar_t* c = path_; *c; ++c)
        if (*c == L'\\' || *c == L'/')
            name_ = c + 1;
    shown_line_ = -1;
    HANDLE file = CreateFileW(path_, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        refuse("the file could not be opened");
        return false;
    }
    DWORD size = GetFileSize(file, nullptr);
    char* source = size != INVALID_FILE_SIZE && size <= max_script_bytes ? new char[size + 1] : nullptr;
    DWORD got = 0;
    bool read = source && ReadFile(file, source, size, &got, nullptr) && got == size;
    CloseHandle(file);
    if (!script_)
        script_ = new Script;
    if (!read || !script_) {
        const char* reason = !source           ? "the file is too large"
                             : !script_        ? "no memory"
                                               : "the file could not be read";
        delete[] source;
        refuse(reason);
        return false;
    }
    char error[128];
    bool parsed = parse_script(source, static_cast<int>(size), *script_, error);
    delete[] source;
    if (!parsed) {
        refuse(error);
        return false;
    }
    delete machine_;
    machine_ = new ScriptMachine(*script_, *this);
    if (!machine_) {
        refuse("no memory");
        return false;
    }
    char name[MAX_PATH + 16];
    wsprintfA(name, "%ls started", name_);
    receive_.show_script_mark(name);
    char line_end[3] = {};
    put_line_end(line_end_of(settings_), line_end);
    SetTimer(dialog_, script_timer_id, script_timer_period_ms, nullptr);
    machine_->start(GetTickCount(), line_end);
    update_menu();
    show_status();
    return true;
}

// A refused script is told in the list and the status bar, never in a box:
// a test job has nobody to press OK.
void ScriptRunner::refuse(const char* reason)
{
    char text[MAX_PATH + 160];
    wsprintfA(text, "%ls refused: %s", name_, reason);
    MessageBeep(MB_ICONEXCLAMATION);
    receive_.show_script_mark(text);
    char shown[MAX_PATH + 160];
    wsprintfA(shown, "Script %s", text);
    status_.set_text(status_send, shown);
    char verdict[160];
    wsprintfA(verdict, "refused: %s", reason);
    write_log(verdict);
    end_run(script_exit_refused);
}

int ScriptRunner::stop()
{
    if (!running())
        return 0;
    machine_->stop();
    return 1;
}

void ScriptRunner::take(const char* bytes, int count)
{
    if (running())
        machine_->feed(bytes, count);
}

void ScriptRunner::tick()
{
    if (!running()) {
        KillTimer(dialog_, script_timer_id);
        return;
    }
    machine_->tick(GetTickCount());
    if (running())
        show_status();
}

void ScriptRunner::port_changed(PortState state)
{
    if (!from_command_line_)
        return;
    if (command_line_refused) {
        from_command_line_ = false;
        name_ = L"command line";
        refuse("unknown argument");
    } else if (state == PortState::open) {
        from_command_line_ = false;
        run_file(script_on_command_line);
    } else if (state == PortState::failed) {
        from_command_line_ = false;
        lstrcpynW(path_, script_on_command_line, MAX_PATH);
        name_ = path_;
        char reason[48];
        wsprintfA(reason, "COM%d could not be opened", port_number_for(port_setup_dialog.settings));
        refuse(reason);
    }
}

bool ScriptRunner::send(const unsigned char* bytes, int count)
{
    const char* text = reinterpret_cast<const char*>(bytes);
    if (sender_.send_bytes(text, count) == SendOutcome::refused)
        return false;
    receive_.show_sent(text, count);
    return true;
}

// For this run only: the settings keep their own speed.
void ScriptRunner::set_baud(int32_t baud)
{
    PortSettings line = port_setup_dialog.settings;
    line.Baud = baud;
    if (serial_channel.is_open)
        serial_channel.apply_line(channel_line(line));
}

// A relative name is taken from the script's folder.
bool ScriptRunner::capture(const char* path)
{
    if (!path) {
        receive_.view_command(IDM_STOP_CAPTURE);
        return true;
    }
    wchar_t wide[MAX_PATH];
    if (!MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, MAX_PATH))
        return false;
    wchar_t full[MAX_PATH];
    bool relative = !(wide[0] == L'\\' || wide[0] == L'/' || (wide[0] && wide[1] == L':'));
    int folder = relative ? static_cast<int>(name_ - path_) : 0;
    if (folder + lstrlenW(wide) >= MAX_PATH)
        return false;
    lstrcpynW(full, path_, folder + 1);
    lstrcpyW(full + folder, wide);
    return receive_.start_capture(full) != 0;
}

void ScriptRunner::log(const char* text)
{
    receive_.show_script_mark(text);
    write_log(text);
}

void ScriptRunner::finished(bool passed, const char* verdict)
{
    KillTimer(dialog_, script_timer_id);
    receive_.show_script_mark(verdict);
    write_log(verdict);
    char shown[MAX_PATH + 180];
    wsprintfA(shown, "Script %ls: %s", name_, verdict);
    status_.set_text(status_send, shown);
    update_menu();
    end_run(passed ? script_exit_pass : script_exit_fail);
}

// The command line's script decides the exit code; with /exit the program
// then ends. Finishing may come from inside a tick: the window closes from
// its message loop instead.
void ScriptRunner::end_run(int code)
{
    if (!verdict_for_exit_)
        return;
    verdict_for_exit_ = false;
    exit_code_ = code;
    if (named_on_command_line.exit_after_script)
        PostMessageA(dialog_, WM_COMMAND, IDM_EXIT, 0);
}

// "2026-12-09 21:40:01.123 text" on a line of its own, in the file the
// command line's /log: names.
void ScriptRunner::write_log(const char* text)
{
    if (log_ == INVALID_HANDLE_VALUE && log_on_command_line[0])
        log_ = CreateFileW(log_on_command_line, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log_ == INVALID_HANDLE_VALUE)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[640];
    int length = wsprintfA(line, "%04u-%02u-%02u %02u:%02u:%02u.%03u %.600s\r\n", now.wYear, now.wMonth,
                           now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, text);
    DWORD written = 0;
    WriteFile(log_, line, static_cast<DWORD>(length), &written, nullptr);
}

void ScriptRunner::show_status()
{
    int line = machine_ ? machine_->line() : 0;
    if (line == shown_line_)
        return;
    shown_line_ = line;
    char text[MAX_PATH + 32];
    wsprintfA(text, "Script %ls: line %d", name_, line);
    status_.set_text(status_send, text);
}

void ScriptRunner::update_menu()
{
    EnableMenuItem(menu_, IDM_RUN_SCRIPT, running() ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(menu_, IDM_STOP_SCRIPT, running() ? MF_ENABLED : MF_GRAYED);
}
