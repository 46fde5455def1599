// The custom-control registry, its window procedure and the connection light.
#include <gtest/gtest.h>
#include <string>
#include "framework/connection_light.h"
#include "resources/resource_ids.h"

namespace {

class RecordingControl final : public CustomControl {
public:
    explicit RecordingControl(int id) : CustomControl(id) {}
    std::string calls;
    void register_class() override { calls += "register;"; }
    void on_create(HWND window) override { hwnd = window; calls += "create;"; }
    void on_paint() override
    {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        calls += "paint;";
    }
};

// Registered objects stay in the registry for the life of the process, so
// the test objects have static storage duration, like the program's own.
RecordingControl older(7301), newer(7301), other(7302);
RecordingControl first_to_register(7311), second_to_register(7312);
RecordingControl dispatched(7321), notifier(7331);
ConnectionLight switched_light(7351);

TEST(CustomControlRegistry, FindsTheNewestObjectOfAnId)
{
    EXPECT_EQ(&newer, find_custom_control(7301));
    EXPECT_EQ(&other, find_custom_control(7302));
    EXPECT_EQ(nullptr, find_custom_control(7399));
}

TEST(CustomControlRegistry, RegisterAllAsksEveryObject)
{
    register_all_custom_classes();
    EXPECT_EQ("register;", first_to_register.calls);
    EXPECT_EQ("register;", second_to_register.calls);
    EXPECT_EQ("register;", older.calls);
}

int parent_notifications = 0;

LRESULT CALLBACK counting_parent_proc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (msg == WM_NOTIFY)
        ++parent_notifications;
    return DefWindowProcA(window, msg, wparam, lparam);
}

class CustomWindows : public testing::Test {
protected:
    static void SetUpTestSuite() { register_custom_class("QuorvexTestCustom"); }
    void SetUp() override
    {
        parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        ShowWindow(parent, SW_SHOWNOACTIVATE);
    }
    void TearDown() override { DestroyWindow(parent); }
    HWND make(const char* class_name, int id, int width, int height)
    {
        return CreateWindowExA(0, class_name, "text", WS_CHILD | WS_VISIBLE, 0, 0, width, height,
                               parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               nullptr, nullptr);
    }
    HWND parent = nullptr;
};

TEST_F(CustomWindows, TheWindowProcedureDispatchesToTheObjectOfTheId)
{
    RecordingControl& control = dispatched;
    control.calls.clear();
    HWND window = make("QuorvexTestCustom", 7321, 20, 20);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(window, control.hwnd);
    UpdateWindow(window);
    EXPECT_EQ("create;paint;", control.calls);
    // Handled messages never reach the default procedure.
    EXPECT_EQ(0, SendMessageA(window, WM_SETCURSOR, 0, 0));
    // Messages outside the table do.
    EXPECT_EQ(4, SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
    DestroyWindow(window);
}

TEST_F(CustomWindows, AWindowWithoutAnObjectIsRunByTheDefaultProcedure)
{
    HWND window = make("QuorvexTestCustom", 7398, 20, 20);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(4, SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
    SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("changed"));
    EXPECT_EQ(7, SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
    DestroyWindow(window);
}

TEST_F(CustomWindows, AClickOnAControlThatIsNotInteractiveNotifiesNobody)
{
    parent_notifications = 0;
    SetWindowLongPtrA(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(counting_parent_proc));
    RecordingControl& control = notifier;
    HWND window = make("QuorvexTestCustom", 7331, 20, 20);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(0, parent_notifications);
    control.interactive = 1;
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(1, parent_notifications);
    EXPECT_EQ(static_cast<UINT>(WM_LBUTTONUP), control.notify_header.code);
    EXPECT_EQ(7331u, control.notify_header.idFrom);
    DestroyWindow(window);
}

TEST_F(CustomWindows, TheLightSwitchesStateAndAsksForARepaintWithoutErasing)
{
    ConnectionLight& light = switched_light;
    light.register_class();
    HWND window = make("SLightClass", 7351, 17, 17);
    ASSERT_NE(nullptr, window);
    UpdateWindow(window);
    EXPECT_EQ(ConnectionLight::closed, light.state);
    struct Step {
        void (ConnectionLight::*operation)();
        int state;
    } steps[] = {
        {&ConnectionLight::set_open, ConnectionLight::open},
        {&ConnectionLight::set_open, ConnectionLight::open},
        {&ConnectionLight::set_failed, ConnectionLight::failed},
        {&ConnectionLight::set_closed, ConnectionLight::closed},
    };
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        (light.*steps[i].operation)();
        EXPECT_EQ(steps[i].state, light.state) << "step " << i;
        RECT update;
        EXPECT_TRUE(GetUpdateRect(window, &update, FALSE)) << "step " << i;
        EXPECT_EQ(17, update.right) << "step " << i;
        UpdateWindow(window);
        EXPECT_FALSE(GetUpdateRect(window, &update, FALSE)) << "step " << i;
    }
    DestroyWindow(window);
}

}  // namespace
