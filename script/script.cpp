#include "script/script.h"
#include <cstring>
#include "script/bounded_text.h"
#include "text/frame.h"

namespace {

// The most nested repeats, and the longest value of a number.
constexpr int max_nesting = 16;
constexpr int32_t max_time_ms = 24 * 3600 * 1000;

bool is_name_start(char c)
{
    return ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '_';
}

bool is_name_char(char c)
{
    return is_name_start(c) || (c >= '0' && c <= '9');
}

// The words of one command line, read left to right.
class LineReader {
public:
    LineReader(const char* text, int length) : text_(text), length_(length) {}

    void skip_space()
    {
        while (at_ < length_ && (text_[at_] == ' ' || text_[at_] == '\t'))
            ++at_;
    }
    // Nothing but spaces or a comment is left.
    bool at_end()
    {
        skip_space();
        return at_ >= length_ || text_[at_] == '#';
    }
    bool next_is(char c)
    {
        skip_space();
        return at_ < length_ && text_[at_] == c;
    }
    bool take(char c)
    {
        if (!next_is(c))
            return false;
        ++at_;
        return true;
    }
    // A name; its length (0 when none) and where it starts.
    int name(const char*& start)
    {
        skip_space();
        start = text_ + at_;
        int begin = at_;
        if (at_ < length_ && is_name_start(text_[at_]))
            while (at_ < length_ && is_name_char(text_[at_]))
                ++at_;
        return at_ - begin;
    }
    bool word_is(const char* word)
    {
        int saved = at_;
        const char* start = nullptr;
        int length = name(start);
        if (length == static_cast<int>(strlen(word)) && !strncmp(start, word, length))
            return true;
        at_ = saved;
        return false;
    }
    // An integer, maybe signed; false when there is none.
    bool integer(int64_t& value)
    {
        skip_space();
        int begin = at_;
        bool negative = at_ < length_ && (text_[at_] == '-' || text_[at_] == '+');
        if (negative)
            negative = text_[at_++] == '-';
        int digits = 0;
        value = 0;
        while (at_ < length_ && text_[at_] >= '0' && text_[at_] <= '9') {
            if (value < 100000000000LL)
                value = value * 10 + (text_[at_] - '0');
            ++at_;
            ++digits;
        }
        if (!digits || (at_ < length_ && is_name_char(text_[at_]))) {
            at_ = begin;
            return false;
        }
        if (negative)
            value = -value;
        return true;
    }
    // "500", "500ms", "2s", "1.5s"; -1 when the next word is no time, -2
    // when it is out of range.
    int32_t time()
    {
        skip_space();
        int begin = at_;
        int64_t whole = 0;
        int64_t tenths = 0;  // thousandths of a second, after a point
        int digits = 0;
        while (at_ < length_ && text_[at_] >= '0' && text_[at_] <= '9' && digits < 12) {
            whole = whole * 10 + (text_[at_++] - '0');
            ++digits;
        }
        if (!digits) {
            at_ = begin;
            return -1;
        }
        bool fraction = at_ < length_ && text_[at_] == '.';
        if (fraction) {
            ++at_;
            int places = 0;
            while (at_ < length_ && text_[at_] >= '0' && text_[at_] <= '9') {
                if (places < 3)
                    tenths = tenths * 10 + (text_[at_] - '0');
                ++places;
                ++at_;
            }
            for (int p = places; p < 3; ++p)
                tenths *= 10;
        }
        int64_t ms = -1;
        if (at_ + 1 < length_ && text_[at_] == 'm' && text_[at_ + 1] == 's' && !fraction) {
            at_ += 2;
            ms = whole;
        } else if (at_ < length_ && text_[at_] == 's') {
            ++at_;
            ms = whole * 1000 + tenths;
        } else if (!fraction) {
            ms = whole;
        }
        if (ms < 0 || (at_ < length_ && is_name_char(text_[at_]))) {
            at_ = begin;
            return -1;
        }
        return ms > max_time_ms ? -2 : static_cast<int32_t>(ms);
    }
    // A text in double quotes into `out` (room for `size`), \" read as a
    // quote and the other escapes kept for the command's own reading. Its
    // length; -1 when none starts here, -2 when it is not closed, -3 when
    // it is too long.
    int quoted(char* out, int size)
    {
        if (!next_is('"'))
            return -1;
        ++at_;
        int length = 0;
        while (at_ < length_ && text_[at_] != '"') {
            char c = text_[at_++];
            if (c == '\\' && at_ < length_) {
                char escaped = text_[at_++];
                if (escaped != '"') {
                    if (length < size - 1)
                        out[length++] = c;
                    c = escaped;
                } else {
                    c = '"';
                }
                if (length >= size - 1)
                    return -3;
                out[length++] = c;
                continue;
            }
            if (length >= size - 1)
                return -3;
            out[length++] = c;
        }
        if (at_ >= length_)
            return -2;
        ++at_;
        out[length] = '\0';
        return length;
    }
    // A pattern between slashes (\/ for a slash); its length, -1 when none
    // starts here, -2 when it is not closed.
    int slashed(const char*& start)
    {
        if (!next_is('/'))
            return -1;
        start = text_ + ++at_;
        int begin = at_;
        while (at_ < length_ && text_[at_] != '/')
            at_ += text_[at_] == '\\' && at_ + 1 < length_ ? 2 : 1;
        if (at_ >= length_)
            return -2;
        return at_++ - begin;
    }
    // The character `offset` past the reading position; NUL past the end.
    char ahead(int offset) const { return at_ + offset < length_ ? text_[at_ + offset] : '\0'; }
    bool starts_with(const char* word) const
    {
        int length = static_cast<int>(strlen(word));
        return at_ + length <= length_ && !strncmp(text_ + at_, word, length);
    }
    int position() const { return at_; }
    int length() const { return length_; }
    void set_position(int at) { at_ = at; }
    const char* rest() const { return text_ + at_; }

private:
    const char* text_;
    int length_;
    int at_ = 0;
};

struct OpName {
    const char* name;
    ScriptOp op;
};
const OpName op_names[] = {
    {"send", ScriptOp::send},     {"sendraw", ScriptOp::sendraw}, {"sendhex", ScriptOp::sendhex},
    {"wait", ScriptOp::wait},     {"expect", ScriptOp::expect},   {"delay", ScriptOp::delay},
    {"repeat", ScriptOp::repeat}, {"label", ScriptOp::label},     {"goto", ScriptOp::jump},
    {"set", ScriptOp::set},       {"if", ScriptOp::test},         {"log", ScriptOp::log},
    {"pass", ScriptOp::pass},     {"fail", ScriptOp::fail},       {"dtr", ScriptOp::dtr},
    {"rts", ScriptOp::rts},       {"break", ScriptOp::line_break}, {"baud", ScriptOp::baud},
    {"open", ScriptOp::open},     {"close", ScriptOp::close},     {"capture", ScriptOp::capture},
};

class Parser {
public:
    Parser(Script& script, char* error) : script_(script), error_(error) {}

