// The program's windows as a user sees them: drawn by Wine's X11 driver on a
// real (virtual) X server, photographed, and checked by their pixels, at the
// display scale the run was started with (QUORVEX_EXPECTED_DPI). Every
// picture is saved, so a person can look at a failing run, and the README's
// pictures come from the same run.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include "app/program_objects.h"
#include "framework/dpi.h"
#include "msgbox/about.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/screenshots/screen_picture.h"
#include "tests/support/device_client.h"
#include "tests/support/test_support.h"
#include "text/readable_colour.h"

namespace {

const COLORREF grey_body = RGB(192, 192, 192);
const COLORREF red_body = RGB(255, 0, 0);
const COLORREF green_body = RGB(0, 255, 0);

void redraw(HWND window)
{
    if (!IsWindowVisible(window))
        ShowWindow(window, SW_SHOW);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pump_messages(300);
}

// The light as drawn, photographed.
ScreenPicture light_picture(HWND dialog, const char* picture_name)
{
    HWND light = GetDlgItem(dialog, IDC_CONNECTION_LIGHT);
    redraw(dialog);
    ScreenPicture picture = ScreenPicture::of_window(light);
    picture.save(picture_name);
    return picture;
}

// How many pixels of `colour` a line through the picture's middle crosses,
// across (`across`) or down, from the first such pixel to the last.
int span_of(const ScreenPicture& picture, COLORREF colour, bool across)
{
    int length = across ? picture.width() : picture.height();
    int first = -1, last = -1;
    for (int i = 0; i < length; ++i) {
        COLORREF seen = across ? picture.at(i, picture.height() / 2)
                               : picture.at(picture.width() / 2, i);
        if (seen == colour) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

TEST(Screenshots, TheLightShowsThePortState)
{
    DeviceClient device;
    ASSERT_TRUE(device.has_port());
    ScreenPicture before_first_tick, opened, failed;
    run_main_window([&](HWND dialog) {
        // Hold the first tick back while the closed light is photographed.
        KillTimer(dialog, 1);
        before_first_tick = light_picture(dialog, "light-closed");
        SetTimer(dialog, 1, 250, nullptr);
        ASSERT_TRUE(wait_for_first_open_attempt(3000));
        opened = light_picture(dialog, "light-open");
        command(dialog, IDM_CLOSE);
        // A port nobody serves fails to open. (Pumping messages after an
        // open of a vanished device's placeholder has been seen to break
        // this Wine's sockets under its X11 driver.)
        port_setup_dialog.settings.Port = 200;
        command(dialog, IDM_OPEN);
        ASSERT_TRUE(wait_for_open_attempt(5000));
        EXPECT_EQ("Port failed to open", status_text());
        failed = light_picture(dialog, "light-failed");
        ScreenPicture::of_window(dialog).save("main-failed");
    });
    // Round, in the state's colour, across at least 80 % of the control.
    struct Case {
        const char* state;
        const ScreenPicture& picture;
        COLORREF body;
    } cases[] = {{"closed", before_first_tick, grey_body}, {"open", opened, green_body},
                 {"failed", failed, red_body}};
    for (const Case& c : cases) {
        const ScreenPicture& p = c.picture;
        ASSERT_GT(p.width(), 8) << c.state;
        COLORREF middle = p.at(p.width() / 2, p.height() / 2);
        EXPECT_EQ(c.body, middle) << c.state << ": seen " << rgb_text(middle);
        int across = span_of(p, c.body, true), down = span_of(p, c.body, false);
        EXPECT_GE(across * 10, p.width() * 8) << c.state << ": " << across << " of " << p.width();
        EXPECT_NEAR(across, down, 2) << c.state << ": not round";
        EXPECT_NE(c.body, p.at(0, 0)) << c.state << ": the corner is filled";
    }
}

// The Lines view with time stamps: the modem's echo and its OK each on a
// line of their own.
TEST(Screenshots, TheMainWindowShowsADeviceReply)
{
    DeviceClient device;
    ASSERT_TRUE(device.has_port());
    device.set_mode(1, "modem");
    std::vector<std::string> lines;
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(3000));
        command(dialog, IDM_VIEW_LINES);
        command(dialog, IDM_TIME_STAMPS);
        for (const char* typed : {"AT", "ATI"}) {
            SetWindowTextA(command_combo.hwnd, "");
            type_text(typed);
            command(dialog, IDOK);
            pump_messages(600);
        }
        pump_until([&] { return list_lines(dialog).size() >= 4; }, 3000);
        lines = list_lines(dialog);
        redraw(dialog);
        ScreenPicture::of_window(dialog).save("main-window");
    });
    const char* replies[] = {"AT", "OK", "ATI", "OK"};
    ASSERT_EQ(4u, lines.size());
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(replies[i], lines[i].substr(13)) << "line " << i << ": " << lines[i];
        EXPECT_EQ(":.", lines[i].substr(2, 1) + lines[i].substr(8, 1)) << "line " << i;
    }
}

