#include "app/auto_responder.h"
#include "app/program_objects.h"
#include "app/send_dialogs.h"
#include "resources/resource_ids.h"
#include "text/escapes.h"
#include "text/frame.h"

namespace {

class ChannelReplies : public ReplyPort {
public:
    bool port_open() override { return serial_channel.is_open && !serial_channel.lost(); }
    bool queue_reply(const char* bytes, int count) override
    {
        return serial_channel.write(bytes, count, 1) != 0;
    }
    uint32_t replies_done() override
    {
        SendProgress progress;
        serial_channel.writer.progress(progress);
        return progress.replies_done;
    }
};

}  // namespace

ReplyPort& channel_replies()
{
    static ChannelReplies replies;
    return replies;
}

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

LineEnd AutoResponder::reply_end() const
{
    return settings_.view.hex == 1 ? LineEnd::none : line_end_of(settings_);
}

// A rule whose text to send cannot be built, or that would answer its own
// echo (a file edited by hand, a line end chosen since), stays off.
void AutoResponder::build_rules()
{
    const AutoReplySettings& rules = settings_.auto_reply;
    built_end_ = reply_end();
    for (int i = 0; i < auto_reply_rules; ++i) {
        unsigned char match[auto_reply_max_bytes];
        int match_length = expand_escapes(rules.match[i], reinterpret_cast<char*>(match),
                                          sizeof match);
        unsigned char reply[auto_reply_max_bytes + 2];
        int reply_length = build_frame(rules.reply[i], lstrlenA(rules.reply[i]), frame_escapes,
                                       reply, auto_reply_max_bytes, nullptr);
        if (reply_length >= 0)
            reply_length += put_line_end(built_end_, reinterpret_cast<char*>(reply) + reply_length);
        if (reply_length < 0 || answers_itself(match, match_length, reply, reply_length))
            match_length = reply_length = 0;
        engine_.set_rule(i, match, match_length, reply, reply_length);
    }
    engine_.clear_skipped();
    dropped_ = 0;
    skipped_shown_ = dropped_shown_ = 0;
}

void AutoResponder::toggle()
{
    settings_.auto_reply.on = on() ? 0 : 1;
    changes_.mark_settings_changed();
    show_settings();
}

void AutoResponder::run_rules_dialog()
{
    char appended[3] = "";
    appended[put_line_end(reply_end(), appended)] = '\0';
    if (run_auto_reply_dialog(dialog_, settings_.auto_reply, appended)) {
        changes_.mark_settings_changed();
        build_rules();
    }
}

void AutoResponder::restart()
{
    engine_.restart();
    done_seen_ = port_.replies_done();
}

// The replies follow a new line end from the next read on.
void AutoResponder::take(const char* bytes, int count, DWORD now_ms)
{
    if (!on())
        return;
    if (reply_end() != built_end_)
        build_rules();
    // The echo of each reply that has left since the last read is awaited
    // from now on.
    for (uint32_t done = port_.replies_done(); done_seen_ != done; ++done_seen_)
        engine_.reply_left(now_ms);
    int fired[auto_reply_rules * 2];
    int replies = engine_.feed(reinterpret_cast<const unsigned char*>(bytes), count, now_ms, fired,
                               sizeof fired / sizeof fired[0]);
    for (int i = 0; i < replies; ++i) {
        int rule = fired[i];
        if (!engine_.reply_length(rule))
            continue;  // nothing to send
        if (!port_.port_open())
            ++dropped_;
        else if (port_.queue_reply(reinterpret_cast<const char*>(engine_.reply(rule)),
                                   engine_.reply_length(rule)))
            engine_.reply_queued(rule);
        else
            status_.set_text(status_send, "Not sent: the send queue is full");
    }
    show_counts();
}

void AutoResponder::show_counts()
{
    if (engine_.skipped() == skipped_shown_ && dropped_ == dropped_shown_)
        return;
    skipped_shown_ = engine_.skipped();
    dropped_shown_ = dropped_;
    char text[80];
    if (dropped_)
        wsprintfA(text, "Auto reply: %d skipped, %d dropped while the port was closed",
                  skipped_shown_, dropped_shown_);
    else
        wsprintfA(text, "Auto reply: %d skipped", skipped_shown_);
    status_.set_text(status_send, text);
}
