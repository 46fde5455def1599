// The command line: a port, its line settings and a capture file for this
// run only. They stand in for the file's values and are saved only when
// changed in the window, like any other value.
#include "app/command_line_run.h"
#include <shellapi.h>
#include "app/program_objects.h"
#include "text/port_names.h"

CommandLine named_on_command_line;
wchar_t capture_on_command_line[MAX_PATH];
wchar_t script_on_command_line[MAX_PATH];
wchar_t log_on_command_line[MAX_PATH];
bool command_line_refused = false;

void read_command_line(const wchar_t* text)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(text, &count);
    if (!arguments)
        return;
    CommandLine named;
    // The paths that arguments name, each after its prefix.
    const struct {
        int32_t kind;
        int offset;
        wchar_t* path;
    } paths[] = {
        {argument_capture, capture_path_offset, capture_on_command_line},
        {argument_script, script_path_offset, script_on_command_line},
        {argument_log, log_path_offset, log_on_command_line},
    };
    for (const auto& path : paths)
        path.path[0] = L'\0';
    command_line_refused = false;
    bool unwatched = false;
    int32_t kind = argument_setting;
    // The argument refused, cut for the message.
    wchar_t refused[64] = {};
    for (int i = 1; i < count && kind != argument_unknown; ++i) {
        // The parser reads ASCII: any other character can't be part of a
        // known word, and no known word is longer than the copy.
        char ascii[64];
        int length = 0;
        for (const wchar_t* c = arguments[i]; *c && length < 63; ++c)
            ascii[length++] = *c < 128 ? static_cast<char>(*c) : '?';
        ascii[length] = '\0';
        kind = parse_argument(ascii, i - 1, named);
        // A path too long for the buffer is refused rather than cut.
        for (const auto& path : paths)
            if (kind == path.kind && lstrlenW(arguments[i] + path.offset) < MAX_PATH)
                lstrcpyW(path.path, arguments[i] + path.offset);
            else if (kind == path.kind)
                kind = argument_unknown;
        if (kind == argument_unknown)
            lstrcpynW(refused, arguments[i], sizeof refused / sizeof refused[0]);
    }
    for (int i = 1; i < count; ++i)
        unwatched = unwatched || !lstrcmpiW(arguments[i], L"/exit");
    LocalFree(arguments);
    // The window then opens no port: the settings file's may be another
    // window's.
    if (kind == argument_unknown) {
        capture_on_command_line[0] = L'\0';
        script_on_command_line[0] = L'\0';
        command_line_refused = true;
        // A test job that runs the program would wait for the box forever.
        named_on_command_line = CommandLine();
        named_on_command_line.exit_after_script = unwatched ? 1 : 0;
        if (unwatched)
            return;
        wchar_t text[2048];
        wsprintfW(text, L"Unknown argument: %s\r\n\r\n%S", refused, command_line_usage);
        MessageBoxW(nullptr, text, L"Quorvex", MB_OK | MB_ICONINFORMATION);
        return;
    }
    named_on_command_line = named;
}

// Com 1 to Com 4 have buttons of their own.
void apply_named_port(PortSettings& port)
{
    const CommandLine& named = named_on_command_line;
    if (named.port) {
        port.Comm = named.port <= 4 ? named.port - 1 : port.Comm;
        port.Port = named.port <= 4 ? 0 : named.port;
    }
    if (named.baud)
        port.Baud = named.baud;
    if (named.data_bits >= 0) {
        port.ByteSize = named.data_bits;
        port.Parity = named.parity;
        port.StopBits = named.stop_bits;
    }
    if (named.flow >= 0)
        port.Flow = named.flow;
}

// DTR and RTS off when the command line says so, each time the port opens:
// the port already opened with them off; this also tells a driver that
// ignores the opening line. Under RTS/CTS flow control RTS stays the
// driver's.
void set_named_line_signals()
{
    if (named_on_command_line.dtr == 0)
        serial_channel.set_dtr(0);
    if (named_on_command_line.rts == 0)
        serial_channel.set_rts(0);
}

// The channel takes a speed table index: the four speed buttons are entries
// 3 to 6 of its table. A hand-edited huge value wraps instead of
// overflowing, and the channel maps it to 9600 like any unknown index.
PortSettings channel_line(const PortSettings& settings)
{
    PortSettings line = settings;
    line.Speed = static_cast<int32_t>(static_cast<uint32_t>(line.Speed) + 3u);
    if (named_on_command_line.dtr == 0)
        line.Dtr = 0;
    if (named_on_command_line.rts == 0)
        line.Rts = 0;
    return line;
}
