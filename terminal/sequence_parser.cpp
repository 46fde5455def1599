#include "terminal/sequence_parser.h"
#include "text/utf8.h"

namespace {

constexpr uint8_t esc = 0x1B;
constexpr uint8_t bel = 0x07;
constexpr uint8_t can = 0x18;
constexpr uint8_t sub = 0x1A;
constexpr uint32_t replacement = 0xFFFD;

}  // namespace

void SequenceParser::reset()
{
    state_ = State::ground;
    utf8_length_ = 0;
    osc_length_ = 0;
}

void SequenceParser::feed(const uint8_t* bytes, size_t count)
{
    size_t i = 0;
    while (i < count) {
        // Plain text goes to the screen as whole runs, not byte by byte.
        if (state_ == State::ground && utf8_length_ == 0) {
            size_t start = i;
            while (i < count && bytes[i] >= 0x20 && bytes[i] < 0x7F)
                ++i;
            if (i > start)
                events_->print_ascii(reinterpret_cast<const char*>(bytes + start), i - start);
            if (i == count)
                break;
        }
        take(bytes[i++]);
    }
}

void SequenceParser::take(uint8_t byte)
{
    // CAN and SUB cancel any sequence; ESC begins a new one anywhere but
    // inside a string, where it may be the start of its terminator.
    if (byte == can || byte == sub) {
        if (state_ != State::ground || utf8_length_ != 0) {
            if (utf8_length_ != 0)
                events_->print(replacement);
            utf8_length_ = 0;
            state_ = State::ground;
            return;
        }
    }
    switch (state_) {
    case State::ground:
        if (utf8_length_ != 0 || byte >= 0x80) {
            take_utf8(byte);
        } else if (byte == esc) {
            intermediate_ = 0;
            state_ = State::escape;
        } else if (byte < 0x20) {
            events_->control(byte);
        } else if (byte != 0x7F) {
            char c = static_cast<char>(byte);
            events_->print_ascii(&c, 1);
        }
        return;
    case State::escape:
    case State::escape_intermediate:
        escape_byte(byte);
        return;
    case State::csi_param:
    case State::csi_intermediate:
    case State::csi_ignore:
        csi_byte(byte);
        return;
    case State::osc:
        if (byte == bel) {
            end_osc();
        } else if (byte == esc) {
            state_ = State::osc_escape;
        } else if (byte >= 0x20 && osc_length_ < max_osc) {
            osc_[osc_length_++] = static_cast<char>(byte);
        }
        return;
    case State::osc_escape:
        // ESC \ ends the command; ESC and anything else ends it too and
        // begins a new sequence.
        end_osc();
        if (byte != '\\') {
            state_ = State::escape;
            intermediate_ = 0;
            escape_byte(byte);
        }
        return;
    case State::string:
        if (byte == esc)
            state_ = State::string_escape;
        return;
    case State::string_escape:
        state_ = byte == '\\' ? State::ground : byte == esc ? State::string_escape : State::string;
        return;
    }
}

void SequenceParser::take_utf8(uint8_t byte)
{
    if (utf8_length_ != 0) {
        if (utf8_continues(utf8_lead_, utf8_index_, byte)) {
            utf8_code_ = (utf8_code_ << 6) | (byte & 0x3F);
            if (++utf8_index_ == utf8_length_) {
                utf8_length_ = 0;
                events_->print(utf8_code_);
            }
            return;
        }
        // A broken character shows as one replacement, and the byte that
        // broke it is read afresh.
        utf8_length_ = 0;
        events_->print(replacement);
        take(byte);
        return;
    }
    int length = utf8_sequence_length(byte);
    if (length < 2) {
        events_->print(replacement);
        return;
    }
    utf8_lead_ = byte;
    utf8_length_ = length;
    utf8_index_ = 1;
    utf8_code_ = byte & (0x7F >> length);
}

void SequenceParser::escape_byte(uint8_t byte)
{
    if (byte < 0x20) {
        if (byte == esc)
            intermediate_ = 0;
        else
            events_->control(byte);  // a control inside a sequence acts at once
        return;
    }
    if (byte < 0x30) {
        // Only one intermediate is kept; a second still waits for the final.
        if (state_ == State::escape)
            intermediate_ = static_cast<char>(byte);
        state_ = State::escape_intermediate;
        return;
    }
    if (byte == 0x7F)
        return;
    if (state_ == State::escape) {
        switch (byte) {
        case '[':
            begin_csi();
            return;
        case ']':
            osc_length_ = 0;
            state_ = State::osc;
            return;
        case 'P':
        case 'X':
        case '^':
        case '_':
            state_ = State::string;
            return;
        }
    }
    state_ = State::ground;
    if (byte < 0x80)
        events_->escape(intermediate_, static_cast<char>(byte));
}

void SequenceParser::begin_csi()
{
    csi_.leader = 0;
    csi_.intermediate = 0;
    csi_.final = 0;
    csi_.count = 0;
    csi_param_begun_ = false;
    state_ = State::csi_param;
}

void SequenceParser::csi_byte(uint8_t byte)
{
    if (byte < 0x20) {
        if (byte == esc) {
            intermediate_ = 0;
            state_ = State::escape;
        } else {
            events_->control(byte);
        }
        return;
    }
    if (byte >= 0x40 && byte <= 0x7E) {
        bool ignored = state_ == State::csi_ignore;
        state_ = State::ground;
        if (ignored)
            return;
        if (csi_param_begun_ && csi_.count < CsiSequence::max_params)
            ++csi_.count;
        csi_.final = static_cast<char>(byte);
        events_->csi(csi_);
        return;
    }
    if (byte >= 0x80 || byte == 0x7F) {
        if (byte >= 0x80)
            state_ = State::csi_ignore;
        return;
    }
    if (state_ == State::csi_ignore)
        return;
    if (byte < 0x30) {
        csi_.intermediate = static_cast<char>(byte);
        state_ = State::csi_intermediate;
        return;
    }
    // A parameter byte after an intermediate makes the sequence malformed.
    if (state_ == State::csi_intermediate) {
        state_ = State::csi_ignore;
        return;
    }
    if (byte >= '<') {
        if (csi_.count == 0 && !csi_param_begun_ && csi_.leader == 0)
            csi_.leader = static_cast<char>(byte);
        else
            state_ = State::csi_ignore;
        return;
    }
    if (!csi_param_begun_) {
        if (csi_.count < CsiSequence::max_params) {
            csi_.params[csi_.count] = -1;
            csi_.sub[csi_.count] = false;
        }
        csi_param_begun_ = true;
    }
    if (byte == ';' || byte == ':') {
        if (csi_.count < CsiSequence::max_params)
            ++csi_.count;
        if (csi_.count < CsiSequence::max_params) {
            csi_.params[csi_.count] = -1;
            csi_.sub[csi_.count] = byte == ':';
        }
        return;
    }
    if (csi_.count >= CsiSequence::max_params)
        return;
    int& value = csi_.params[csi_.count];
    int digit = byte - '0';
    value = value < 0 ? digit : value * 10 + digit;
    if (value > 65535)
        value = 65535;
}

void SequenceParser::end_osc()
{
    state_ = State::ground;
    events_->osc(osc_, osc_length_);
    osc_length_ = 0;
}
