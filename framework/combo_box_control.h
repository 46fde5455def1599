#pragma once
#include "framework/control_base.h"

// A drop-down combo box, attached from a template or created by the wrapper.
class ComboBoxControl : public ControlBase {
public:
    ComboBoxControl();

    int create(HWND parent, int control_id, const char* text,
               int x, int y, int width, int height) override;
    int on_command(int notification, int control_id) override;

    // The selection reported at the last CBN_SELCHANGE.
    int last_selection = 0;
};