    bool parse(const char* source, int length)
    {
        script_.count = 0;
        script_.text_used = 0;
        script_.pattern_count = 0;
        error_[0] = '\0';
        // The mark some Windows editors put before UTF-8 text.
        int start = length >= 3 && !memcmp(source, "\xEF\xBB\xBF", 3) ? 3 : 0;
        while (start < length) {
            int end = start;
            while (end < length && source[end] != '\n')
                ++end;
            ++line_;
            int used = end > start && source[end - 1] == '\r' ? end - start - 1 : end - start;
            if (memchr(source + start, '\0', used))
                return refuse("a NUL byte");
            LineReader reader(source + start, used);
            if (!parse_line(reader, false))
                return false;
            start = end + 1;
        }
        if (depth_ > 0) {
            line_ = script_.steps[open_repeats_[depth_ - 1]].line;
            return refuse("repeat without }");
        }
        return resolve_jumps();
    }

private:
    bool refuse(const char* why, const char* quoted = nullptr, int quoted_length = -1)
    {
        BoundedText text(error_, 128);
        text.add("line ").add_number(line_).add(": ").add(why);
        if (quoted) {
            text.add(" \"").add(quoted, quoted_length < 0 ? -1 : quoted_length > 24 ? 24 : quoted_length);
            text.add("\"");
        }
        return false;
    }

    int32_t refused(const char* why)
    {
        refuse(why);
        return -1;
    }

