#pragma once
#include <windows.h>
#include "settings/send_settings.h"

// Send options: the character and line delays and the repeat's period. OK
// takes the values only when every one is in range; otherwise it selects
// the first that is not, says the range, and leaves the dialog open. 1 when
// OK changed `send`.
int run_send_options_dialog(HWND owner, SendSettings& send);
// Macros: the texts of F1 to F12. 1 when OK changed `send`.
int run_macros_dialog_for(HWND owner, SendSettings& send);
// Auto reply: each rule's text to wait for and text to send. OK takes them
// only when every text to send can be built and no rule waits for text its
// own reply holds, with `appended` (the line end) after it; otherwise it
// selects the first that fails and says why. 1 when OK was taken.
int run_auto_reply_dialog(HWND owner, AutoReplySettings& rules, const char* appended);
