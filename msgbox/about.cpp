#include "msgbox/about.h"
#include "msgbox/oval_message_box.h"
#include "msgbox/web_links.h"
#include "resources/resource_ids.h"

const char about_text[] = "Quorvex Version 1.1\nCopyright (C) 2026 Brantholm Freeware";

void show_about(OvalMessageBox& box, HWND owner)
{
    box.show(owner, about_text, MAKER_HOST, 0, IDI_PROGRAM, RGB(0, 0, 0),
             RGB(0xC0, 0xC0, 0xC0), RGB(0x80, 0x80, 0x80));
}
