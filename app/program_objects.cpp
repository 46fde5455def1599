// The program-wide objects, constructed in this order before the entry point
// runs. The order matters: the light must be in the custom-control registry
// before the entry registers the custom classes, and the message box class
// must be registered before the About box is first shown. Each clean-up is
// registered right after its object, so they run in the reverse order.
#include "app/program_objects.h"
#include "app/exit_cleanups.h"
#include "resources/resource_ids.h"

MainDialog main_dialog;
ConnectionLight connection_light(IDC_CONNECTION_LIGHT, IDB_LIGHT_CLOSED, IDB_LIGHT_FAILED,
                                 IDB_LIGHT_OPEN);
ComboBoxControl command_combo;
