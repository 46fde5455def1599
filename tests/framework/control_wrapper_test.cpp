// Child control wrappers: accelerators, automatic ids, attach-or-create,
// notifications and subclassing.
#include <gtest/gtest.h>
#include <string>
#include "framework/button_control.h"
#include "framework/combo_box_control.h"
#include "framework/dialog_base.h"
#include "test_dialog_ids.h"

namespace {

TEST(ButtonAccelerator, IsTheCharacterAfterTheFirstAmpersand)
{
    struct Case {
        const char* caption;
        char expected;
    } cases[] = {
        {"&Cancel", 'C'}, {"&Ok", 'O'}, {"Save &As", 'A'}, {"Plain", 0},
        {"End&", 0}, {"&&Both", '&'}, {"", 0},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].expected, accelerator_of(cases[i].caption))
            << "case " << i << ": caption \"" << cases[i].caption << "\"";
}

class ParentWindow : public testing::Test {
protected:
    void SetUp() override
    {
        parent = CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, parent);
    }
    void TearDown() override { DestroyWindow(parent); }
    HWND parent = nullptr;
};

TEST_F(ParentWindow, AutomaticIdsCountUpAndGivenIdsLeaveTheCounterAlone)
{
    ButtonControl a(0), b(0), c(0), given(0);
    int first = next_control_id;
    ASSERT_EQ(1, a.create(parent, 0, "&A", 0, 0, 10, 10));
    ASSERT_EQ(1, b.create(parent, 0, "B", 0, 0, 10, 10));
    ASSERT_EQ(1, given.create(parent, 555, "given", 0, 0, 10, 10));
    ASSERT_EQ(1, c.create(parent, 0, "C", 0, 0, 10, 10));
    EXPECT_EQ(first, a.control_id);
    EXPECT_EQ(first + 1, b.control_id);
    EXPECT_EQ(first + 2, c.control_id);
    EXPECT_EQ(555, given.control_id);
    EXPECT_EQ(first + 3, next_control_id);
    EXPECT_EQ(first + 2, GetDlgCtrlID(c.hwnd));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&c), GetWindowLongPtrA(c.hwnd, GWLP_USERDATA));
    EXPECT_EQ('A', a.accelerator);
}

TEST_F(ParentWindow, CreatedButtonsTakeTheWrappersStyle)
{
    ButtonControl owner_drawn(0);
    owner_drawn.style = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
    ASSERT_EQ(1, owner_drawn.create(parent, 0, "", 5, 6, 40, 20));
    EXPECT_EQ(static_cast<LONG_PTR>(BS_OWNERDRAW),
              GetWindowLongPtrA(owner_drawn.hwnd, GWL_STYLE) & BS_TYPEMASK);
}

TEST_F(ParentWindow, ACreateThatFailsLeavesNoWindow)
{
    ButtonControl orphan(0);
    EXPECT_EQ(0, orphan.create(reinterpret_cast<HWND>(0x1234), 0, "x", 0, 0, 1, 1));
    EXPECT_EQ(nullptr, orphan.hwnd);
}

TEST_F(ParentWindow, SubclassKeepsTheFirstReplacedProcedure)
{
    ButtonControl one(0), two(0);
    ASSERT_EQ(1, one.create(parent, 0, "one", 0, 0, 10, 10));
    ASSERT_EQ(1, two.create(parent, 0, "two", 0, 0, 10, 10));
    WNDPROC button_proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(one.hwnd, GWLP_WNDPROC));
    first_previous_proc = nullptr;
    EXPECT_EQ(button_proc, one.subclass(nullptr));
    EXPECT_EQ(button_proc, two.subclass(nullptr));
    EXPECT_EQ(button_proc, first_previous_proc);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(control_subclass_proc),
              GetWindowLongPtrA(two.hwnd, GWLP_WNDPROC));
    // The base wrapper answers every message of a subclassed control with 0.
    EXPECT_EQ(0, SendMessageA(two.hwnd, WM_GETTEXTLENGTH, 0, 0));
    // A control that no longer exists is not touched.
    ButtonControl gone(0);
    EXPECT_EQ(nullptr, gone.subclass(nullptr));
    first_previous_proc = nullptr;
}

