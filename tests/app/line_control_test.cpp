// The line of the open port: DTR, RTS and a break from the Port menu and
// Ctrl+B, and status part 3 with the input signals and the line's errors.
// A pseudo-terminal has no modem lines and shows no break, so the driver's
// side is played by stand-ins of the Windows calls.
#include <gtest/gtest.h>
#include <windows.h>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/serial/platform_spy.h"

namespace {

// "G" greyed or "E" enabled, then "C" when checked, for each item.
std::string line_menu()
{
    std::string shown;
    for (int id : {IDM_DTR, IDM_RTS, IDM_SEND_BREAK}) {
        UINT state = GetMenuState(main_dialog.menu(), id, MF_BYCOMMAND);
        shown += (state & MF_GRAYED) ? "G" : "E";
        shown += (state & MF_CHECKED) ? "C " : "- ";
    }
    return shown;
}

// Ctrl+B as the keyboard delivers it to the focused command field, through
// the message filter the way the dialog's own loop calls it.
void press_ctrl_b()
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    PostMessageA(main_dialog.command_edit(), WM_KEYDOWN, 'B', 1);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
        if (!CallMsgFilterA(&msg, MSGF_DIALOGBOX)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

TEST(LineControl, TheMenuSwitchesDtrAndRtsOfTheOpenPortOnly)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    SpyPatch escapes("EscapeCommFunction");
    ASSERT_TRUE(escapes.active());
    const struct {
        const char* name;
        int32_t flow;
        const char* menu_open;     // DTR, RTS, Send break
        const char* menu_after;    // after DTR and RTS were chosen
        const char* calls;
    } cases[] = {
        {"no flow control", 0, "EC EC E- ", "E- E- E- ", "CLRDTR CLRRTS "},
        {"RTS/CTS", 1, "EC GC E- ", "E- GC E- ", "CLRDTR "},
    };
    for (const auto& c : cases) {
        run_main_window([&](HWND dialog) {
            EXPECT_EQ("G- G- G- ", line_menu()) << c.name << ": before the first open";
            port_setup_dialog.settings.Flow = c.flow;
            ASSERT_TRUE(wait_for_first_open_attempt(5000)) << c.name;
            ASSERT_EQ(1, serial_channel.is_open) << c.name;
            EXPECT_EQ(c.menu_open, line_menu()) << c.name;
            spy.line_calls.clear();
            command(dialog, IDM_DTR);
            command(dialog, IDM_RTS);
            EXPECT_EQ(c.calls, spy.line_calls) << c.name;
            EXPECT_EQ(c.menu_after, line_menu()) << c.name;
            command(dialog, IDM_CLOSE);
            EXPECT_EQ("G- G- G- ", line_menu()) << c.name << ": closed";
            spy.line_calls.clear();
            command(dialog, IDM_DTR);
            command(dialog, IDM_RTS);
            EXPECT_EQ("", spy.line_calls) << c.name << ": switched on a closed port";
            // The next open follows Port Setup again.
            command(dialog, IDM_OPEN);
            ASSERT_TRUE(wait_for_open_attempt(5000)) << c.name;
            EXPECT_EQ(c.menu_open, line_menu()) << c.name << ": reopened";
        });
    }
}

// A switch the driver refuses says so, and the menu keeps the line's state.
TEST(LineControl, ASwitchTheDriverRefusesIsShown)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    SpyPatch escapes("EscapeCommFunction");
    ASSERT_TRUE(escapes.active());
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        ASSERT_EQ(1, serial_channel.is_open);
        spy.refuse_escape = true;
        command(dialog, IDM_DTR);
        EXPECT_EQ("COM1 refused DTR (error 31)", status_text(1));
        EXPECT_EQ("EC EC E- ", line_menu()) << "the check follows the line, still on";
        command(dialog, IDM_RTS);
        EXPECT_EQ("COM1 refused RTS (error 31)", status_text(1));
        spy.refuse_escape = false;
    });
    spy.line_calls.clear();
}