// What a row of the list shows between its first and last pixel unlike the
// row's end: the commonest colour there (what the text is drawn on), how
// far the pixel most unlike it stands, the first pixel's x, the pixels
// unlike it, and whether a line of them runs under the text.
struct RowSeen {
    COLORREF back = 0;
    double contrast = 0;
    int first_x = -1, inked = 0;
    bool underlined = false;
};

RowSeen look_at_row(const ScreenPicture& list, const RECT& row)
{
    RowSeen seen;
    COLORREF fill = list.at(row.right - 3, (row.top + row.bottom) / 2);
    int left = -1, right = -1;
    std::map<COLORREF, int> counts;
    for (int x = row.left; x < row.right - 3; ++x)
        for (int y = row.top; y < row.bottom; ++y)
            if (list.at(x, y) != fill)
                right = x, left = left < 0 ? x : left;
    for (int x = left; left >= 0 && x <= right; ++x)
        for (int y = row.top; y < row.bottom; ++y)
            if (++counts[list.at(x, y)] > counts[seen.back])
                seen.back = list.at(x, y);
    for (int y = row.top; y < row.bottom; ++y)
        for (int x = left, run = 0; left >= 0 && x <= right; ++x) {
            COLORREF c = list.at(x, y);
            seen.contrast = std::max(seen.contrast, contrast_ratio(c, seen.back));
            seen.inked += c != seen.back;
            seen.first_x = c != seen.back && (seen.first_x < 0 || x < seen.first_x) ? x : seen.first_x;
            run = c != seen.back ? run + 1 : 0;
            seen.underlined = seen.underlined || run * 10 >= (right - left + 1) * 9;
        }
    return seen;
}

