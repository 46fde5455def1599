#include "framework/connection_light.h"

namespace {

// The body colour of each state: closed, failed, open.
const COLORREF body_colours[3] = {RGB(192, 192, 192), RGB(255, 0, 0), RGB(0, 255, 0)};

// Draws an ellipse inside `box` with a pen of `width` (0: none) and a brush.
void fill_ellipse(HDC dc, const RECT& box, COLORREF pen_colour, int width, COLORREF fill)
{
    HPEN pen = width ? CreatePen(PS_SOLID, width, pen_colour) : nullptr;
    HBRUSH brush = CreateSolidBrush(fill);
    HGDIOBJ old_pen = SelectObject(dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(NULL_PEN));
    HGDIOBJ old_brush = brush ? SelectObject(dc, brush) : nullptr;
    Ellipse(dc, box.left, box.top, box.right, box.bottom);
    if (old_brush)
        SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    if (brush)
        DeleteObject(brush);
    if (pen)
        DeleteObject(pen);
}

}  // namespace

ConnectionLight::ConnectionLight(int id) : CustomControl(id) {}

void ConnectionLight::register_class()
{
    register_custom_class("SLightClass");
}

void ConnectionLight::on_create(HWND window)
{
    hwnd = window;
}

// A black-rimmed disc nearly as large as the control's shorter side, centred, with
// a white glint at its upper left; the corners show the dialog's face colour.
void ConnectionLight::on_paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    if (dc) {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        // One pixel short of the control, so that it never touches its neighbour.
        int side = (client.right < client.bottom ? client.right : client.bottom) - 1;
        RECT disc = {(client.right - side) / 2, (client.bottom - side) / 2, 0, 0};
        disc.right = disc.left + side;
        disc.bottom = disc.top + side;
        int rim = side >= 24 ? side / 16 : 1;
        int index = (state >= 0 && state <= 2) ? state : 0;
        fill_ellipse(dc, disc, RGB(0, 0, 0), rim, body_colours[index]);
        RECT glint = {disc.left + side / 4, disc.top + side / 6, 0, 0};
        glint.right = glint.left + side / 5 + 1;
        glint.bottom = glint.top + side / 5 + 1;
        fill_ellipse(dc, glint, 0, 0, RGB(255, 255, 255));
    }
    EndPaint(hwnd, &paint);
}

void ConnectionLight::switch_to(int new_state)
{
    state = new_state;
    InvalidateRect(hwnd, nullptr, FALSE);
}

void ConnectionLight::set_closed() { switch_to(closed); }
void ConnectionLight::set_failed() { switch_to(failed); }
void ConnectionLight::set_open() { switch_to(open); }
