// The oval message box, driven from inside its own wait: its size and shape,
// the keys and clicks that end it, the link line, the owner while it is up,
// and the ways the wait ends without a choice.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include "app/program_objects.h"
#include "framework/program_instance.h"
#include "msgbox/web_links.h"
#include "resources/resource_ids.h"
#include "tests/msgbox/box_driver.h"
#include "tests/support/test_support.h"

namespace {

// The next automatic control id when the process started, before any test
// made a control.
const int first_id_given_out = next_control_id;

struct DisplayFont {
    int line_height = 0;
    int max_char_width = 0;
};

// The box's text font: bold, 10 points at the display's DPI, dialog face.
HDC display_with_box_font()
{
    HDC info = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
    LOGFONTA look = {};
    look.lfHeight = -MulDiv(10, GetDeviceCaps(info, LOGPIXELSY), 72);
    look.lfWeight = FW_BOLD;
    lstrcpyA(look.lfFaceName, "MS Shell Dlg 2");
    // Stays selected until the DC is deleted; one font per measurement.
    SelectObject(info, CreateFontIndirectA(&look));
    return info;
}

DisplayFont display_font()
{
    DisplayFont font;
    HDC info = display_with_box_font();
    TEXTMETRICA metrics;
    if (info && GetTextMetricsA(info, &metrics)) {
        font.line_height = metrics.tmHeight + metrics.tmExternalLeading;
        font.max_char_width = metrics.tmMaxCharWidth;
    }
    if (info)
        DeleteDC(info);
    return font;
}

int display_text_width(const char* text)
{
    HDC info = display_with_box_font();
    SIZE extent = {};
    if (info) {
        GetTextExtentPoint32A(info, text, lstrlenA(text), &extent);
        DeleteDC(info);
    }
    return extent.cx;
}

SIZE window_size(HWND window)
{
    RECT frame;
    GetWindowRect(window, &frame);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

INT_PTR CALLBACK plain_dialog(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

void add_menu_ids(HMENU menu, std::set<int>& ids)
{
    for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
        if (HMENU submenu = GetSubMenu(menu, i))
            add_menu_ids(submenu, ids);
        else if (GetMenuItemID(menu, i) != 0 && GetMenuItemID(menu, i) != static_cast<UINT>(-1))
            ids.insert(static_cast<int>(GetMenuItemID(menu, i)));
    }
}

// Every id the program's own windows use: the commands of its menu, the
// controls of its two dialog templates, and the status bar it adds.
std::set<int> program_ids()
{
    prepare_program_classes();
    std::set<int> ids = {IDC_STATUS_BAR};
    if (HMENU menu = LoadMenuA(program_instance, MAKEINTRESOURCEA(IDM_MAIN))) {
        add_menu_ids(menu, ids);
        DestroyMenu(menu);
    }
    for (int template_id : {IDD_MAIN, IDD_SELECT_PORT}) {
        HWND dialog = CreateDialogParamA(program_instance, MAKEINTRESOURCEA(template_id),
                                         nullptr, plain_dialog, 0);
        EXPECT_NE(nullptr, dialog) << "template " << template_id;
        for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            ids.insert(GetDlgCtrlID(c));
        if (dialog)
            DestroyWindow(dialog);
    }
    return ids;
}

// The box's "&Ok" button.
HWND ok_button() { return box_buttons[0].hwnd; }

class OvalBox : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, owner.hwnd);
        font = display_font();
        ASSERT_GT(font.line_height, 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(nullptr, about_box.hwnd) << "the box is still up";
        EXPECT_EQ(nullptr, FindWindowA("CMSGCLASS", nullptr)) << "a box window is left";
        EXPECT_TRUE(IsWindowEnabled(owner.hwnd)) << "the owner stays disabled";
    }
    BoxArguments about(const char* text = "Quorvex\nVersion", const char* link = MAKER_HOST)
    {
        return BoxArguments{owner.hwnd, text, link, 0, IDI_PROGRAM};
    }
    OwnerWindow owner;
    DisplayFont font;
};