// The Lines view with the colours a device chose: every SGR colour stands
// out from what it is drawn on, on the white list and on a selected row;
// bold, underline and reverse show; coloured lines begin where plain ones
// do. The last page is the README's picture.
TEST(Screenshots, EverySgrColourReadsOnTheList)
{
    struct Sample {
        const char* sgr;
        const char* text;
        bool selected, same_x;  // same_x: begins where the plain line does
    } samples[] = {
        {"", "M plain", 0, 1},           {"30", "M 30 black", 0, 1},     {"31", "M 31 red", 0, 1},
        {"32", "M 32 green", 0, 1},      {"33", "M 33 yellow", 0, 1},    {"34", "M 34 blue", 0, 1},
        {"35", "M 35 magenta", 0, 1},    {"36", "M 36 cyan", 0, 1},      {"37", "M 37 white", 0, 1},
        {"90", "M 90 grey", 0, 1},       {"91", "M 91 red", 0, 1},       {"92", "M 92 green", 0, 1},
        {"93", "M 93 yellow", 0, 1},     {"94", "M 94 blue", 0, 1},      {"95", "M 95 magenta", 0, 1},
        {"96", "M 96 cyan", 0, 1},       {"97", "M 97 white", 0, 1},     {"1;37", "M 1;37 white", 0, 0},
        {"38;5;15", "M 38;5;15", 0, 1},  {"38;5;231", "M 38;5;231", 0, 1}, {"34", "M 34 selected", 1, 1},
        {"97", "M 97 selected", 1, 1},   {"44", "M 44 on blue", 0, 0},   {"1", "M 1 bold", 0, 0},
        {"", "M 1 bold", 0, 1},          {"4", "M 4 underline", 0, 0},   {"7", "M 7 reverse", 0, 0},
    };
    const int count = sizeof samples / sizeof samples[0], bold = 23, underline = 25, reverse = 26;
    DeviceClient device;
    std::vector<RowSeen> rows(count);
    with_open_port(device, "silent", [&](HWND dialog) {
        command(dialog, IDM_VIEW_LINES);
        std::string bytes;
        for (const Sample& s : samples)
            bytes += std::string("\x1b[") + s.sgr + "m" + s.text + "\x1b[0m\r\n";
        ASSERT_TRUE(device.send_bytes(1, bytes)) << device.last_reply();
        HWND list = GetDlgItem(dialog, IDC_RECEIVED_LIST);
        ASSERT_TRUE(pump_until([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) >= count; }, 5000));
        // Selected and focused, so that no focus frame lies on another row.
        LVITEMA item = {};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        for (int i = -1; i < count; ++i) {
            item.state = i >= 0 && samples[i].selected ? item.stateMask : 0;
            if (i < 0 || item.state)
                SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        }
        SetFocus(list);
        ScreenPicture shown;
        for (int i = 0; i < count; ++i) {
            RECT client, row = {LVIR_BOUNDS, 0, 0, 0};
            GetClientRect(list, &client);
            SendMessageA(list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&row));
            if (i == 0 || row.bottom > client.bottom) {  // the page that begins with this row
                int top = static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0));
                SendMessageA(list, LVM_SCROLL, 0, (i - top) * (row.bottom - row.top));
                redraw(dialog);
                MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&client), 2);
                shown = ScreenPicture::of_area(client);
                row = RECT{LVIR_BOUNDS, 0, 0, 0};
                SendMessageA(list, LVM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&row));
            }
            rows[i] = look_at_row(shown, row);
        }
        ScreenPicture::of_window(dialog).save("coloured-lines");
    });
    for (int i = 0; i < count; ++i) {
        EXPECT_GE(rows[i].contrast, 4.0) << samples[i].text << ": " << rows[i].contrast << " to 1 on "
                                         << rgb_text(rows[i].back);
        EXPECT_TRUE(!samples[i].same_x || rows[i].first_x == rows[0].first_x)
            << samples[i].text << " begins at " << rows[i].first_x << ", plain at " << rows[0].first_x;
    }
    EXPECT_GT(rows[bold].inked * 10, rows[bold + 1].inked * 11) << "bold is not bolder";
    EXPECT_TRUE(rows[underline].underlined && !rows[bold + 1].underlined) << "underline";
    EXPECT_NE(rows[0].back, rows[reverse].back) << "reverse drew on the row's own colour";
}

// The Terminal view: a device's shell prompt in colour, a box drawn with the
// DEC line-drawing characters, and a program's inverted status line.
TEST(Screenshots, TheTerminalViewShowsTheDevicesScreen)
{
    DeviceClient device;
    ASSERT_TRUE(device.has_port());
    device.set_mode(1, "silent");
    std::string screen =
        "\x1b[2J\x1b[H\x1b[1;32mroot@board\x1b[0m:\x1b[1;34m~\x1b[0m# uname -a\r\n"
        "Linux board 6.1.0 #1 SMP armv7l GNU/Linux\r\n"
        "\x1b[1;32mroot@board\x1b[0m:\x1b[1;34m~\x1b[0m# top\r\n"
        "\x1b[5;3H\x1b(0lqqqqqqqqqqqqqqqqqqqqqqqqqqqqk\x1b(B"
        "\x1b[6;3H\x1b(0x\x1b(B  \x1b[33mCPU\x1b[0m  12%  \x1b[31mMEM\x1b[0m  48 MB      \x1b(0x\x1b(B"
        "\x1b[7;3H\x1b(0mqqqqqqqqqqqqqqqqqqqqqqqqqqqqj\x1b(B"
        "\x1b[9;1H\x1b[7m  PID USER      PR  NI    VIRT    RES  S  %CPU  \x1b[0m\r\n"
        "  231 root      20   0    2932   1820  R   3.9\r\n"
        "    1 root      20   0    1640    412  S   0.0\r\n"
        "\x1b[38;5;208mwarning:\x1b[0m sensor 3 \x1b[4mnot calibrated\x1b[0m\r\n"
        "\x1b[1;32mroot@board\x1b[0m:\x1b[1;34m~\x1b[0m# ";
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(3000));
        command(dialog, IDM_VIEW_TERMINAL);
        ASSERT_TRUE(device.send_bytes(1, screen));
        pump_until([&] { return main_dialog.receiver().terminal().emulator().cursor_row() >= 12; }, 5000);
        pump_messages(300);
        redraw(dialog);
        HWND terminal = GetDlgItem(dialog, IDC_TERMINAL);
        ScreenPicture window = ScreenPicture::of_window(dialog);
        window.save("terminal-view");
        ScreenPicture cells = ScreenPicture::of_window(terminal);
        ASSERT_GT(cells.width(), 0);
        // The screen's own dark background, away from any text.
        COLORREF corner = cells.at(cells.width() - 8, cells.height() - 8);
        EXPECT_LT(GetRValue(corner) + GetGValue(corner) + GetBValue(corner), 3 * 40) << "the screen is not dark";
    });
}

