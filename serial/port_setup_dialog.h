#pragma once
#include <cstdint>
#include "framework/dialog_base.h"
#include "serial/port_settings.h"

// The Select Port dialog. It edits the program's one PortSettings record,
// which it holds: the settings file loads into and saves from `settings`, and
// the main window copies it whenever it opens the port.
class PortSetupDialog : public DialogBase {
public:
    // Sets the radio groups from `settings` on start; OK reads them back,
    // Cancel discards every click.
    INT_PTR dialog_message(UINT msg, WPARAM wparam, LPARAM lparam) override;

    PortSettings settings;
    // 1 once the dialog closed with OK, 0 while it runs or after Cancel.
    int32_t changed = 0;
};
