#pragma once
#include <windows.h>
#include <cstdint>
#include "app/send_panel.h"
#include "app/settings_changes.h"
#include "app/status_bar.h"
#include "settings/settings_file.h"
#include "text/auto_reply.h"

// Where the replies go: the open port's writer. The program's is the serial
// channel's (channel_replies); tests give a fake.
class ReplyPort {
public:
    virtual bool port_open() = 0;
    // Queues one reply; false when the queue refused it.
    virtual bool queue_reply(const char* bytes, int count) = 0;
    // How many queued replies have left the writer (sent, cut or dropped)
    // since the program started.
    virtual uint32_t replies_done() = 0;

protected:
    ~ReplyPort() = default;
};
ReplyPort& channel_replies();

// Automatic replies: while they are on, every received byte is matched
// against the rules, and each match is answered on the open port; while the
// port is not open a match is dropped and counted, never a reason to open
// it. The rules are built from what the user typed: the text to wait for
// with its escapes, the text to send with its escapes and checksums and the
// current line end (none in hex mode). A rule that would answer its own
// echo is refused. Each reply's echo is awaited from the moment the writer
// says it left. Matches left unanswered because of the rate or a closed port
// are counted in the send part. The Send menu's two Auto reply items are its
// own.
class AutoResponder {
public:
    AutoResponder(SettingsChanges& changes, ReplyPort& port, StatusBar& status, Settings& settings)
        : changes_(changes), port_(port), status_(status), settings_(settings)
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
    void restart();
    bool on() const { return settings_.auto_reply.on == 1; }

private:
    void build_rules();
    // What ends each reply: the line end, nothing in hex mode.
    LineEnd reply_end() const;
    void show_counts();

    SettingsChanges& changes_;
    ReplyPort& port_;
    StatusBar& status_;
    Settings& settings_;
    HWND dialog_ = nullptr;
    HMENU menu_ = nullptr;
    AutoReply engine_;
    LineEnd built_end_ = LineEnd::cr;  // the line end the replies end with
    uint32_t done_seen_ = 0;           // the writer's replies_done at the last look
    int dropped_ = 0;                  // matches while the port was not open
    int skipped_shown_ = 0;
    int dropped_shown_ = 0;
};