    ScriptStep* new_step(ScriptOp op)
    {
        if (script_.count >= Script::max_steps) {
            refuse("the script has too many commands");
            return nullptr;
        }
        ScriptStep& step = script_.steps[script_.count++];
        step = ScriptStep();
        step.op = op;
        step.line = line_;
        step.pattern = -1;
        step.target = -1;
        step.text = -1;
        step.text2 = -1;
        return &step;
    }

    int32_t store(const char* text, int length)
    {
        if (script_.text_used + length + 1 > Script::max_text) {
            refuse("the script's texts are too long");
            return -1;
        }
        int32_t at = script_.text_used;
        memcpy(script_.texts + at, text, length);
        script_.texts[at + length] = '\0';
        script_.text_used += length + 1;
        return at;
    }

    // A text in quotes stored; -1 (with the reason) when there is none.
    int32_t quoted_text(LineReader& reader, const char* missing)
    {
        char text[512];
        int length = reader.quoted(text, sizeof text);
        if (length == -1)
            return refused(missing);
        if (length == -2)
            return refused("a text without its closing quote");
        if (length == -3)
            return refused("a text longer than 500 characters");
        return store(text, length);
    }

    // A number, a text in quotes or $NAME, stored as the text it stands for.
    int32_t value(LineReader& reader)
    {
        if (reader.next_is('"'))
            return quoted_text(reader, "");
        int64_t number = 0;
        if (reader.integer(number)) {
            char digits[24];
            BoundedText text(digits, sizeof digits);
            text.add_number(number);
            return store(digits, text.length());
        }
        if (reader.take('$')) {
            // $1..$9 or $NAME, kept with its dollar.
            const char* start = reader.rest();
            const char* name = nullptr;
            int length = is_name_start(reader.ahead(0)) ? reader.name(name) : 0;
            if (!length && reader.ahead(0) >= '1' && reader.ahead(0) <= '9') {
                reader.set_position(reader.position() + 1);
                length = 1;
            }
            if (length)
                return store(start - 1, length + 1);
        }
        return refused("a value (a number, a text or $name) is needed");
    }

    bool checked_send(const ScriptStep& step)
    {
        // A text with a variable is checked when it is sent.
        const char* text = script_.text(step.text);
        if (strchr(text, '$'))
            return true;
        unsigned char bytes[600];
        FrameError fault;
        FrameMode mode = step.op == ScriptOp::sendhex ? frame_hex : frame_escapes;
        if (build_frame(text, static_cast<int>(strlen(text)), mode, bytes, sizeof bytes, &fault) < 0)
            return refuse(fault.text);
        return true;
    }

    bool time_after(LineReader& reader, int32_t& ms, const char* what)
    {
        int32_t read = reader.time();
        if (read == -2)
            return refuse("a time longer than a day");
        if (read < 0)
            return refuse(what);
        ms = read;
        return true;
    }

    bool on_off(LineReader& reader, ScriptStep& step)
    {
        if (reader.word_is("on"))
            step.flag = 1;
        else if (!reader.word_is("off"))
            return refuse(step.op == ScriptOp::dtr ? "dtr needs on or off" : "rts needs on or off");
        return true;
    }

    bool wait_step(LineReader& reader, ScriptStep& step)
    {
        const char* name = step.op == ScriptOp::wait ? "wait" : "expect";
        const char* pattern = nullptr;
        int length = reader.slashed(pattern);
        if (length == -2)
            return refuse("a pattern without its closing /");
        if (length >= 0) {
            if (script_.pattern_count >= Script::max_patterns)
                return refuse("more than 16 patterns");
            char why[64];
            LinePattern& compiled = script_.patterns[script_.pattern_count];
            if (!compiled.compile(pattern, length, why)) {
                char text[96];
                BoundedText(text, sizeof text).add("pattern: ").add(why);
                return refuse(text);
            }
            step.flag = 1;
            step.pattern = static_cast<int16_t>(script_.pattern_count++);
            step.text = store(pattern, length);
        } else {
            if (!reader.next_is('"')) {
                char text[64];
                BoundedText(text, sizeof text).add(name).add(" needs a text or a pattern");
                return refuse(text);
            }
            step.text = quoted_text(reader, "");
            if (step.text >= 0 && !script_.texts[step.text])
                return refuse("an empty text never arrives");
        }
        if (step.text < 0)
            return false;
        step.number = script_default_wait_ms;
        if (!reader.at_end() && !reader.word_is("else")) {
            if (!time_after(reader, step.number, "a time is a number of ms or s, e.g. 500 or 2s"))
                return false;
            if (reader.at_end())
                return true;
            if (!reader.word_is("else"))
                return unexpected(reader);
        } else if (reader.at_end()) {
            return true;
        }
        if (!reader.word_is("goto"))
            return refuse("else needs goto and a label");
        return jump_name(reader, step);
    }

