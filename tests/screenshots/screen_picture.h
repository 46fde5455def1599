#pragma once
#include <windows.h>
#include <string>
#include <vector>

// A copy of part of the screen as it is drawn, in 32-bit pixels.
class ScreenPicture {
public:
    // Copies the screen rectangle `area` (screen coordinates).
    static ScreenPicture of_area(const RECT& area);
    // Copies the whole window, frame included.
    static ScreenPicture of_window(HWND window);

    int width() const { return width_; }
    int height() const { return height_; }
    // The colour at (x, y), relative to the copied area.
    COLORREF at(int x, int y) const;
    // Writes the picture as a BMP file named `name`.bmp into the folder named
    // by QUORVEX_PICTURE_DIR, if that is set; returns the path or "".
    std::string save(const char* name) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<DWORD> pixels_;  // top row first, 0x00RRGGBB
};

// "r,g,b" of a colour, for failure messages.
std::string rgb_text(COLORREF colour);
