// The dialog procedure and the dialog dispatch table, driven with real
// messages through a real modal dialog.
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include "framework/button_control.h"
#include "framework/dialog_base.h"
#include "test_dialog_ids.h"
#include "tests/support/test_support.h"

namespace {

// Records the operations that the dispatcher calls, and runs the test body
// from WM_INITDIALOG, while the dialog is up.
class RecordingDialog : public DialogBase {
public:
    std::function<void(RecordingDialog&)> body;
    std::string calls;
    LRESULT notify_answer = 0;
    WPARAM command_wparam = 0;
    LPARAM command_lparam = 0;

    bool body_finished = false;

    int on_init_dialog() override
    {
        if (body)
            body(*this);
        body_finished = true;
        EndDialog(hwnd, 7);
        return 1;
    }
    void on_command(WPARAM wparam, LPARAM lparam) override
    {
        calls += "command;";
        command_wparam = wparam;
        command_lparam = lparam;
    }
    LRESULT on_notify(WPARAM, LPARAM) override
    {
        calls += "notify;";
        return notify_answer;
    }
    void on_draw_item(WPARAM, LPARAM) override { calls += "draw_item;"; }
    void on_timer(WPARAM id) override { calls += "timer " + std::to_string(id) + ";"; }
};

// A wrapped button whose WM_COMMAND answer the test chooses.
class AnsweringButton : public ButtonControl {
public:
    AnsweringButton() : ButtonControl(0) {}
    int answer = 0;
    int seen_notification = -1;
    LRESULT notify_answer = 0;
    int on_command(int notification, int) override
    {
        seen_notification = notification;
        return answer;
    }
    LRESULT on_notify(NMHDR*) override { return notify_answer; }
    void on_draw_item(DRAWITEMSTRUCT*) override { seen_notification = 1000; }
};

// Runs the test dialog with its body; the test fails, naming run, when the
// dialog could not be created or the body did not run to its end.
INT_PTR run(RecordingDialog& dialog)
{
    dialog.body_finished = false;
    INT_PTR result = dialog.run_modal(nullptr, IDD_TEST_DIALOG);
    EXPECT_NE(-1, result) << "run: the test dialog could not be created";
    EXPECT_TRUE(dialog.body_finished) << "run: the body did not run to its end";
    return result;
}

LONG_PTR message_result(HWND dialog)
{
    return GetWindowLongPtrA(dialog, DWLP_MSGRESULT);
}

TEST(DialogDispatch, RunModalAttachesTheObjectAndReturnsTheEndDialogValue)
{
    RecordingDialog dialog;
    HWND seen = nullptr;
    LONG_PTR slot = 0;
    dialog.body = [&](RecordingDialog& d) {
        seen = d.hwnd;
        slot = GetWindowLongPtrA(d.hwnd, DWLP_USER);
    };
    EXPECT_EQ(7, run(dialog));
    EXPECT_NE(nullptr, seen);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&dialog), slot);
}

TEST(DialogDispatch, RunModalOfAMissingTemplateFails)
{
    RecordingDialog dialog;
    EXPECT_EQ(-1, dialog.run_modal(nullptr, 4242));
}

TEST(DialogDispatch, NotifyAnswersTrueWithTheHandlersValueInMsgResult)
{
    RecordingDialog dialog;
    AnsweringButton wrapped;
    dialog.body = [&](RecordingDialog& d) {
        HWND plain = GetDlgItem(d.hwnd, IDC_TEST_PLAIN);
        NMHDR header = {plain, IDC_TEST_PLAIN, 123};
        d.notify_answer = 55;
        EXPECT_EQ(TRUE, base_dialog_proc(d.hwnd, WM_NOTIFY, IDC_TEST_PLAIN,
                                         reinterpret_cast<LPARAM>(&header)));
        EXPECT_EQ(55, message_result(d.hwnd));
        EXPECT_EQ("notify;", d.calls);

        // From a wrapped control the wrapper answers, and the dialog is not asked.
        ASSERT_EQ(1, wrapped.create(d.hwnd, IDC_TEST_BUTTON, "", 0, 0, 0, 0));
        wrapped.notify_answer = 77;
        header.hwndFrom = wrapped.hwnd;
        EXPECT_EQ(TRUE, base_dialog_proc(d.hwnd, WM_NOTIFY, IDC_TEST_BUTTON,
                                         reinterpret_cast<LPARAM>(&header)));
        EXPECT_EQ(77, message_result(d.hwnd));
        EXPECT_EQ("notify;", d.calls);
    };
    run(dialog);
}

