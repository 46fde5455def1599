#pragma once
#include <windows.h>
#include "app/send_panel.h"
#include "app/status_bar.h"
#include "settings/settings_file.h"
#include "text/auto_reply.h"

// Automatic replies: while they are on, every received byte is matched
// against the rules, and each match is answered through the same path as a
// macro. The rules are built from what the user typed: the text to wait for
// with its escapes, the text to send with its escapes and checksums and the
// current line end. Matches left unanswered because of the rate are counted
// in the send part. The Send menu's two Auto reply items are its own.
class AutoResponder {
public:
    AutoResponder(SendHost& host, StatusBar& status, Settings& settings)
        : host_(host), status_(status), settings_(settings)
    {
    }
    AutoResponder(const AutoResponder&) = delete;
    AutoResponder& operator=(const AutoResponder&) = delete;

    void attach(HWND dialog, HMENU menu);
    // Builds the rules the settings hold and checks the menu item when on.
    void show_settings();
    void toggle();
    void run_rules_dialog();
    // One read's bytes, received at `now_ms`.
    void take(const char* bytes, int count, DWORD now_ms);
    // The port opened anew: no partial match or awaited echo carries over.
    void restart() { engine_.restart(); }
    bool on() const { return settings_.auto_reply.on == 1; }

private:
    void build_rules();

    SendHost& host_;
    StatusBar& status_;
    Settings& settings_;
    HWND dialog_ = nullptr;
    HMENU menu_ = nullptr;
    AutoReply engine_;
    LineEnd built_end_ = LineEnd::cr;  // the line end the replies end with
    int skipped_shown_ = 0;
};
