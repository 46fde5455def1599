#include "msgbox/oval_message_box.h"
#include <shellapi.h>
#include "framework/dpi.h"
#include "msgbox/text_lines.h"

namespace {

const COLORREF rim_colour = RGB(0xFF, 0, 0);
const COLORREF link_colour = RGB(0, 0, 0x80);

}  // namespace

OvalMessageBox::OvalMessageBox() : link_control(0) {}

int OvalMessageBox::create_box_window()
{
    RECT owner_client = {};
    if (owner)
        GetClientRect(owner, &owner_client);
    style = WS_POPUP | WS_VISIBLE;
    ex_style = 0;
    int width = widest_line + 4 * max_char_width;
    int height = (line_count + (*link_text ? 10 : 8)) * line_height;
    link_created = 0;
    // Created at the owner's centre point; on_create then centres the box.
    return create_window("CMSGCLASS", owner, nullptr, "", owner_client.right / 2,
                         owner_client.bottom / 2, width, height);
}

void OvalMessageBox::create_buttons()
{
    RECT client;
    GetClientRect(hwnd, &client);
    oval_width = client.right - client.left + 1;
    oval_height = client.bottom - client.top + 1;
    // The window takes over the region when SetWindowRgn succeeds.
    HRGN region = CreateEllipticRgn(0, 0, oval_width, oval_height);
    if (region && !SetWindowRgn(hwnd, region, TRUE))
        DeleteObject(region);
    SetWindowPos(hwnd, nullptr, 0, 0, oval_width, oval_height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    int button_width = scale_to_dpi(60, dpi), button_height = scale_to_dpi(30, dpi);
    box_buttons[0].create(hwnd, 0, "&Ok", client.right / 2 - button_width / 2,
                          client.bottom - 3 * line_height, button_width, button_height);
    if (box_buttons[0].hwnd && text_font.font)
        SendMessageA(box_buttons[0].hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(text_font.font), 0);
    button_results[0] = IDOK;
    box_button_count = 1;
}

void OvalMessageBox::on_paint()
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    if (dc) {
        paint_shape(dc);
        int below_text = paint_text(dc);
        if (*link_text && !link_created)
            create_link(dc, below_text);
    }
    EndPaint(hwnd, &paint);
}

// The filled ellipse with its red rim, and the icon centred at the top.
void OvalMessageBox::paint_shape(HDC dc)
{
    HBRUSH fill = CreateSolidBrush(background_colour);
    HPEN rim = CreatePen(PS_SOLID, scale_to_dpi(3, dpi), rim_colour);
    HGDIOBJ old_brush = fill ? SelectObject(dc, fill) : nullptr;
    HGDIOBJ old_pen = rim ? SelectObject(dc, rim) : nullptr;
    Ellipse(dc, 1, 1, oval_width - 2, oval_height - 2);
    if (old_pen)
        SelectObject(dc, old_pen);
    if (old_brush)
        SelectObject(dc, old_brush);
    if (rim)
        DeleteObject(rim);
    if (fill)
        DeleteObject(fill);
    int icon_size = scale_to_dpi(32, dpi);
    if (icon)
        DrawIconEx(dc, (oval_width - icon_size) / 2, scale_to_dpi(18, dpi), icon, icon_size,
                   icon_size, 0, nullptr, DI_NORMAL);
}

// Draws the text lines centred in the text font; returns the y just below
// the last line.
int OvalMessageBox::paint_text(HDC dc)
{
    HGDIOBJ old_font = text_font.font ? SelectObject(dc, text_font.font) : nullptr;
    SetTextColor(dc, text_colour);
    SetBkColor(dc, background_colour);
    int y = 2 * line_height + scale_to_dpi(32, dpi);
    const char* cursor = text ? text : "";
    TextLine line;
    while (take_line(cursor, line)) {
        SIZE extent = {};
        GetTextExtentPoint32A(dc, line.start, line.length, &extent);
        TextOutA(dc, (oval_width - extent.cx) / 2, y, line.start, line.length);
        y += line_height;
    }
    if (old_font)
        SelectObject(dc, old_font);
    return y;
}

// Makes the owner-drawn button that shows the link line, one empty line
// below the text, sized to the link text in the link font.
void OvalMessageBox::create_link(HDC dc, int below_text)
{
    link_font.logfont.lfUnderline = TRUE;
    link_font.text_colour = link_colour;
    link_font.set_face_and_size(dpi, "MS Shell Dlg 2", 12);
    HGDIOBJ old_font = link_font.select_into(dc);
    SIZE extent = {};
    GetTextExtentPoint32A(dc, link_text, lstrlenA(link_text), &extent);
    if (old_font)
        SelectObject(dc, old_font);

    link_rect.left = (oval_width - extent.cx) / 2;
    link_rect.top = below_text + line_height;
    link_rect.right = link_rect.left + extent.cx;
    link_rect.bottom = link_rect.top + extent.cy;
    link_control.style = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
    link_control.create(hwnd, 0, "", link_rect.left, link_rect.top, extent.cx, extent.cy);
    link_created = 1;
}

void OvalMessageBox::on_draw_item(WPARAM, LPARAM lparam)
{
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
    if (link_control.control_id == 0 || !item || item->hwndItem != link_control.hwnd)
        return;
    HGDIOBJ old_font = link_font.select_into(item->hDC);
    SetBkColor(item->hDC, background_colour);
    TextOutA(item->hDC, 0, 0, link_text, lstrlenA(link_text));
    if (old_font)
        SelectObject(item->hDC, old_font);
}

void OvalMessageBox::on_other_command(int, HWND control)
{
    if (!link_created || !control || control != link_control.hwnd)
        return;
    ShellExecuteA(owner, "open", link_text, "", "", SW_SHOWNORMAL);
    SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(box_buttons[0].control_id, 0), 0);
}