// The break lasts 250 ms on a timer; the window answers meanwhile.
TEST(LineControl, CtrlBHoldsABreakWithoutHoldingTheWindow)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    SpyPatch on("SetCommBreak");
    SpyPatch off("ClearCommBreak");
    ASSERT_TRUE(on.active() && off.active());
    run_main_window([&](HWND dialog) {
        press_ctrl_b();
        EXPECT_EQ("", spy.line_calls) << "a break on a closed port";
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        ASSERT_EQ(1, serial_channel.is_open);
        for (int way = 0; way < 2; ++way) {
            spy.line_calls.clear();
            if (way == 0)
                press_ctrl_b();
            else
                command(dialog, IDM_SEND_BREAK);
            EXPECT_EQ("BREAK+ ", spy.line_calls) << "way " << way << ": the window held the break";
            EXPECT_TRUE(pump_until([] { return spy.line_calls == "BREAK+ BREAK- "; }, 3000))
                << "way " << way << ": " << spy.line_calls;
            DWORD held = spy.break_off_tick - spy.break_on_tick;
            EXPECT_GE(held, 240u) << "way " << way;
            EXPECT_LT(held, 1000u) << "way " << way;
        }
        EXPECT_EQ("", command_text(dialog)) << "Ctrl+B reached the field";
    });
}

// Status part 3: the input signals that are on, then the errors counted
// since the port opened, from what the driver reports.
TEST(LineControl, StatusShowsTheInputSignalsAndTheLineErrors)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    SpyPatch modem("GetCommModemStatus");
    SpyPatch clears("ClearCommError");
    SpyPatch reads("ReadFile");
    SpyPatch waits("WaitCommEvent");
    SpyPatch cancels("CancelIo");
    ASSERT_TRUE(modem.active() && clears.active() && reads.active() && waits.active() &&
                cancels.active());
    const struct {
        DWORD signals;
        std::vector<DWORD> errors;  // one driver report each
        const char* shown;
    } cases[] = {
        {0, {}, "No signals"},
        {MS_CTS_ON | MS_DSR_ON, {}, "CTS DSR"},
        {MS_RING_ON | MS_RLSD_ON | MS_DSR_ON | MS_CTS_ON, {}, "CTS DSR DCD RI"},
        {MS_CTS_ON | MS_DSR_ON, {CE_FRAME, CE_FRAME | CE_OVERRUN, CE_FRAME},
         "CTS DSR  Framing 3, Overrun 1"},
        {MS_RING_ON, {CE_RXPARITY | CE_BREAK, CE_RXOVER}, "RI  Parity 1, Overrun 1, Break 1"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const auto& c = cases[i];
        spy = Spy();
        spy.stand_in_modem = true;
        spy.stand_in_events = true;
        spy.empty_reads_at_once = true;
        run_main_window([&](HWND dialog) {
            EXPECT_EQ("", status_text(3)) << "case " << i << ": closed";
            ASSERT_TRUE(wait_for_first_open_attempt(5000)) << "case " << i;
            // All but the last report are consumed first.
            for (size_t e = 0; e + 1 < c.errors.size(); ++e) {
                spy.line_error_flags = c.errors[e];
                line_changed(EV_ERR);
                ASSERT_TRUE(pump_until([] { return spy.line_error_flags == 0; }, 2000));
            }
            // The last comes while the reader rests on the line's events, as
            // it does once the line has been quiet for a second.
            ASSERT_TRUE(pump_until([] { return spy.pending_wait != nullptr; }, 5000))
                << "case " << i << ": the reader never waited for the line's events";
            spy.modem_bits = c.signals;
            if (!c.errors.empty())
                spy.line_error_flags = c.errors.back();
            line_changed(c.errors.empty() ? EV_CTS : EV_ERR);
            EXPECT_TRUE(pump_until([&] { return status_text(3) == c.shown; }, 2000))
                << "case " << i << ": shown \"" << status_text(3) << "\", expected \"" << c.shown
                << "\"";
            command(dialog, IDM_CLOSE);
            EXPECT_EQ("", status_text(3)) << "case " << i << ": after Close";
        });
    }
}

// With the window taking nothing, bytes beyond the ring are counted and shown.
TEST(LineControl, StatusCountsTheBytesAFullRingDropped)
{
    DeviceClient device;
    ASSERT_TRUE(device.ping()) << device.last_reply();
    SpyPatch reads("ReadFile");
    ASSERT_TRUE(reads.active());
    spy.empty_reads_at_once = true;
    run_main_window([&](HWND dialog) {
        ASSERT_TRUE(wait_for_first_open_attempt(5000));
        ASSERT_TRUE(wait_for_ticks(2, 3000));
        KillTimer(dialog, receive_timer_id);
        ASSERT_EQ(0, serial_channel.bytes_waiting());
        spy.invented_bytes = static_cast<LONG>(serial_ring_size) + 300000;
        EXPECT_TRUE(pump_until([] { return status_text(3) == "No signals  Input overrun: 300000 bytes lost"; },
                               5000))
            << status_text(3);
        // The invented bytes must not reach the next test's list.
        static char sink[65536];
        while (serial_channel.read(sink, sizeof sink) > 0) {
        }
    });
    spy = Spy();
}

}  // namespace