TEST_F(OvalBox, SizeFollowsTheTextTheLinkAndTheIcon)
{
    const char* long_link = "www.a-rather-long-host-name-for-a-link.example";
    struct Case {
        const char* text;
        const char* link;
        int icon_id;
        int lines;
        const char* widest;  // what sets the width
    } cases[] = {
        {"Quorvex\nVersion 1.1", MAKER_HOST, IDI_PROGRAM, 2, "Version 1.1"},
        {"Quorvex\nVersion 1.1\n", "", IDI_PROGRAM, 2, "Version 1.1"},
        {"", MAKER_HOST, IDI_PROGRAM, 0, ""},
        {"wide line\n\nb", "", IDI_PROGRAM, 3, "wide line"},
        // No icon: the link line's width counts too.
        {"short", long_link, 0, 1, long_link},
        {"short", long_link, IDI_PROGRAM, 1, "short"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        int widest = display_text_width(c.widest);
        SIZE seen = {};
        int lines_seen = -1;
        int result = show_driven(about_box, BoxArguments{owner.hwnd, c.text, c.link, 0, c.icon_id},
                                 [&](HWND box, int) {
                                     seen = window_size(box);
                                     lines_seen = about_box.line_count;
                                     click_window(ok_button());
                                 });
        EXPECT_EQ(1, result) << "case " << i;
        int expected_width = widest + 4 * font.max_char_width + 1;
        int expected_height = (c.lines + (c.link[0] ? 10 : 8)) * font.line_height + 1;
        EXPECT_EQ(c.lines, lines_seen) << "case " << i;
        EXPECT_EQ(expected_width, seen.cx) << "case " << i << ": text \"" << c.text << "\"";
        EXPECT_EQ(expected_height, seen.cy) << "case " << i << ": text \"" << c.text << "\"";
    }
}

TEST_F(OvalBox, IsAnEllipseCentredOverTheOwner)
{
    RECT owner_frame;
    GetWindowRect(owner.hwnd, &owner_frame);
    RECT box_frame = {};
    bool corners_outside = false, centre_inside = false, edges_inside = false;
    int region_kind = ERROR;
    int result = show_driven(about_box, about(), [&](HWND box, int) {
        GetWindowRect(box, &box_frame);
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        region_kind = GetWindowRgn(box, region);
        int w = box_frame.right - box_frame.left, h = box_frame.bottom - box_frame.top;
        corners_outside = !PtInRegion(region, 0, 0) && !PtInRegion(region, w - 1, 0) &&
                          !PtInRegion(region, 0, h - 1) && !PtInRegion(region, w - 1, h - 1);
        centre_inside = PtInRegion(region, w / 2, h / 2) != 0;
        edges_inside = PtInRegion(region, w / 2, 2) && PtInRegion(region, 2, h / 2) &&
                       PtInRegion(region, w / 2, h - 3) && PtInRegion(region, w - 3, h / 2);
        DeleteObject(region);
        click_window(ok_button());
    });
    EXPECT_EQ(1, result);
    EXPECT_TRUE(region_kind == COMPLEXREGION || region_kind == SIMPLEREGION) << region_kind;
    EXPECT_TRUE(corners_outside);
    EXPECT_TRUE(centre_inside);
    EXPECT_TRUE(edges_inside);
    LONG owner_mid_x = (owner_frame.left + owner_frame.right) / 2;
    LONG owner_mid_y = (owner_frame.top + owner_frame.bottom) / 2;
    LONG box_mid_x = (box_frame.left + box_frame.right) / 2;
    LONG box_mid_y = (box_frame.top + box_frame.bottom) / 2;
    EXPECT_LE(labs(owner_mid_x - box_mid_x), 1) << owner_mid_x << " vs " << box_mid_x;
    EXPECT_LE(labs(owner_mid_y - box_mid_y), 1) << owner_mid_y << " vs " << box_mid_y;
}

TEST_F(OvalBox, EachShowingMakesNewControlsWithoutRegisteringAgain)
{
    int ok_ids[2] = {}, link_ids[2] = {}, window_ids[2] = {};
    for (int showing = 0; showing < 2; ++showing) {
        bool looked = false;
        int result = show_driven(about_box, about(), [&](HWND, int tick) {
            if ((!about_box.link_created && tick < 100) || looked)
                return;
            looked = true;
            ok_ids[showing] = box_buttons[0].control_id;
            link_ids[showing] = about_box.link_control.control_id;
            window_ids[showing] = GetDlgCtrlID(ok_button());
            click_window(ok_button());
        });
        EXPECT_EQ(1, result) << "showing " << showing;
    }
    EXPECT_EQ(ok_ids[0], window_ids[0]);
    EXPECT_EQ(ok_ids[1], window_ids[1]);
    // No id given out since the first may be a dialog command (IDOK..
    // IDCONTINUE) or one that the program's own controls and menus use.
    const std::set<int> taken = program_ids();
    ASSERT_GT(taken.size(), 20u) << "the program's menu and templates were not read";
    EXPECT_GT(first_id_given_out, IDCONTINUE) << "the first id is a dialog command";
    for (int given = first_id_given_out; given <= link_ids[1]; ++given)
        EXPECT_EQ(0u, taken.count(given)) << "id " << given << " is taken by the program";
    EXPECT_GT(ok_ids[1], link_ids[0]);
    EXPECT_GT(link_ids[1], ok_ids[1]);

    // Another box object finds the class registered and does not register it.
    struct CountingBox : OvalMessageBox {
        int adjusted = 0;
        void adjust_window_class(WNDCLASSA&) override { ++adjusted; }
    } second;
    EXPECT_EQ(0, second.register_class());
    EXPECT_EQ(0, second.adjusted);
    WNDCLASSA registered;
    EXPECT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "CMSGCLASS", &registered));
}

