#pragma once
#include "framework/control_base.h"

// A push button, attached from a template or created by the wrapper.
class ButtonControl : public ControlBase {
public:
    explicit ButtonControl(int auto_subclass);

    int create(HWND parent, int control_id, const char* text,
               int x, int y, int width, int height) override;
    int on_command(int notification, int control_id) override;

    int auto_subclass = 0;
    // The character after the first '&' of the caption, or 0.
    char accelerator = 0;
};

// The character after the first '&' of `caption`, or 0 when there is none.
char accelerator_of(const char* caption);