    bool jump_name(LineReader& reader, ScriptStep& step)
    {
        const char* name = nullptr;
        int length = reader.name(name);
        if (!length)
            return refuse("goto needs a label");
        step.text2 = store(name, length);
        return step.text2 >= 0;
    }

    bool comparison(LineReader& reader, ScriptStep& step)
    {
        static const struct {
            const char* text;
            ScriptCompare compare;
        } operators[] = {{"<=", ScriptCompare::less_equal}, {">=", ScriptCompare::greater_equal},
                         {"==", ScriptCompare::equal},      {"!=", ScriptCompare::not_equal},
                         {"<", ScriptCompare::less},        {">", ScriptCompare::greater}};
        step.text = value(reader);
        if (step.text < 0)
            return false;
        reader.skip_space();
        for (const auto& candidate : operators) {
            if (reader.starts_with(candidate.text)) {
                reader.set_position(reader.position() + static_cast<int>(strlen(candidate.text)));
                step.flag = static_cast<uint8_t>(candidate.compare);
                step.text2 = value(reader);
                return step.text2 >= 0;
            }
        }
        return refuse("if needs a comparison: < <= > >= == !=");
    }

    bool set_step(LineReader& reader, ScriptStep& step)
    {
        const char* name = nullptr;
        int length = reader.name(name);
        if (!length || !reader.take('='))
            return refuse("set needs a name, = and a value");
        if (length > 23)
            return refuse("a name longer than 23 characters");
        int32_t stored_name = store(name, length);
        int32_t left = value(reader);
        if (stored_name < 0 || left < 0)
            return false;
        // The name first, then the value: the machine reads both.
        step.text = stored_name;
        step.number = left;
        if (reader.take('+'))
            step.flag = '+';
        else if (reader.take('-'))
            step.flag = '-';
        if (step.flag) {
            step.text2 = value(reader);
            return step.text2 >= 0;
        }
        return true;
    }

