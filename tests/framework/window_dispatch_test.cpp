// The window procedure, the window dispatch table, window creation and
// destruction, and class registration.
#include <gtest/gtest.h>
#include <string>
#include "framework/window_base.h"

namespace {

int test_class_registered = 0;
int adjust_calls = 0;

class RecordingWindow : public WindowBase {
public:
    std::string calls;
    int default_answer = 0;
    int create_answer = 1;

    int register_class() override
    {
        return register_window_kind_class("QuorvexTestWindow", test_class_registered);
    }
    void adjust_window_class(WNDCLASSA&) override { ++adjust_calls; }
    int on_create() override { calls += "create;"; return create_answer; }
    int on_default_message(UINT msg, WPARAM, LPARAM) override
    {
        if (msg == WM_GETTEXTLENGTH || msg == WM_SYSCOMMAND)
            calls += "default;";
        return default_answer;
    }
    void on_end_session(WPARAM, LPARAM) override { calls += "end_session;"; }
    int on_terminate() override { calls += "terminate;"; return 0; }
    void on_destroy() override { calls += "destroy;"; }
    void on_post_destroy() override { calls += "post_destroy;"; }
    void on_sys_command() override { calls += "sys_command;"; }

    int make()
    {
        style = WS_OVERLAPPEDWINDOW;
        return create_window("QuorvexTestWindow", nullptr, nullptr, "Recorded", 0, 0, 200, 100);
    }
};

// A kind that leaves on_create at its default.
class KindWithoutCreate : public WindowBase {
public:
    int register_class() override
    {
        static int registered = 0;
        return register_window_kind_class("QuorvexNoCreate", registered);
    }
};

class WindowDispatch : public testing::Test {
protected:
    void SetUp() override
    {
        RecordingWindow registrar;
        registrar.register_class();
        window.calls.clear();
    }
    void TearDown() override
    {
        if (window.hwnd)
            window.destroy();
    }
    RecordingWindow window;
};

TEST_F(WindowDispatch, ClassIsRegisteredOncePerProcess)
{
    int calls_before = adjust_calls;
    EXPECT_EQ(1, test_class_registered);
    EXPECT_EQ(0, window.register_class());
    EXPECT_EQ(calls_before, adjust_calls);
}

// A second create on an object that has a window creates nothing.
TEST_F(WindowDispatch, CreateWindowAttachesTheObjectBeforeOnCreateOnce)
{
    ASSERT_EQ(1, window.make());
    EXPECT_EQ("create;", window.calls);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&window), GetWindowLongPtrA(window.hwnd, GWLP_USERDATA));
    HWND first = window.hwnd;
    EXPECT_EQ(1, window.make());
    EXPECT_EQ(first, window.hwnd);
    EXPECT_EQ("create;", window.calls);
}

TEST_F(WindowDispatch, OnCreateReturningZeroRefusesTheWindow)
{
    window.create_answer = 0;
    EXPECT_EQ(0, window.make());
    EXPECT_EQ(nullptr, window.hwnd);

    KindWithoutCreate bare;
    ASSERT_EQ(1, bare.register_class());
    bare.style = WS_OVERLAPPEDWINDOW;
    EXPECT_EQ(0, bare.create_window("QuorvexNoCreate", nullptr, nullptr, "", 0, 0, 50, 50));
    EXPECT_EQ(nullptr, bare.hwnd);
}

// Each row: a message, what on_default_message answers, and what the window
// procedure returns and which operations it calls. Unlisted messages take
// the default path, where the system answers unless on_default_message
// claims them; listed ones never reach it.
TEST_F(WindowDispatch, EachMessageReachesItsOperation)
{
    ASSERT_EQ(1, window.make());
    DRAWITEMSTRUCT item = {};
    NMHDR header = {nullptr, 0, 0};  // from no wrapped control
    struct Case {
        const char* name;
        UINT msg;
        WPARAM wparam;
        LPARAM lparam;
        int default_answer;
        LRESULT result;
        const char* calls;
    } cases[] = {
        {"title length, system's answer", WM_GETTEXTLENGTH, 0, 0, 0, 8, "default;"},
        {"title length, claimed", WM_GETTEXTLENGTH, 0, 0, 1, 0, "default;"},
        // Claimed, so that the system does not act on it.
        {"minimize", WM_SYSCOMMAND, SC_MINIMIZE, 0, 1, 0, "sys_command;default;"},
        {"session goes on", WM_ENDSESSION, FALSE, 0, 0, 0, "end_session;"},
        {"session ends", WM_ENDSESSION, TRUE, 0, 0, 0, "end_session;terminate;"},
        {"query end session", WM_QUERYENDSESSION, 0, 0, 0, 1, ""},
        {"draw item", WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item), 0, 1, ""},
        {"notify", WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header), 0, 0, ""},
        {"key to item", WM_VKEYTOITEM, 0, 0, 0, -1, ""},
    };
    for (const Case& c : cases) {
        window.calls.clear();
        window.default_answer = c.default_answer;
        EXPECT_EQ(c.result, SendMessageA(window.hwnd, c.msg, c.wparam, c.lparam)) << c.name;
        EXPECT_EQ(c.calls, window.calls) << c.name;
    }
    EXPECT_FALSE(IsIconic(window.hwnd));
}

TEST_F(WindowDispatch, DestroyRunsTheDestroyOperationsInOrderAndForgetsTheWindow)
{
    ASSERT_EQ(1, window.make());
    window.calls.clear();
    EXPECT_EQ(1, window.destroy());
    EXPECT_EQ(nullptr, window.hwnd);
    EXPECT_EQ("destroy;terminate;post_destroy;", window.calls);
    // The same object can make a window again.
    EXPECT_EQ(1, window.make());
}

TEST_F(WindowDispatch, CloseDestroysTheWindowByDefault)
{
    ASSERT_EQ(1, window.make());
    HWND made = window.hwnd;
    SendMessageA(made, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(made));
    EXPECT_EQ(nullptr, window.hwnd);
}

TEST_F(WindowDispatch, DestroyOfNoWindowFailsAndKeepsNothing)
{
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, window.destroy());
    DWORD error = GetLastError();
    EXPECT_TRUE(error != 0xdeadbeef && error != ERROR_SUCCESS)
        << "the system's reason for the failure is kept for the caller, got " << error;
    EXPECT_EQ(nullptr, window.hwnd);
    EXPECT_EQ("", window.calls);
}

}  // namespace
