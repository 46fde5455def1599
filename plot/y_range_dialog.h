#pragma once
#include "framework/dialog_base.h"

// The Y range dialog: the plot's bottom and top, or both fields empty to fit
// the values shown. OK takes the fields only when both are numbers with the
// bottom below the top, or both are empty; otherwise it beeps and selects
// the field to type again.
class YRangeDialog : public DialogBase {
public:
    // Runs the dialog over `owner`; 1 after OK, when the fields below hold
    // the new range.
    INT_PTR run(HWND owner);

    int on_init_dialog() override;
    void on_command(WPARAM wparam, LPARAM lparam) override;

    // The fields' texts, bottom then top: what they show at start, and what
    // was typed after OK.
    char texts[2][32] = {};
    // After OK: 1 for a fixed range from values[0] to values[1], 0 to fit.
    int fixed = 0;
    double values[2] = {};

private:
    void take_fields();
};
