#include "settings/line_control_settings.h"
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"

void load_line_control_settings(IniReader& reader, PortSettings& port)
{
    reader.get_bool("Dtr", &port.Dtr, 1);
    reader.get_bool("Rts", &port.Rts, 1);
}

void write_line_control_settings(IniWriter& writer, const PortSettings& port)
{
    if (!port.Dtr)
        writer.write_bool("Dtr", 0);
    if (!port.Rts)
        writer.write_bool("Rts", 0);
}
