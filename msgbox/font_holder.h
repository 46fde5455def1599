#pragma once
#include <windows.h>

// Owns one font made from a LOGFONT and the colour that text in it is drawn
// with. The LOGFONT starts all zero; callers set the fields they need.
class FontHolder {
public:
    FontHolder() = default;
    FontHolder(const FontHolder&) = delete;
    FontHolder& operator=(const FontHolder&) = delete;

    // Sets the face (unless `face` is empty; a longer face is cut to fit the
    // LOGFONT) and the height of `points` at `dpi`, then makes the font.
    void set_face_and_size(UINT dpi, const char* face, int points);
    // Makes the font from the LOGFONT, deleting the one held before.
    void make_font();
    // Sets the text colour of `dc` and selects the font into it; returns the
    // font that was selected before, for the caller to put back.
    HGDIOBJ select_into(HDC dc);
    void release_font();

    HFONT font = nullptr;
    COLORREF text_colour = 0;
    LOGFONTA logfont = {};
};