TEST(DialogDispatch, DrawItemAnswersTrueWithMsgResultZero)
{
    RecordingDialog dialog;
    AnsweringButton wrapped;
    dialog.body = [&](RecordingDialog& d) {
        d.result = 99;
        DRAWITEMSTRUCT item = {};
        item.hwndItem = GetDlgItem(d.hwnd, IDC_TEST_PLAIN);
        EXPECT_EQ(TRUE, base_dialog_proc(d.hwnd, WM_DRAWITEM, IDC_TEST_PLAIN,
                                         reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(0, message_result(d.hwnd));
        EXPECT_EQ("draw_item;", d.calls);

        ASSERT_EQ(1, wrapped.create(d.hwnd, IDC_TEST_BUTTON, "", 0, 0, 0, 0));
        item.hwndItem = wrapped.hwnd;
        d.result = 5;
        EXPECT_EQ(TRUE, base_dialog_proc(d.hwnd, WM_DRAWITEM, IDC_TEST_BUTTON,
                                         reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(1000, wrapped.seen_notification);
        EXPECT_EQ(0, message_result(d.hwnd));
        EXPECT_EQ("draw_item;", d.calls);
    };
    run(dialog);
}

// Windows reads the answer from DWLP_MSGRESULT: any dialog that is up lets
// shutdown and sign-out go on, whatever an earlier message left there.
TEST(DialogDispatch, QueryEndSessionLetsTheSessionEnd)
{
    const LONG_PTR left_before[] = {0, 31};
    for (LONG_PTR before : left_before) {
        RecordingDialog dialog;
        dialog.body = [&](RecordingDialog& d) {
            d.result = before;
            EXPECT_EQ(TRUE, SendMessageA(d.hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF))
                << "result left at " << before;
            EXPECT_EQ(TRUE, message_result(d.hwnd)) << "result left at " << before;
        };
        run(dialog);
    }
}

TEST(DialogDispatch, UnhandledMessagesLeaveMsgResultAlone)
{
    RecordingDialog dialog;
    dialog.body = [&](RecordingDialog& d) {
        SetWindowLongPtrA(d.hwnd, DWLP_MSGRESULT, 1234);
        d.result = 8;
        EXPECT_EQ(0, base_dialog_proc(d.hwnd, WM_TIMER, 3, 0));
        EXPECT_EQ(0, base_dialog_proc(d.hwnd, WM_USER + 10, 0, 0));
        EXPECT_EQ(1234, message_result(d.hwnd));
        EXPECT_EQ("timer 3;", d.calls);
        // Any nonzero answer counts as handled, -1 included.
        EXPECT_EQ(-1, base_dialog_proc(d.hwnd, WM_VKEYTOITEM, 0, 0));
        EXPECT_EQ(8, message_result(d.hwnd));
    };
    run(dialog);
}

TEST(DialogDispatch, MessagesBeforeInitDialogReachNoObject)
{
    // A window whose DWLP_USER slot is still empty is answered FALSE.
    RecordingDialog dialog;
    dialog.body = [&](RecordingDialog& d) {
        LONG_PTR saved = SetWindowLongPtrA(d.hwnd, DWLP_USER, 0);
        EXPECT_EQ(FALSE, base_dialog_proc(d.hwnd, WM_TIMER, 1, 0));
        SetWindowLongPtrA(d.hwnd, DWLP_USER, saved);
        EXPECT_EQ("", d.calls);
    };
    run(dialog);
}

TEST(DialogDispatch, CommandGoesToTheControlWrapperFirst)
{
    struct Case {
        int wrapper_answer;
        const char* expected_calls;
    } cases[] = {{1, ""}, {0, "command;"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "wrapper answers " << c.wrapper_answer);
        RecordingDialog dialog;
        AnsweringButton wrapped;
        dialog.body = [&](RecordingDialog& d) {
            ASSERT_EQ(1, wrapped.create(d.hwnd, IDC_TEST_BUTTON, "", 0, 0, 0, 0));
            wrapped.answer = c.wrapper_answer;
            WPARAM wparam = MAKEWPARAM(IDC_TEST_BUTTON, BN_CLICKED);
            LPARAM lparam = reinterpret_cast<LPARAM>(wrapped.hwnd);
            SendMessageA(d.hwnd, WM_COMMAND, wparam, lparam);
            EXPECT_EQ(BN_CLICKED, wrapped.seen_notification);
            EXPECT_EQ(c.expected_calls, d.calls);
            if (!c.wrapper_answer) {
                EXPECT_EQ(wparam, d.command_wparam);
                EXPECT_EQ(lparam, d.command_lparam);
            }
        };
        run(dialog);
    }
}

TEST(DialogDispatch, MenuCommandsAndUnwrappedControlsGoStraightToTheDialog)
{
    RecordingDialog dialog;
    dialog.body = [&](RecordingDialog& d) {
        SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(40009, 0), 0);
        EXPECT_EQ(MAKEWPARAM(40009, 0), d.command_wparam);
        HWND plain = GetDlgItem(d.hwnd, IDC_TEST_PLAIN);
        SendMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_PLAIN, BN_CLICKED),
                     reinterpret_cast<LPARAM>(plain));
        EXPECT_EQ(reinterpret_cast<LPARAM>(plain), d.command_lparam);
        EXPECT_EQ("command;command;", d.calls);
    };
    run(dialog);
}

TEST(DialogDispatch, ARealClickOnAWrappedButtonWithCallbackReachesTheCallback)
{
    struct Receiver : RecordingDialog {
        int clicked_id = 0;
        void clicked(int id) { clicked_id = id; }
    } dialog;
    AnsweringButton plain_wrapper;  // a wrapper with its default answer
    ButtonControl wrapped(0);
    dialog.body = [&](RecordingDialog& d) {
        ASSERT_EQ(1, wrapped.create(d.hwnd, IDC_TEST_BUTTON, "", 0, 0, 0, 0));
        wrapped.set_callback(&dialog, static_cast<ControlCallback>(&Receiver::clicked));
        SendMessageA(wrapped.hwnd, BM_CLICK, 0, 0);
        EXPECT_EQ(IDC_TEST_BUTTON, dialog.clicked_id);
        EXPECT_EQ("", d.calls);
    };
    run(dialog);
}

}  // namespace
