#include "script/script_machine.h"
#include <cstring>
#include "script/bounded_text.h"
#include "text/escapes.h"
#include "text/frame.h"

namespace {

// The most bytes one send gives the port: what one queued command holds.
constexpr int max_send_bytes = 256;
constexpr int max_expanded = 600;

bool is_name_start(char c)
{
    return ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '_';
}

bool is_name_char(char c)
{
    return is_name_start(c) || (c >= '0' && c <= '9');
}

// A whole text that is an integer, maybe signed, of up to 18 digits.
bool read_integer(const char* text, int64_t& value)
{
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    int digits = 0;
    value = 0;
    for (; *text >= '0' && *text <= '9' && digits < 18; ++text, ++digits)
        value = value * 10 + (*text - '0');
    if (negative)
        value = -value;
    return digits > 0 && *text == '\0';
}

bool is_line_end(char c)
{
    return c == '\r' || c == '\n';
}

}  // namespace

void ScriptMachine::start(uint32_t now, const char* line_end)
{
    running_ = script_.count > 0;
    passed_ = false;
    verdict_[0] = '\0';
    BoundedText(line_end_, sizeof line_end_).add(line_end ? line_end : "");
    pc_ = 0;
    waiting_ = false;
    seen_length_ = 0;
    matched_to_ = 0;
    sent_at_ = 0;
    scanned_to_ = 0;
    variable_count_ = 0;
    for (auto& group : groups_)
        group[0] = '\0';
    for (int i = 0; i < script_.count; ++i)
        remaining_[i] = 0;
    if (!running_)
        finish(true, nullptr);
    else
        tick(now);
}

void ScriptMachine::feed(const char* bytes, int count)
{
    if (!running_)
        return;
    // More than the store holds at once: only its newest half counts.
    if (count > seen_bytes / 2) {
        bytes += count - seen_bytes / 2;
        count = seen_bytes / 2;
    }
    keep_room(count);
    memcpy(seen_ + seen_length_, bytes, count);
    seen_length_ += count;
}

// Drops the oldest half when `count` more bytes would not fit.
void ScriptMachine::keep_room(int count)
{
    if (seen_length_ + count <= seen_bytes)
        return;
    int dropped = seen_length_ - seen_bytes / 2;
    memmove(seen_, seen_ + dropped, seen_length_ - dropped);
    seen_length_ -= dropped;
    matched_to_ = matched_to_ > dropped ? matched_to_ - dropped : 0;
    sent_at_ = sent_at_ > dropped ? sent_at_ - dropped : 0;
    scanned_to_ = scanned_to_ > dropped ? scanned_to_ - dropped : 0;
}

void ScriptMachine::tick(uint32_t now)
{
    for (int budget = steps_per_tick; running_ && budget > 0; --budget) {
        if (pc_ >= script_.count) {
            finish(true, nullptr);
            return;
        }
        Outcome outcome = run_step(script_.steps[pc_], now);
        if (outcome == Outcome::waiting)
            return;
        if (outcome == Outcome::next)
            ++pc_;
    }
}

void ScriptMachine::stop()
{
    if (running_)
        finish(false, "stopped");
}

int32_t ScriptMachine::line() const
{
    if (script_.count == 0)
        return 0;
    return script_.steps[pc_ < script_.count ? pc_ : script_.count - 1].line;
}

void ScriptMachine::finish(bool passed, const char* reason)
{
    running_ = false;
    waiting_ = false;
    passed_ = passed;
    BoundedText verdict(verdict_, sizeof verdict_);
    if (passed)
        verdict.add("pass");
    else
        verdict.add("fail: line ").add_number(line()).add(": ").add(reason);
    host_.finished(passed, verdict_);
}