// Runs `inspect` on the window that `query` finds once it is up and drawn,
// while the modal loop that shows it runs; `inspect` ends that loop.
void when_window_appears(const WindowQuery& query, const std::function<void(HWND)>& inspect)
{
    when_window_opens(query, [inspect](HWND found) {
        redraw(found);
        pump_messages(200);
        inspect(found);
    });
}

RECT main_rect, box_rect;
ScreenPicture box_picture, beneath_box;

TEST(Screenshots, TheAboutBoxIsAnOvalWithARedRim)
{
    run_main_window([&](HWND dialog) {
        redraw(dialog);
        GetWindowRect(dialog, &main_rect);
        beneath_box = ScreenPicture::of_area(main_rect);
        when_window_appears(WindowQuery{"CMSGCLASS", nullptr, dialog}, [](HWND box) {
            GetWindowRect(box, &box_rect);
            box_picture = ScreenPicture::of_area(box_rect);
            box_picture.save("about-box");
            ScreenPicture::of_area(main_rect).save("about-over-main");
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(box_buttons[0].control_id, 0), 0);
        });
        command(dialog, IDM_ABOUT);
        EXPECT_TRUE(window_was_driven()) << "the About box never came up";
    });
    ASSERT_GT(box_picture.width(), 20);
    int w = box_picture.width(), h = box_picture.height();
    // Outside the ellipse the window beneath shows through.
    POINT corner_in_main = {box_rect.left - main_rect.left, box_rect.top - main_rect.top};
    EXPECT_EQ(beneath_box.at(corner_in_main.x + 1, corner_in_main.y + 1), box_picture.at(1, 1))
        << "top-left corner " << rgb_text(box_picture.at(1, 1));
    // The rim: the first pixels met from the left edge on the middle row are red.
    int y = h / 2;
    int first_red = -1;
    for (int x = 0; x < w / 4 && first_red < 0; ++x)
        if (box_picture.at(x, y) == RGB(255, 0, 0))
            first_red = x;
    EXPECT_GE(first_red, 0) << "no red rim on row " << y;
    EXPECT_LE(first_red, 4);
    // Inside, the box is filled with its light grey.
    EXPECT_EQ(RGB(192, 192, 192), box_picture.at(w / 2, h / 2 - h / 8))
        << "inside " << rgb_text(box_picture.at(w / 2, h / 2 - h / 8));
    // The text (black) and the link (navy) keep clear of the rim: the rim is
    // whole, and none of their pixels inside it (between a row's outermost
    // red pixels; outside them the window beneath shows) lies near it.
    double inset = scale_to_dpi(3, window_dpi(nullptr)) + 2;
    double inner_x = w / 2.0 - inset, inner_y = h / 2.0 - inset;
    int text_pixels = 0;
    std::string touching;
    for (int y = 0; y < h; ++y) {
        int left_red = w, right_red = -1;
        for (int x = 0; x < w; ++x)
            if (box_picture.at(x, y) == RGB(255, 0, 0)) {
                left_red = x < left_red ? x : left_red;
                right_red = x;
            }
        // Text drawn over the rim breaks it.
        if (y > h / 4 && y < h * 3 / 4 && (left_red > w / 4 || right_red < w * 3 / 4) &&
            touching.empty())
            touching = "rim broken on row " + std::to_string(y);
        for (int x = left_red + 1; x < right_red; ++x) {
            COLORREF c = box_picture.at(x, y);
            // Dark: the text and link, smoothed or not, on the light grey.
            if (GetRValue(c) >= 128 || GetGValue(c) >= 128 || GetBValue(c) >= 160)
                continue;
            double dx = x + 0.5 - w / 2.0, dy = y + 0.5 - h / 2.0;
            double inner = dx * dx / (inner_x * inner_x) + dy * dy / (inner_y * inner_y);
            ++text_pixels;
            if (inner > 1 && touching.empty())
                touching = std::to_string(x) + "," + std::to_string(y);
        }
    }
    EXPECT_GT(text_pixels, 100) << "no text seen in the oval";
    EXPECT_EQ("", touching) << "text at the rim, " << w << "x" << h << " box";
}