    // One line's command; `nested` for the command of an `if`.
    bool parse_line(LineReader& reader, bool nested)
    {
        if (reader.at_end())
            return true;
        if (!nested && reader.take('}')) {
            if (depth_ == 0)
                return refuse("} without repeat");
            ScriptStep* end = new_step(ScriptOp::end_repeat);
            if (!end)
                return false;
            int begin = open_repeats_[--depth_];
            end->target = begin;
            script_.steps[begin].target = script_.count - 1;
            return ended(reader);
        }
        const char* word = nullptr;
        int length = reader.name(word);
        const OpName* found = nullptr;
        for (const OpName& candidate : op_names)
            if (length == static_cast<int>(strlen(candidate.name)) &&
                !strncmp(word, candidate.name, length))
                found = &candidate;
        if (!found)
            return length ? refuse("unknown command", word, length)
                          : refuse("a command is needed first");
        if (nested && (found->op == ScriptOp::repeat || found->op == ScriptOp::label ||
                       found->op == ScriptOp::test))
            return refuse("if cannot hold repeat, label or if");
        ScriptStep* step = new_step(found->op);
        if (!step)
            return false;
        switch (found->op) {
        case ScriptOp::send:
        case ScriptOp::sendraw:
        case ScriptOp::sendhex: {
            char missing[40];
            BoundedText(missing, sizeof missing).add(found->name).add(" needs a text in quotes");
            step->text = quoted_text(reader, missing);
            if (step->text < 0 || !checked_send(*step))
                return false;
            break;
        }
        case ScriptOp::wait:
        case ScriptOp::expect:
            if (!wait_step(reader, *step))
                return false;
            break;
        case ScriptOp::delay:
            if (!time_after(reader, step->number, "delay needs a time, e.g. 500 or 2s"))
                return false;
            break;
        case ScriptOp::line_break:
            step->number = script_default_break_ms;
            if (!reader.at_end() && !time_after(reader, step->number, "break takes a time, e.g. 250"))
                return false;
            break;
        case ScriptOp::repeat: {
            int64_t count = 0;
            if (!reader.integer(count) || count < 0 || count > 1000000000 || !reader.take('{'))
                return refuse("repeat needs a count and {");
            if (depth_ >= max_nesting)
                return refuse("repeats nested too deep");
            step->number = static_cast<int32_t>(count);
            open_repeats_[depth_++] = script_.count - 1;
            break;
        }
        case ScriptOp::label: {
            const char* name = nullptr;
            int name_length = reader.name(name);
            if (!name_length)
                return refuse("label needs a name");
            for (int i = 0; i < script_.count - 1; ++i) {
                const char* other = script_.text(script_.steps[i].text);
                if (script_.steps[i].op == ScriptOp::label &&
                    static_cast<int>(strlen(other)) == name_length &&
                    !strncmp(other, name, name_length))
                    return refuse("a second label", name, name_length);
            }
            step->text = store(name, name_length);
            if (step->text < 0)
                return false;
            break;
        }
        case ScriptOp::jump:
            if (!jump_name(reader, *step))
                return false;
            break;
        case ScriptOp::set:
            if (!set_step(reader, *step))
                return false;
            break;
        case ScriptOp::test: {
            if (!comparison(reader, *step))
                return false;
            int test = script_.count - 1;
            if (reader.at_end())
                return refuse("if needs a command after the comparison");
            if (!parse_line(reader, true))
                return false;
            script_.steps[test].target = script_.count;
            return true;
        }
        case ScriptOp::log:
            step->text = quoted_text(reader, "log needs a text in quotes");
            if (step->text < 0)
                return false;
            break;
        case ScriptOp::fail:
            if (reader.next_is('"')) {
                step->text = quoted_text(reader, "");
                if (step->text < 0)
                    return false;
            }
            break;
        case ScriptOp::dtr:
        case ScriptOp::rts:
            if (!on_off(reader, *step))
                return false;
            break;
        case ScriptOp::baud: {
            int64_t rate = 0;
            if (!reader.integer(rate) || rate < 50 || rate > 4000000)
                return refuse("baud needs a rate from 50 to 4000000");
            step->number = static_cast<int32_t>(rate);
            break;
        }
        case ScriptOp::capture:
            if (reader.word_is("off")) {
                step->flag = 1;
                break;
            }
            step->text = quoted_text(reader, "capture needs a file name in quotes, or off");
            if (step->text < 0)
                return false;
            if (!script_.texts[step->text])
                return refuse("capture needs a file name in quotes, or off");
            break;
        default:  // pass, open, close
            break;
        }
        return ended(reader);
    }

    bool ended(LineReader& reader)
    {
        return reader.at_end() || unexpected(reader);
    }

    // What follows the command, up to the next space.
    bool unexpected(LineReader& reader)
    {
        int length = 0;
        int left = reader.length() - reader.position();
        while (length < left && reader.ahead(length) != ' ' && reader.ahead(length) != '\t')
            ++length;
        return refuse("unexpected", reader.rest(), length);
    }

    // Every goto and else goto to its label's step.
    bool resolve_jumps()
    {
        for (int i = 0; i < script_.count; ++i) {
            ScriptStep& step = script_.steps[i];
            if (step.text2 < 0 || (step.op != ScriptOp::jump && step.op != ScriptOp::wait &&
                                   step.op != ScriptOp::expect))
                continue;
            const char* name = script_.text(step.text2);
            for (int j = 0; j < script_.count && step.target < 0; ++j)
                if (script_.steps[j].op == ScriptOp::label &&
                    !strcmp(script_.text(script_.steps[j].text), name))
                    step.target = j;
            if (step.target < 0) {
                line_ = step.line;
                return refuse("no label", name);
            }
        }
        return true;
    }

    Script& script_;
    char* error_;
    int line_ = 0;
    int open_repeats_[max_nesting];
    int depth_ = 0;
};

}  // namespace

bool parse_script(const char* source, int length, Script& script, char* error)
{
    Parser parser(script, error);
    if (parser.parse(source, length))
        return true;
    script.count = 0;
    return false;
}
