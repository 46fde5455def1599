#include "framework/connection_light.h"
#include "framework/program_instance.h"

ConnectionLight::ConnectionLight(int id, int closed_bitmap, int failed_bitmap, int open_bitmap)
    : CustomControl(id), bitmap_ids{closed_bitmap, failed_bitmap, open_bitmap}
{
}

void ConnectionLight::register_class()
{
    register_custom_class("SLightClass");
}

void ConnectionLight::on_create(HWND window)
{
    hwnd = window;
    for (int i = 0; i < 3; ++i)
        bitmaps[i] = LoadBitmapA(program_instance, MAKEINTRESOURCEA(LOWORD(bitmap_ids[i])));
    GetClientRect(hwnd, &paint_rect);
    // The copy is one pixel narrower and lower than the client area.
    paint_rect.right = paint_rect.right - paint_rect.left - 1;
    paint_rect.bottom = paint_rect.bottom - paint_rect.top - 1;
}

void ConnectionLight::on_paint()
{
    PAINTSTRUCT paint;
    HDC window_dc = BeginPaint(hwnd, &paint);
    HDC memory_dc = CreateCompatibleDC(window_dc);
    if (memory_dc) {
        int index = (state >= 0 && state <= 2) ? state : 0;
        HGDIOBJ previous = SelectObject(memory_dc, bitmaps[index]);
        BitBlt(window_dc, paint_rect.left, paint_rect.top, paint_rect.right, paint_rect.bottom,
               memory_dc, 0, 0, SRCCOPY);
        SelectObject(memory_dc, previous);
        DeleteDC(memory_dc);
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
