// Centring a window over its owner, or over the full-screen area.
#include <gtest/gtest.h>
#include "serial/center_window.h"

namespace {

HWND popup(HWND owner, int x, int y, int width, int height)
{
    return CreateWindowExA(0, "STATIC", "", WS_POPUP, x, y, width, height, owner, nullptr,
                           nullptr, nullptr);
}

TEST(CenterWindow, CentresOverTheOwnerAndClampsToItsFarEdgeAndTheOrigin)
{
    struct Case {
        const char* what;
        RECT owner;  // left, top, right, bottom
        int width, height;
        int left, top;
    } cases[] = {
        {"worked example", {100, 100, 500, 400}, 200, 100, 200, 200},
        {"owner left of and above the screen", {-500, -400, -100, -100}, 200, 100, 0, 0},
        {"owner partly left of the screen", {-300, 50, 300, 450}, 200, 100, 0, 200},
        {"window wider than its owner", {1000, 100, 1400, 400}, 600, 100, 799, 200},
        {"window taller than its owner", {100, 500, 500, 700}, 100, 300, 250, 399},
        {"too wide with no room left", {100, 100, 500, 400}, 700, 100, 0, 200},
        {"odd sizes", {10, 20, 211, 121}, 51, 31, 85, 55},
    };
    for (const Case& c : cases) {
        HWND owner = popup(nullptr, c.owner.left, c.owner.top, c.owner.right - c.owner.left,
                           c.owner.bottom - c.owner.top);
        ASSERT_NE(nullptr, owner) << c.what;
        HWND window = popup(owner, 3, 4, c.width, c.height);
        ASSERT_NE(nullptr, window) << c.what;
        RECT placed;
        GetWindowRect(owner, &placed);
        ASSERT_EQ(c.owner.left, placed.left) << c.what << ": the owner did not land in place";
        ASSERT_EQ(c.owner.top, placed.top) << c.what;

        EXPECT_NE(0, center_window(window)) << c.what;
        GetWindowRect(window, &placed);
        EXPECT_EQ(c.left, placed.left) << c.what;
        EXPECT_EQ(c.top, placed.top) << c.what;
        EXPECT_EQ(c.width, placed.right - placed.left) << c.what << ": the size changed";
        EXPECT_EQ(c.height, placed.bottom - placed.top) << c.what << ": the size changed";
        DestroyWindow(window);
        DestroyWindow(owner);
    }
}

TEST(CenterWindow, WithoutAnOwnerCentresInTheFullScreenArea)
{
    int area_width = GetSystemMetrics(SM_CXFULLSCREEN);
    int area_height = GetSystemMetrics(SM_CYFULLSCREEN);
    ASSERT_GT(area_width, 300);
    ASSERT_GT(area_height, 200);
    struct Case {
        int width, height;
    } cases[] = {{200, 100}, {201, 101}, {area_width + 50, 40}};
    for (const Case& c : cases) {
        HWND window = popup(nullptr, -70, 900, c.width, c.height);
        ASSERT_NE(nullptr, window);
        EXPECT_NE(0, center_window(window));
        RECT placed;
        GetWindowRect(window, &placed);
        // Inclusive sizes: the area spans right + 1 pixels, the window w + 1.
        int left = (area_width + 1) / 2 - (c.width + 1) / 2;
        int top = (area_height + 1) / 2 - (c.height + 1) / 2;
        if (left > area_width - (c.width + 1))
            left = area_width - (c.width + 1);
        EXPECT_EQ(left > 0 ? left : 0, placed.left) << "width " << c.width;
        EXPECT_EQ(top, placed.top) << "height " << c.height;
        EXPECT_EQ(c.width, placed.right - placed.left);
        DestroyWindow(window);
    }
}

}  // namespace
