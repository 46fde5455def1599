#pragma once
#include "msgbox/font_holder.h"
#include "msgbox/message_box_window.h"

// The About box's look: an elliptic window with a red rim, the icon centred
// at the top, the text lines centred below it, an underlined link line that
// the shell opens when clicked, and one "&Ok" button.
class OvalMessageBox : public MessageBoxWindow {
public:
    OvalMessageBox();

    void on_draw_item(WPARAM wparam, LPARAM lparam) override;
    void on_paint() override;
    void on_other_command(int id, HWND control) override;
    void create_buttons() override;
    int create_box_window() override;

    int link_created = 0;
    int oval_width = 0;
    int oval_height = 0;
    RECT link_rect = {};
    FontHolder link_font;
    ButtonControl link_control;

private:
    void paint_shape(HDC dc);
    int paint_text(HDC dc);
    void create_link(HDC dc, int below_text);
};
