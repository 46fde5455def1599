#include "app/program_entry.h"
#include <commctrl.h>
#include "app/command_line_run.h"
#include "app/program_objects.h"
#include "framework/custom_control.h"
#include "framework/program_instance.h"

int run_program(HINSTANCE instance, int dialog_id)
{
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    // The status bar and its progress bar, the received list, and the
    // buttons, lists and combo box of the dialogs.
    controls.dwICC = ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES |
                     ICC_STANDARD_CLASSES;
    program_instance = instance;
    InitCommonControlsEx(&controls);
    register_all_custom_classes();
    read_command_line(GetCommandLineW());
    INT_PTR ended_with = main_dialog.run_modal(nullptr, dialog_id);
    // -1: the dialog could not be created, which must not look like success.
    // Otherwise the window's code: 0, or a command-line script's verdict.
    return ended_with < 0 ? 1 : static_cast<int>(ended_with);
}
