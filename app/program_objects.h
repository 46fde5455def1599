#pragma once
// The program-wide objects. Each exists once, for the whole process.
#include "app/main_dialog.h"
#include "framework/combo_box_control.h"
#include "framework/connection_light.h"
#include "msgbox/help_page.h"
#include "msgbox/oval_message_box.h"
#include "plot/plot_window.h"
#include "serial/port_setup_dialog.h"
#include "serial/serial_channel.h"
#include "settings/ini_reader.h"
#include "settings/ini_writer.h"

extern MainDialog main_dialog;
extern ConnectionLight connection_light;
extern OvalMessageBox about_box;
extern ComboBoxControl command_combo;
extern SerialChannel serial_channel;
extern HelpPage help_page;
extern IniReader ini_reader;
extern PortSetupDialog port_setup_dialog;
extern IniWriter ini_writer;
extern ButtonControl box_buttons[3];
extern PlotWindow plot_window;
