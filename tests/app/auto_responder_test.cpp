// Automatic replies as a table: bytes arrive on a fake clock at a fake port
// that is open or not, whose writer says when replies have left; each row
// shows what was queued and what the send part says. No device, no thread.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "app/auto_responder.h"

namespace {

class FakePort : public ReplyPort, public SettingsChanges {
public:
    void mark_settings_changed() override {}
    bool port_open() override { return open; }
    bool queue_reply(const char* bytes, int count) override
    {
        queued += std::string(bytes, static_cast<size_t>(count)) + "|";
        return true;
    }
    uint32_t replies_done() override { return done; }

    bool open = true;
    std::string queued;
    uint32_t done = 0;
};

struct Step {
    DWORD ms;
    int left;              // replies the writer says have left, before the bytes
    bool open;
    int hex;               // the command field takes hex pairs
    const char* received;
    const char* queued;    // each reply queued, then "|"
    const char* said;      // the send part afterwards; null: not looked at
};

// "ping" answers "pong", "pong" answers "ping": each reply's echo would set
// the other rule off, for ever, were it not skipped.
TEST(AutoResponder, RepliesGoOnlyToTheOpenPortAndTheirEchoIsAwaitedFromWhenTheyLeft)
{
    const Step steps[] = {
        {0, 0, true, 0, "ping", "pong\r|", ""},
        // Held behind a file, the reply left 1.5 s after the match: its echo
        // is skipped.
        {1500, 1, true, 0, "pong\r", "", ""},
        {1600, 0, true, 0, "pong", "ping\r|", ""},
        {1700, 0, false, 0, "ping", "", "Auto reply: 0 skipped, 1 dropped while the port was closed"},
        {1800, 0, false, 0, "pong", "", "Auto reply: 0 skipped, 2 dropped while the port was closed"},
        // In hex mode nothing follows the reply.
        {3000, 1, true, 1, "ping", "pong|", nullptr},
    };
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
    StatusBar status;
    status.create(parent, 1);
    status.fit(96);
    Settings settings;
    reset_settings(settings);
    settings.auto_reply.on = 1;
    lstrcpyA(settings.auto_reply.match[0], "ping");
    lstrcpyA(settings.auto_reply.reply[0], "pong");
    lstrcpyA(settings.auto_reply.match[1], "pong");
    lstrcpyA(settings.auto_reply.reply[1], "ping");
    FakePort port;
    AutoResponder responder(port, port, status, settings);
    responder.show_settings();
    responder.restart();
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        const Step& step = steps[i];
        port.queued.clear();
        port.done += static_cast<uint32_t>(step.left);
        port.open = step.open;
        settings.view.hex = step.hex;
        responder.take(step.received, lstrlenA(step.received), step.ms);
        EXPECT_EQ(step.queued, port.queued) << "step " << i << ": \"" << step.received << "\"";
        char said[256] = "";
        SendMessageA(status.hwnd(), SB_GETTEXTA, status_send, reinterpret_cast<LPARAM>(said));
        if (step.said)
            EXPECT_STREQ(step.said, said) << "step " << i;
    }
    DestroyWindow(parent);
}

}  // namespace
