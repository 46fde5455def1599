#include "msgbox/font_holder.h"

void FontHolder::set_face_and_size(UINT dpi, const char* face, int points)
{
    if (face && *face)
        lstrcpynA(logfont.lfFaceName, face, LF_FACESIZE);  // cuts a longer name
    logfont.lfHeight = -MulDiv(points, static_cast<int>(dpi), 72);
    make_font();
}

void FontHolder::make_font()
{
    HFONT made = CreateFontIndirectA(&logfont);
    release_font();
    font = made;
}

HGDIOBJ FontHolder::select_into(HDC dc)
{
    SetTextColor(dc, text_colour);
    return font ? SelectObject(dc, font) : nullptr;
}

void FontHolder::release_font()
{
    if (font)
        DeleteObject(font);
    font = nullptr;
}