ScriptMachine::Outcome ScriptMachine::run_step(const ScriptStep& step, uint32_t now)
{
    char text[max_expanded];
    switch (step.op) {
    case ScriptOp::send:
    case ScriptOp::sendraw:
    case ScriptOp::sendhex:
        return run_send(step);
    case ScriptOp::wait:
    case ScriptOp::expect:
        return run_wait(step, now);
    case ScriptOp::line_break:
    case ScriptOp::delay:
        if (!waiting_) {
            waiting_ = true;
            deadline_ = now + static_cast<uint32_t>(step.number);
            if (step.op == ScriptOp::line_break)
                host_.send_break(step.number);
        }
        if (static_cast<int32_t>(now - deadline_) < 0)
            return Outcome::waiting;
        waiting_ = false;
        return Outcome::next;
    case ScriptOp::repeat:
        remaining_[pc_] = step.number;
        if (step.number > 0)
            return Outcome::next;
        pc_ = step.target + 1;
        return Outcome::jumped;
    case ScriptOp::end_repeat:
        // A repeat entered by a goto from outside has no rounds left.
        if (remaining_[step.target] > 1) {
            --remaining_[step.target];
            pc_ = step.target + 1;
            return Outcome::jumped;
        }
        remaining_[step.target] = 0;
        return Outcome::next;
    case ScriptOp::label:
        return Outcome::next;
    case ScriptOp::jump:
        pc_ = step.target;
        return Outcome::jumped;
    case ScriptOp::set:
        return run_set(step);
    case ScriptOp::test:
        if (compare(step))
            return Outcome::next;
        pc_ = step.target;
        return Outcome::jumped;
    case ScriptOp::log:
        expand(script_.text(step.text), text, sizeof text);
        host_.log(text);
        return Outcome::next;
    case ScriptOp::pass:
        finish(true, nullptr);
        return Outcome::ended;
    case ScriptOp::fail:
        expand(step.text >= 0 ? script_.text(step.text) : "failed", text, sizeof text);
        finish(false, text);
        return Outcome::ended;
    case ScriptOp::dtr:
        host_.set_dtr(step.flag != 0);
        return Outcome::next;
    case ScriptOp::rts:
        host_.set_rts(step.flag != 0);
        return Outcome::next;
    case ScriptOp::baud:
        host_.set_baud(step.number);
        return Outcome::next;
    case ScriptOp::open:
        host_.open_port();
        return Outcome::next;
    case ScriptOp::close:
        host_.close_port();
        return Outcome::next;
    case ScriptOp::capture:
        if (step.flag) {
            host_.capture(nullptr);
            return Outcome::next;
        }
        expand(script_.text(step.text), text, sizeof text);
        if (host_.capture(text))
            return Outcome::next;
        {
            char reason[max_expanded + 32];
            BoundedText(reason, sizeof reason).add("cannot capture to \"").add(text).add("\"");
            finish(false, reason);
        }
        return Outcome::ended;
    }
    return Outcome::next;
}

ScriptMachine::Outcome ScriptMachine::run_send(const ScriptStep& step)
{
    char text[max_expanded];
    expand(script_.text(step.text), text, sizeof text);
    unsigned char bytes[max_send_bytes];
    FrameError fault;
    FrameMode mode = step.op == ScriptOp::sendhex ? frame_hex : frame_escapes;
    int count = build_frame(text, static_cast<int>(strlen(text)), mode, bytes, sizeof bytes, &fault);
    int end = step.op == ScriptOp::send ? static_cast<int>(strlen(line_end_)) : 0;
    if (count >= 0 && count + end > max_send_bytes) {
        count = -1;
        BoundedText(fault.text, sizeof fault.text).add("Too long");
    }
    if (count < 0) {
        finish(false, fault.text);
        return Outcome::ended;
    }
    memcpy(bytes + count, line_end_, end);
    sent_at_ = seen_length_;
    if (!host_.send(bytes, count + end)) {
        finish(false, "not sent: the port is closed or its queue is full");
        return Outcome::ended;
    }
    return Outcome::next;
}

ScriptMachine::Outcome ScriptMachine::run_wait(const ScriptStep& step, uint32_t now)
{
    if (!waiting_) {
        waiting_ = true;
        deadline_ = now + static_cast<uint32_t>(step.number);
        scanned_to_ = 0;
    }
    if (found(step)) {
        waiting_ = false;
        return Outcome::next;
    }
    if (static_cast<int32_t>(now - deadline_) < 0)
        return Outcome::waiting;
    waiting_ = false;
    if (step.target >= 0) {
        pc_ = step.target;
        return Outcome::jumped;
    }
    char reason[128];
    BoundedText text(reason, sizeof reason);
    text.add("no ");
    const char* what = script_.text(step.text);
    int length = static_cast<int>(strlen(what));
    const char* quote = step.flag ? "/" : "\"";
    text.add(quote).add(what, length > 40 ? 40 : length).add(length > 40 ? "..." : "").add(quote);
    text.add(" within ").add_number(step.number).add(" ms");
    finish(false, reason);
    return Outcome::ended;
}

