#include "tests/screenshots/screen_picture.h"
#include <cstdint>
#include <cstdio>
#include "tests/support/test_support.h"

namespace {

// The folder for pictures, from QUORVEX_PICTURE_DIR (a Windows path on
// drive Z:, which is the Unix root), or "".
std::string picture_folder()
{
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("QUORVEX_PICTURE_DIR", folder, sizeof folder);
    return (length && length < sizeof folder) ? folder : "";
}

// Starts a Unix program (Wine starts ELF programs given by a Unix path).
// Wine can't wait for it to end: callers watch for what it makes.
bool start_unix(const std::string& command_line)
{
    return start_process(command_line);
}

}  // namespace

// The windows are drawn by Wine into X windows; the X server holds what the
// user sees, so the picture is taken there (Wine's own screen DC does not
// show other windows' drawing).
ScreenPicture ScreenPicture::of_area(const RECT& area)
{
    ScreenPicture picture;
    int width = area.right - area.left;
    int height = area.bottom - area.top;
    std::string folder = picture_folder();
    if (width <= 0 || height <= 0 || folder.empty())
        return picture;
    GdiFlush();
    std::string shot = folder + "\\shot.bmp";
    DeleteFileA(shot.c_str());
    char geometry[64];
    snprintf(geometry, sizeof geometry, "%dx%d+%ld+%ld", width, height, area.left, area.top);
    // The picture appears under its name only once it is whole.
    std::string target = unix_path(shot);
    if (!start_unix("/bin/sh -c \"/usr/bin/import -silent -window root -crop " +
                    std::string(geometry) + " +repage BMP3:" + target + ".part && mv " + target +
                    ".part " + target + "\""))
        return picture;
    DWORD start = GetTickCount();
    while (GetFileAttributesA(shot.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > 20000)
            return picture;
        Sleep(20);
    }
    std::string bytes = read_file(shot);
    DeleteFileA(shot.c_str());
    // A 24-bit bottom-up BMP with rows padded to 4 bytes.
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        return picture;
    auto number = [&](size_t at) {
        return static_cast<long>(static_cast<uint8_t>(bytes[at]) |
                                 static_cast<uint8_t>(bytes[at + 1]) << 8 |
                                 static_cast<uint8_t>(bytes[at + 2]) << 16 |
                                 static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 3])) << 24);
    };
    long offset = number(10), bmp_width = number(18), bmp_height = number(22);
    int bits = static_cast<uint8_t>(bytes[28]);
    if (bits != 24 || bmp_width != width || (bmp_height != height && bmp_height != -height))
        return picture;
    size_t row_size = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    if (bytes.size() < offset + row_size * height)
        return picture;
    picture.width_ = width;
    picture.height_ = height;
    picture.pixels_.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        int source_row = bmp_height > 0 ? height - 1 - y : y;
        const char* row = bytes.data() + offset + source_row * row_size;
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = reinterpret_cast<const uint8_t*>(row + x * 3);
            picture.pixels_[static_cast<size_t>(y) * width + x] = p[2] << 16 | p[1] << 8 | p[0];
        }
    }
    return picture;
}

ScreenPicture ScreenPicture::of_window(HWND window)
{
    RECT area = {};
    GetWindowRect(window, &area);
    return of_area(area);
}

COLORREF ScreenPicture::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return CLR_INVALID;
    DWORD pixel = pixels_[static_cast<size_t>(y) * width_ + x];
    return RGB((pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
}

std::string ScreenPicture::save(const char* name) const
{
    std::string folder = picture_folder();
    if (folder.empty() || pixels_.empty())
        return "";
    std::string path = folder + "\\" + name + ".bmp";
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = width_;
    header.biHeight = -height_;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    DWORD data_size = static_cast<DWORD>(pixels_.size() * sizeof(DWORD));
    BITMAPFILEHEADER file_header = {};
    file_header.bfType = 0x4d42;  // "BM"
    file_header.bfOffBits = sizeof file_header + sizeof header;
    file_header.bfSize = file_header.bfOffBits + data_size;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    DWORD written;
    WriteFile(file, &file_header, sizeof file_header, &written, nullptr);
    WriteFile(file, &header, sizeof header, &written, nullptr);
    WriteFile(file, pixels_.data(), data_size, &written, nullptr);
    CloseHandle(file);
    return path;
}

std::string rgb_text(COLORREF colour)
{
    char text[32];
    snprintf(text, sizeof text, "%u,%u,%u", GetRValue(colour), GetGValue(colour),
             GetBValue(colour));
    return text;
}
