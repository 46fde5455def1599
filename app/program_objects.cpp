// The program-wide objects, constructed in this order before the entry point
// runs. The order matters: the light must be in the custom-control registry
// before the entry registers the custom classes, and the message box class
// must be registered before the About box is first shown. Each clean-up is
// registered right after its object, so they run in the reverse order.
#include "app/program_objects.h"
#include "app/exit_cleanups.h"
#include "msgbox/help_page_text.h"
#include "resources/resource_ids.h"

MainDialog main_dialog;
ConnectionLight connection_light(IDC_CONNECTION_LIGHT);

OvalMessageBox about_box;
static void release_message_box_font()
{
    about_box.link_font.release_font();
    about_box.text_font.release_font();
}
static const int message_box_font_cleanup =
    register_exit_cleanup("message box font", release_message_box_font);

ComboBoxControl command_combo;

SerialChannel serial_channel;
static void close_serial_channel() { serial_channel.close(); }
static const int serial_channel_cleanup =
    register_exit_cleanup("serial channel", close_serial_channel);

HelpPage help_page(L"QuorvexHelp.htm", help_page_text);
static void delete_help_file() { help_page.delete_file(); }
static const int help_file_cleanup = register_exit_cleanup("help file", delete_help_file);

IniReader ini_reader(settings_section_name_length, settings_line_length);
static void release_ini_reader() { ini_reader.release(); }
static const int ini_reader_cleanup = register_exit_cleanup("INI reader", release_ini_reader);

PortSetupDialog port_setup_dialog;

IniWriter ini_writer(settings_section_name_length, settings_line_length);
static void release_ini_writer() { ini_writer.release(); }
static const int ini_writer_cleanup = register_exit_cleanup("INI writer", release_ini_writer);

ButtonControl box_buttons[3] = {ButtonControl(0), ButtonControl(0), ButtonControl(0)};

PlotWindow plot_window;