// What the user does at the first tick, and whether that ends the box with
// Ok's result; a box still up at the third tick keeps the focus on its one
// button and is ended with Enter. Styles whose default button lies past the
// one button start on Ok all the same.
struct InputCase {
    const char* name;
    std::function<void()> act;
    bool ends;
    UINT style;
};

TEST_F(OvalBox, EnterOShiftOSpaceAndAClickChooseOkAndNoOtherKeyEndsIt)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    InputCase cases[] = {
        {"Enter", [] { press_key(VK_RETURN); }, true, 0},
        {"O", [] { press_key('O'); }, true, 0},
        {"Shift+O", [&] {
             BYTE shifted[256];
             memcpy(shifted, keys, sizeof shifted);
             shifted[VK_SHIFT] = 0x80;
             SetKeyboardState(shifted);
             key_down(VK_SHIFT);
             press_key('O');
             key_up(VK_SHIFT);
         }, true, 0},
        {"space", [] { press_key(VK_SPACE); }, true, 0},
        {"click", [] { click_window(ok_button()); }, true, 0},
        {"Escape, X, F1", [] {
             press_key(VK_ESCAPE);
             press_key('X');
             press_key(VK_F1);
         }, false, 0},
        {"Tab", [] { press_key(VK_TAB); }, false, 0},
        {"Right", [] { press_key(VK_RIGHT); }, false, 0},
        {"Left", [] { press_key(VK_LEFT); }, false, 0},
        {"Enter, second button the default", [] { press_key(VK_RETURN); }, true, 0x100},
        {"Enter, third button the default", [] { press_key(VK_RETURN); }, true, 0x200},
    };
    for (const InputCase& c : cases) {
        HWND focus = nullptr, focus_later = nullptr;
        int button_later = -1;
        bool still_up = false;
        int result = show_driven(
            about_box, BoxArguments{owner.hwnd, "text", MAKER_HOST, c.style, IDI_PROGRAM},
            [&](HWND box, int tick) {
                if (tick == 1) {
                    focus = GetFocus();
                    c.act();
                }
                if (tick == 3) {
                    still_up = IsWindow(box) && about_box.running == 1 && about_box.result == 0;
                    focus_later = GetFocus();
                    button_later = current_box_button;
                    press_key(VK_RETURN);
                }
            });
        SetKeyboardState(keys);
        EXPECT_EQ(ok_button(), focus) << c.name << ": the first focus";
        EXPECT_EQ(1, result) << c.name;
        EXPECT_EQ(!c.ends, still_up) << c.name << (c.ends ? ": the box stayed up" : ": the box ended");
        if (!c.ends) {
            EXPECT_EQ(ok_button(), focus_later) << c.name << ": the focus left the one button";
            EXPECT_EQ(0, button_later) << c.name;
        }
    }
}

TEST_F(OvalBox, SystemIconsAndNoIconAreShown)
{
    struct Case {
        UINT style;
        int icon_id;
        bool has_icon;
    } cases[] = {
        {0x10, 0, true}, {0x20, 0, true}, {0x30, 0, true}, {0x40, 0, true},
        {0x00, IDI_PROGRAM, true}, {0x50, IDI_PROGRAM, true}, {0x00, 0, false},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        HICON seen = nullptr;
        int result = show_driven(about_box, BoxArguments{owner.hwnd, "t", "", c.style, c.icon_id},
                                 [&](HWND, int) {
                                     seen = about_box.icon;
                                     press_key(VK_RETURN);
                                 });
        EXPECT_EQ(1, result) << "case " << i;
        EXPECT_EQ(c.has_icon, seen != nullptr) << "case " << i << ": style " << std::hex
                                               << c.style << std::dec << ", icon " << c.icon_id;
    }
}

TEST_F(OvalBox, LinkClickOpensTheLinkAndEndsTheBox)
{
    clear_opened_log();
    bool clicked = false;
    int result = show_driven(about_box, about(), [&](HWND, int tick) {
        if ((about_box.link_created || tick >= 100) && !clicked) {
            click_window(about_box.link_control.hwnd);
            clicked = true;
        }
    });
    EXPECT_EQ(1, result);
    ASSERT_TRUE(wait_for_opened(1, 10000)) << "nothing was opened";
    std::string log = opened_log();
    EXPECT_NE(std::string::npos, log.find("http://" MAKER_HOST)) << log;
    clear_opened_log();
}

