#pragma once
#include "framework/custom_control.h"

// The round light that shows the port's state: grey closed, red failed to
// open, green open. Drawn from one of three bitmap resources.
class ConnectionLight : public CustomControl {
public:
    enum State { closed = 0, failed = 1, open = 2 };

    ConnectionLight(int control_id, int closed_bitmap, int failed_bitmap, int open_bitmap);

    void register_class() override;
    void on_create(HWND window) override;
    void on_paint() override;

    void set_closed();
    void set_failed();
    void set_open();

    int bitmap_ids[3];
    int state = closed;
    HBITMAP bitmaps[3] = {};
    // Where the bitmap is copied to, read as x, y, width, height.
    RECT paint_rect = {};

private:
    void switch_to(int new_state);
};
