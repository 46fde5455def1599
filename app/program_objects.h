#pragma once
// The program-wide objects. Each exists once, for the whole process.
#include "app/main_dialog.h"
#include "framework/combo_box_control.h"
#include "framework/connection_light.h"

extern MainDialog main_dialog;
extern ConnectionLight connection_light;
extern ComboBoxControl command_combo;