RECT dialog_rect;
std::string main_cut_off, select_port_cut_off;
UINT main_dpi;

// Each static text, button and group box caption of `parent` whose text, in
// the control's own font, is wider or taller than the control leaves for it:
// "id 1009 "Use uppercase" 80x13 in 70x16", one per line; "" when all fit.
std::string cut_off_captions(HWND parent)
{
    std::ostringstream cut;
    UINT dpi = window_dpi(parent);
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char kind[32], text[128];
        GetClassNameA(c, kind, sizeof kind);
        GetWindowTextA(c, text, sizeof text);
        bool button = lstrcmpiA(kind, "Button") == 0;
        if ((!button && lstrcmpiA(kind, "Static") != 0) || !*text)
            continue;
        std::string shown;  // as drawn: "&x" shows x, "&&" shows &
        for (const char* t = text; *t; ++t)
            if (*t != '&' || *++t)
                shown += *t;
            else
                break;
        LONG_PTR type = GetWindowLongPtrA(c, GWL_STYLE) & BS_TYPEMASK;
        // Room the control itself takes: the push button's edges, the box or
        // circle before the text of a check or radio button, the group
        // box's indent of its caption.
        int used = 0;
        if (button)
            used = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON ? scale_to_dpi(4, dpi)
                   : type == BS_GROUPBOX                           ? scale_to_dpi(12, dpi)
                                                                   : scale_to_dpi(16, dpi);
        HDC dc = GetDC(c);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
        SIZE extent = {};
        GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(c, dc);
        RECT room;
        GetClientRect(c, &room);
        if (extent.cx + used > room.right || extent.cy > room.bottom)
            cut << "id " << GetDlgCtrlID(c) << " \"" << text << "\" " << extent.cx + used << "x"
                << extent.cy << " in " << room.right << "x" << room.bottom << "\n";
    }
    return cut.str();
}

TEST(Screenshots, TheSelectPortDialogSitsCentredOverTheMainWindow)
{
    run_main_window([&](HWND dialog) {
        redraw(dialog);
        GetWindowRect(dialog, &main_rect);
        main_dpi = window_dpi(dialog);
        main_cut_off = cut_off_captions(dialog);
        const WindowQuery select_port_query{"#32770", "Select Port", dialog};
        when_window_appears(select_port_query, [](HWND select_port) {
            GetWindowRect(select_port, &dialog_rect);
            select_port_cut_off = cut_off_captions(select_port);
            ScreenPicture::of_window(select_port).save("select-port");
            ScreenPicture::of_area(main_rect).save("select-port-over-main");
            PostMessageA(select_port, WM_COMMAND, IDCANCEL, 0);
        });
        command(dialog, IDM_PORT_SETUP);
        EXPECT_TRUE(window_was_driven()) << "Select Port never came up";
    });
    int main_centre_x = (main_rect.left + main_rect.right) / 2;
    int main_centre_y = (main_rect.top + main_rect.bottom) / 2;
    int dialog_centre_x = (dialog_rect.left + dialog_rect.right) / 2;
    int dialog_centre_y = (dialog_rect.top + dialog_rect.bottom) / 2;
    EXPECT_NEAR(main_centre_x, dialog_centre_x, 2);
    EXPECT_NEAR(main_centre_y, dialog_centre_y, 2);
    EXPECT_GT(dialog_rect.right - dialog_rect.left, 100);
    const char* expected_dpi = std::getenv("QUORVEX_EXPECTED_DPI");
    if (!expected_dpi)
        ADD_FAILURE() << "QUORVEX_EXPECTED_DPI is not set: run the test through run_on_x.sh";
    else
        EXPECT_EQ(static_cast<UINT>(atoi(expected_dpi)), main_dpi) << "the scale did not apply";
    EXPECT_EQ("", main_cut_off) << "main window at " << main_dpi << " DPI";
    EXPECT_EQ("", select_port_cut_off) << "Select Port at " << main_dpi << " DPI";
}

}  // namespace