// A dialog that lets a test body run while the template's controls exist.
class HostDialog : public DialogBase {
public:
    void (*body)(HostDialog&) = nullptr;
    bool body_finished = false;
    int commands = 0;
    int on_init_dialog() override
    {
        body(*this);
        body_finished = true;
        EndDialog(hwnd, 0);
        return 1;
    }
    void on_command(WPARAM, LPARAM) override { ++commands; }
};

// Runs `body` in the test dialog; the test fails, naming run_in_dialog, when
// the dialog could not be created or the body did not run to its end.
void run_in_dialog(void (*body)(HostDialog&))
{
    HostDialog dialog;
    dialog.body = body;
    INT_PTR result = dialog.run_modal(nullptr, IDD_TEST_DIALOG);
    EXPECT_NE(-1, result) << "run_in_dialog: the test dialog could not be created";
    EXPECT_TRUE(dialog.body_finished) << "run_in_dialog: the body did not run to its end";
}

TEST(ControlAttach, AdoptsTheTemplatesControlAndIgnoresTheGivenLook)
{
    run_in_dialog([](HostDialog& d) {
        ButtonControl wrapper(0);
        wrapper.style = WS_CHILD | BS_OWNERDRAW;
        HWND existing = GetDlgItem(d.hwnd, IDC_TEST_BUTTON);
        ASSERT_EQ(1, wrapper.create(d.hwnd, IDC_TEST_BUTTON, "Other", 1, 2, 3, 4));
        EXPECT_EQ(existing, wrapper.hwnd);
        char text[32];
        GetWindowTextA(existing, text, sizeof text);
        EXPECT_STREQ("&Press", text);
        EXPECT_EQ(0, GetWindowLongPtrA(existing, GWL_STYLE) & BS_OWNERDRAW);
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(&wrapper), GetWindowLongPtrA(existing, GWLP_USERDATA));
        // The button's click is not consumed without a callback.
        SendMessageA(existing, BM_CLICK, 0, 0);
        EXPECT_EQ(1, d.commands);
        SetWindowLongPtrA(existing, GWLP_USERDATA, 0);
    });
}

TEST(ControlAttach, ComboSelectionChangeIsRecordedWithoutACallback)
{
    run_in_dialog([](HostDialog& d) {
        ComboBoxControl combo;
        ASSERT_EQ(1, combo.create(d.hwnd, IDC_TEST_COMBO, "", 0, 0, 0, 0));
        SendMessageA(combo.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("zero"));
        SendMessageA(combo.hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
        SendMessageA(combo.hwnd, CB_SETCURSEL, 1, 0);
        combo.last_selection = -5;
        EXPECT_EQ(0, combo.on_command(CBN_SELCHANGE, IDC_TEST_COMBO));
        EXPECT_EQ(1, combo.last_selection);
        EXPECT_EQ(0, combo.on_command(CBN_DROPDOWN, IDC_TEST_COMBO));
        SetWindowLongPtrA(combo.hwnd, GWLP_USERDATA, 0);
    });
}

// What the message box showed: its caption, then the text of each child.
std::string message_box_seen;

BOOL CALLBACK add_child_text(HWND child, LPARAM)
{
    char text[128] = {};
    GetWindowTextA(child, text, sizeof text);
    message_box_seen += std::string("|") + text;
    return TRUE;
}

LRESULT CALLBACK close_message_box_hook(int code, WPARAM wparam, LPARAM)
{
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wparam);
        char caption[64] = {};
        GetWindowTextA(box, caption, sizeof caption);
        message_box_seen += caption;
        EnumChildWindows(box, add_child_text, 0);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return 0;
}

TEST(ControlBaseDefault, CreateOfAKindWithoutOneFails)
{
    // A kind without a create of its own shows "Missing Create" and fails.
    struct NoCreate : WindowObject {} object;
    // The message box would wait for a click; a hook reads it and closes it.
    message_box_seen.clear();
    HHOOK hook = SetWindowsHookExA(WH_CBT, close_message_box_hook, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    EXPECT_EQ(0, object.create(nullptr, 1, "", 0, 0, 1, 1));
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(0u, message_box_seen.find("App Error|")) << message_box_seen;
    EXPECT_NE(std::string::npos, message_box_seen.find("|Missing Create")) << message_box_seen;
}

}  // namespace