// Whether the awaited text or line has come: among the bytes not yet
// matched, and for expect only those after the last send.
bool ScriptMachine::found(const ScriptStep& step)
{
    int from = matched_to_;
    if (step.op == ScriptOp::expect && sent_at_ > from)
        from = sent_at_;
    if (!step.flag) {
        char text[max_expanded];
        expand(script_.text(step.text), text, sizeof text);
        int length = expand_escapes(text, text, static_cast<int>(strlen(text)));
        for (int at = from; length > 0 && at + length <= seen_length_; ++at)
            if (!memcmp(seen_ + at, text, length)) {
                matched_to_ = at + length;
                return true;
            }
        return false;
    }
    // A pattern is tried on each whole line once.
    const LinePattern& pattern = script_.patterns[step.pattern];
    int line_start = scanned_to_ > from ? scanned_to_ : from;
    for (int at = line_start; at < seen_length_; ++at) {
        if (!is_line_end(seen_[at]))
            continue;
        int starts[LinePattern::max_groups + 1];
        int ends[LinePattern::max_groups + 1];
        if (at > line_start && pattern.search(seen_ + line_start, at - line_start, starts, ends)) {
            for (int n = 1; n <= LinePattern::max_groups; ++n) {
                int length = starts[n] >= 0 ? ends[n] - starts[n] : 0;
                BoundedText(groups_[n - 1], max_value).add(seen_ + line_start + (length ? starts[n] : 0), length);
            }
            matched_to_ = at + 1;
            return true;
        }
        line_start = at + 1;
    }
    scanned_to_ = line_start;
    return false;
}

ScriptMachine::Outcome ScriptMachine::run_set(const ScriptStep& step)
{
    char left[max_expanded];
    expand(script_.text(step.number), left, sizeof left);
    if (step.flag) {
        char right[max_expanded];
        expand(script_.text(step.text2), right, sizeof right);
        int64_t a = 0;
        int64_t b = 0;
        const char* bad = !read_integer(left, a) ? left : !read_integer(right, b) ? right : nullptr;
        if (bad) {
            char reason[max_expanded + 32];
            BoundedText(reason, sizeof reason).add("not a number: \"").add(bad).add("\"");
            finish(false, reason);
            return Outcome::ended;
        }
        BoundedText(left, sizeof left).add_number(step.flag == '+' ? a + b : a - b);
    }
    if (!store_variable(script_.text(step.text), left)) {
        finish(false, "more than 32 variables");
        return Outcome::ended;
    }
    return Outcome::next;
}

// Numbers when both sides are whole numbers, otherwise texts.
bool ScriptMachine::compare(const ScriptStep& step)
{
    char left[max_expanded];
    char right[max_expanded];
    expand(script_.text(step.text), left, sizeof left);
    expand(script_.text(step.text2), right, sizeof right);
    int64_t a = 0;
    int64_t b = 0;
    int order = 0;
    if (read_integer(left, a) && read_integer(right, b))
        order = a < b ? -1 : a > b ? 1 : 0;
    else
        order = strcmp(left, right);
    switch (static_cast<ScriptCompare>(step.flag)) {
    case ScriptCompare::less:          return order < 0;
    case ScriptCompare::less_equal:    return order <= 0;
    case ScriptCompare::greater:       return order > 0;
    case ScriptCompare::greater_equal: return order >= 0;
    case ScriptCompare::equal:         return order == 0;
    case ScriptCompare::not_equal:     return order != 0;
    }
    return false;
}

void ScriptMachine::expand(const char* text, char* out, int size) const
{
    BoundedText result(out, size);
    while (*text) {
        const char* dollar = strchr(text, '$');
        if (!dollar) {
            result.add(text);
            return;
        }
        result.add(text, static_cast<int>(dollar - text));
        text = dollar + 1;
        if (*text == '$') {
            result.add("$");
            ++text;
        } else if (*text >= '1' && *text <= '9') {
            result.add(groups_[*text - '1']);
            ++text;
        } else if (is_name_start(*text)) {
            int length = 0;
            while (is_name_char(text[length]))
                ++length;
            result.add(variable(text, length));
            text += length;
        } else {
            result.add("$");
        }
    }
}

const char* ScriptMachine::variable(const char* name, int length) const
{
    for (int i = 0; i < variable_count_; ++i)
        if (static_cast<int>(strlen(names_[i])) == length && !strncmp(names_[i], name, length))
            return values_[i];
    return "";
}

bool ScriptMachine::store_variable(const char* name, const char* value)
{
    int index = 0;
    while (index < variable_count_ && strcmp(names_[index], name))
        ++index;
    if (index == variable_count_) {
        if (variable_count_ >= max_variables)
            return false;
        ++variable_count_;
        BoundedText(names_[index], sizeof names_[index]).add(name);
    }
    BoundedText(values_[index], max_value).add(value);
    return true;
}