// While the box is up its owner is disabled, and a second showing returns
// at once, leaving the first box up.
TEST_F(OvalBox, WhileUpTheOwnerIsDisabledAndASecondShowingReturnsAtOnce)
{
    int nested = -1;
    bool enabled_while_up = true;
    int result = show_driven(about_box, about(), [&](HWND box, int tick) {
        if (tick == 1) {
            enabled_while_up = IsWindowEnabled(owner.hwnd) != 0;
            nested = about_box.show(owner.hwnd, "again", "", 0, 0, 0, 0, 0);
            EXPECT_EQ(box, about_box.hwnd);
            press_key(VK_RETURN);
        }
    });
    EXPECT_EQ(0, nested);
    EXPECT_EQ(1, result);
    EXPECT_FALSE(enabled_while_up);
}

// WM_QUIT comes last: it stays queued for the caller's own loop.
TEST_F(OvalBox, CloseALostOwnerAndQuitEndTheWaitWithZero)
{
    OwnerWindow doomed;
    struct Case {
        const char* name;
        HWND owner;
        std::function<void(HWND box)> act;
    } cases[] = {
        {"system close", owner.hwnd,
         [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"owner destroyed", doomed.hwnd, [&](HWND) { DestroyWindow(doomed.hwnd); }},
        {"WM_QUIT", owner.hwnd, [](HWND) { PostQuitMessage(7); }},
    };
    for (const Case& c : cases) {
        int result = show_driven(about_box, BoxArguments{c.owner, "t", "", 0, IDI_PROGRAM},
                                 [&](HWND box, int tick) {
                                     if (tick == 2)
                                         c.act(box);
                                 });
        EXPECT_EQ(0, result) << c.name;
        EXPECT_LT(driven_ticks, 10) << c.name << ": the wait went on";
    }
    doomed.hwnd = nullptr;
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT was eaten";
    EXPECT_EQ(7u, msg.wParam);
}

TEST_F(OvalBox, ABoxThatCannotBeCreatedReturnsAtOnce)
{
    // A destroyed owner can't own a window.
    HWND gone = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(0, about_box.show(gone, "text", "", 0, IDI_PROGRAM, 0, 0, 0));
    EXPECT_EQ(nullptr, about_box.hwnd);
}

bool caption_grabbed = false;

LRESULT CALLBACK watch_for_caption_grab(int code, WPARAM wparam, LPARAM lparam)
{
    auto* message = reinterpret_cast<CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && message->message == WM_NCLBUTTONDOWN &&
        message->wParam == HTCAPTION && message->hwnd == about_box.hwnd)
        caption_grabbed = true;
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

TEST_F(OvalBox, PressOnTheSurfaceStartsAMove)
{
    caption_grabbed = false;
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, watch_for_caption_grab, nullptr,
                                   GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    int result = show_driven(about_box, about(), [&](HWND box, int tick) {
        if (tick == 1)
            PostMessageA(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(about_box.oval_width / 2, 12));
        if (tick == 2)
            PostMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(about_box.oval_width / 2, 12));
        if (tick == 4)
            press_key(VK_RETURN);
    });
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(caption_grabbed);
    EXPECT_EQ(1, result);
}

// CPU time of this process, in 100 ns units.
ULONGLONG process_cpu_time()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return k.QuadPart + u.QuadPart;
}

TEST_F(OvalBox, WaitSleepsButTheOwnersTimerKeepsFiring)
{
    SetTimer(owner.hwnd, 1, 50, nullptr);
    OwnerWindow::timer_ticks = 0;
    int ticks_while_up = 0;
    ULONGLONG cpu_before = process_cpu_time();
    DWORD wall_before = GetTickCount();
    // Twenty ticks of 50 ms: about a second with the box up.
    int result = show_driven(about_box, about(), [&](HWND, int tick) {
        if (tick == 20) {
            ticks_while_up = OwnerWindow::timer_ticks;
            press_key(VK_RETURN);
        }
    }, 150, 50);
    DWORD wall_ms = GetTickCount() - wall_before;
    ULONGLONG cpu_ms = (process_cpu_time() - cpu_before) / 10000;
    KillTimer(owner.hwnd, 1);
    EXPECT_EQ(1, result);
    EXPECT_GE(ticks_while_up, 5) << "the owner's timer stopped while the box was up";
    // A loose ceiling: a busy wait would take the whole core.
    EXPECT_LT(cpu_ms * 100, wall_ms * 20ULL) << cpu_ms << " ms CPU in " << wall_ms << " ms";
    printf("box up %lu ms, CPU %llu ms\n", wall_ms, cpu_ms);
}

}  // namespace
