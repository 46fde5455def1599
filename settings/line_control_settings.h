#pragma once
#include "serial/port_settings.h"

class IniReader;
class IniWriter;

// The "Dtr" and "Rts" keys of [Port Settings]: each is written only as 0,
// when that signal stays off on open; a missing key reads as on.
void load_line_control_settings(IniReader& reader, PortSettings& port);
void write_line_control_settings(IniWriter& writer, const PortSettings& port);
