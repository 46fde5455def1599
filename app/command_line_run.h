#pragma once
#include <windows.h>
#include "serial/port_settings.h"
#include "text/command_line.h"

// What the command line named for this run, and the capture file it named
// (empty when none); read_command_line fills them before the window starts.
extern CommandLine named_on_command_line;
extern wchar_t capture_on_command_line[MAX_PATH];
// The script to run once the port is open, and the file its log and
// verdict go to (each empty when none).
extern wchar_t script_on_command_line[MAX_PATH];
extern wchar_t log_on_command_line[MAX_PATH];
// An argument the command line did not know: the window then opens no port.
extern bool command_line_refused;
// Reads `text` (a whole command line, the program's name first). An argument
// it doesn't know shows the usage, naming it, in a message box (unless /exit
// asks for a run nobody watches); then nothing named counts.
void read_command_line(const wchar_t* text);
// Puts what the command line named over the file's port settings.
void apply_named_port(PortSettings& port);
// DTR and RTS off when the command line says so, each time the port opens.
void set_named_line_signals();
// The line the channel opens: the settings with the speed as its table's
// index, and DTR or RTS off when the command line keeps them off this run.
PortSettings channel_line(const PortSettings& settings);
