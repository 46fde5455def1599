#include "app/auto_responder.h"
#include "app/send_dialogs.h"
#include "resources/resource_ids.h"
#include "text/escapes.h"
#include "text/frame.h"

void AutoResponder::attach(HWND dialog, HMENU menu)
{
    dialog_ = dialog;
    menu_ = menu;
}

void AutoResponder::show_settings()
{
    build_rules();
    CheckMenuItem(menu_, IDM_AUTO_REPLY, on() ? MF_CHECKED : MF_UNCHECKED);
}

// A rule whose text to send cannot be built (a file edited by hand) stays off.
void AutoResponder::build_rules()
{
    const AutoReplySettings& rules = settings_.auto_reply;
    built_end_ = line_end_of(settings_);
    for (int i = 0; i < auto_reply_rules; ++i) {
        unsigned char match[auto_reply_max_bytes];
        int match_length = expand_escapes(rules.match[i], reinterpret_cast<char*>(match),
                                          sizeof match);
        unsigned char reply[auto_reply_max_bytes + 2];
        int reply_length = build_frame(rules.reply[i], lstrlenA(rules.reply[i]), frame_escapes,
                                       reply, auto_reply_max_bytes, nullptr);
        if (reply_length < 0)
            match_length = reply_length = 0;
        else
            reply_length += put_line_end(built_end_, reinterpret_cast<char*>(reply) + reply_length);
        engine_.set_rule(i, match, match_length, reply, reply_length);
    }
    engine_.clear_skipped();
    skipped_shown_ = 0;
}

void AutoResponder::toggle()
{
    settings_.auto_reply.on = on() ? 0 : 1;
    host_.mark_settings_changed();
    show_settings();
}

void AutoResponder::run_rules_dialog()
{
    if (run_auto_reply_dialog(dialog_, settings_.auto_reply)) {
        host_.mark_settings_changed();
        build_rules();
    }
}

// The replies follow a new line end from the next read on.
void AutoResponder::take(const char* bytes, int count, DWORD now_ms)
{
    if (!on())
        return;
    if (line_end_of(settings_) != built_end_)
        build_rules();
    int fired[auto_reply_rules * 2];
    int replies = engine_.feed(reinterpret_cast<const unsigned char*>(bytes), count, now_ms, fired,
                               sizeof fired / sizeof fired[0]);
    for (int i = 0; i < replies; ++i)
        if (host_.send_bytes(reinterpret_cast<const char*>(engine_.reply(fired[i])),
                             engine_.reply_length(fired[i])) == SendOutcome::refused)
            status_.set_text(status_send, "Not sent: the send queue is full");
    if (engine_.skipped() != skipped_shown_) {
        skipped_shown_ = engine_.skipped();
        char text[40];
        wsprintfA(text, "Auto reply: %d skipped", skipped_shown_);
        status_.set_text(status_send, text);
    }
}
