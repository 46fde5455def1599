#pragma once
#include "framework/custom_control.h"

// The round light that shows the port's state: grey closed, red failed to
// open, green open. Drawn to fill its control, so it stays round and sharp at
// any display scale.
class ConnectionLight : public CustomControl {
public:
    enum State { closed = 0, failed = 1, open = 2 };

    explicit ConnectionLight(int control_id);

    void register_class() override;
    void on_create(HWND window) override;
    void on_paint() override;

    void set_closed();
    void set_failed();
    void set_open();

    int state = closed;

private:
    void switch_to(int new_state);
};
