#include "script/line_pattern.h"
#include <cstring>
#include "text/escapes.h"

namespace {

enum Op : uint8_t {
    op_byte, op_any, op_class, op_line_start, op_line_end, op_word_edge, op_not_word_edge,
    op_split, op_jump, op_save, op_match,
};

bool is_word(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool is_space(unsigned char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The sets of \d, \w and \s, by their letter; false for another letter.
bool add_named_set(char letter, uint8_t* set)
{
    char lower = static_cast<char>(letter | 0x20);
    if (lower != 'd' && lower != 'w' && lower != 's')
        return false;
    bool negated = letter != lower;
    for (int c = 0; c < 256; ++c) {
        bool in = lower == 'd' ? c >= '0' && c <= '9' : lower == 'w' ? is_word(c) : is_space(c);
        if (in != negated)
            set[c / 8] |= static_cast<uint8_t>(1 << (c % 8));
    }
    return true;
}

// The most nested groups, and the most times a counted repeat copies its
// part: both keep the compiler's own recursion and the program small.
constexpr int max_nesting = 24;
constexpr int max_count = 100;
constexpr int max_nodes = 400;
// How far one search may go: steps of the program, and nested choices.
constexpr int search_budget = 200000;
constexpr int max_depth = 3000;

}  // namespace

// The pattern read into a tree first, so that a counted repeat can compile
// its part as many times as it needs.
struct LinePattern::Node {
    enum Kind : uint8_t { empty, byte, any, set, assertion, group, concat, alternatives, repeat };
    Kind kind = empty;
    uint8_t value = 0;   // byte: the byte; set: the class; assertion: the op; group: 1..9, 0 none
    bool greedy = true;
    int16_t min = 0;
    int16_t max = 0;     // -1: no limit
    int16_t child = -1;  // the first part of a group, concat, alternatives or repeat
    int16_t next = -1;   // the next part of the same concat or alternatives
};

class LinePattern::Compiler {
public:
    Compiler(LinePattern& pattern, const char* text, int length, char* error)
        : pattern_(pattern), text_(text), length_(length), error_(error)
    {
    }

    bool compile()
    {
        int root = alternatives(0);
        if (root < 0)
            return false;
        if (at_ < length_)
            return fail(text_[at_] == ')' ? "unmatched )" : "unexpected character");
        return emit_node(root) && emit(op_match) >= 0;
    }

private:
    // Keeps the first reason only: what follows an error is not read.
    bool fail(const char* why)
    {
        if (!error_[0]) {
            int n = 0;
            for (; why[n] && n < 63; ++n)
                error_[n] = why[n];
            error_[n] = '\0';
        }
        return false;
    }
    int refuse(const char* why)
    {
        fail(why);
        return -1;
    }
    int node(Node::Kind kind)
    {
        if (node_count_ >= max_nodes) {
            fail("pattern too long");
            return -1;
        }
        nodes_[node_count_] = Node();
        nodes_[node_count_].kind = kind;
        return node_count_++;
    }
    bool more() const { return at_ < length_; }
    char peek() const { return text_[at_]; }

    // a|b|c
    int alternatives(int depth)
    {
        if (depth > max_nesting) {
            fail("groups nested too deep");
            return -1;
        }
        int first = sequence(depth);
        if (first < 0 || !more() || peek() != '|')
            return first;
        int list = node(Node::alternatives);
        if (list < 0)
            return -1;
        nodes_[list].child = static_cast<int16_t>(first);
        int last = first;
        while (more() && peek() == '|') {
            ++at_;
            int next = sequence(depth);
            if (next < 0)
                return -1;
            nodes_[last].next = static_cast<int16_t>(next);
            last = next;
        }
        return list;
    }

    // Quantified atoms one after another, up to | or ) or the end.
    int sequence(int depth)
    {
        int list = node(Node::concat);
        int last = -1;
        while (list >= 0 && more() && peek() != '|' && peek() != ')') {
            int part = quantified(depth);
            if (part < 0)
                return -1;
            if (last < 0)
                nodes_[list].child = static_cast<int16_t>(part);
            else
                nodes_[last].next = static_cast<int16_t>(part);
            last = part;
        }
        return list;
    }

    // A number of a counted repeat; -1 when there is none.
    int number()
    {
        int value = -1;
        while (more() && peek() >= '0' && peek() <= '9') {
            value = (value < 0 ? 0 : value) * 10 + (peek() - '0');
            if (value > max_count)
                value = max_count + 1;
            ++at_;
        }
        return value;
    }

    int quantified(int depth)
    {
        int part = atom(depth);
        if (part < 0 || !more())
            return part;
        int min = 0;
        int max = -1;
        char c = peek();
        if (c == '*' || c == '+' || c == '?') {
            ++at_;
            min = c == '+' ? 1 : 0;
            max = c == '?' ? 1 : -1;
        } else if (c == '{') {
            ++at_;
            min = number();
            if (min < 0)
                return refuse("{ needs a count");
            max = min;
            if (more() && peek() == ',') {
                ++at_;
                max = number();
            }
            if (!more() || peek() != '}')
                return refuse("unclosed {");
            ++at_;
            if (min > max_count || max > max_count)
                return refuse("count above 100");
            if (max >= 0 && max < min)
                return refuse("count out of order");
        } else {
            return part;
        }
        Node::Kind kind = nodes_[part].kind;
        if (kind == Node::assertion)
            return refuse("nothing to repeat");
        int repeat = node(Node::repeat);
        if (repeat < 0)
            return -1;
        nodes_[repeat].child = static_cast<int16_t>(part);
        nodes_[repeat].min = static_cast<int16_t>(min);
        nodes_[repeat].max = static_cast<int16_t>(max);
        if (more() && peek() == '?') {
            ++at_;
            nodes_[repeat].greedy = false;
        }
        if (more() && (peek() == '*' || peek() == '+' || peek() == '?' || peek() == '{'))
            return refuse("nothing to repeat");
        return repeat;
    }

    int new_set(uint8_t*& bits)
    {
        if (pattern_.class_count_ >= max_classes) {
            fail("too many classes");
            return -1;
        }
        int index = pattern_.class_count_++;
        bits = pattern_.classes_[index];
        memset(bits, 0, 32);
        return index;
    }

    // One byte after a backslash outside a class; false for an escape that
    // names something else.
    bool escaped_byte(char c, uint8_t& byte)
    {
        if (c == 'n' || c == 'r' || c == 't' || c == 'f' || c == 'v' || c == '0') {
            byte = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == 'f' ? '\f'
                   : c == 'v' ? '\v' : '\0';
            return true;
        }
        if (c == 'x') {
            int high = at_ + 1 < length_ ? hex_digit_value(text_[at_]) : -1;
            int low = high >= 0 ? hex_digit_value(text_[at_ + 1]) : -1;
            if (low < 0)
                return fail("\\x needs two hex digits");
            at_ += 2;
            byte = static_cast<uint8_t>(high * 16 + low);
            return true;
        }
        bool letter_or_digit = (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z');
        if (letter_or_digit)
            return fail("unsupported escape");
        byte = static_cast<uint8_t>(c);
        return true;
    }

    int atom(int depth)
    {
        char c = text_[at_++];
        int made = -1;
        switch (c) {
        case '(': {
            int group = 0;
            if (at_ + 1 < length_ && peek() == '?') {
                if (text_[at_ + 1] != ':')
                    return refuse("look-arounds are not supported");
                at_ += 2;
            } else {
                if (pattern_.groups_ >= max_groups)
                    return refuse("more than 9 groups");
                group = ++pattern_.groups_;
            }
            int inner = alternatives(depth + 1);
            if (inner < 0)
                return -1;
            if (!more() || peek() != ')')
                return refuse("unclosed (");
            ++at_;
            made = node(Node::group);
            if (made >= 0) {
                nodes_[made].child = static_cast<int16_t>(inner);
                nodes_[made].value = static_cast<uint8_t>(group);
            }
            return made;
        }
        case '[':
            return set_atom();
        case '.':
            return node(Node::any);
        case '^':
        case '$':
            made = node(Node::assertion);
            if (made >= 0)
                nodes_[made].value = c == '^' ? op_line_start : op_line_end;
            return made;
        case '*':
        case '+':
        case '?':
            return refuse("nothing to repeat");
        case '{':
        case '}':
        case ']':
            return refuse("unescaped brace or bracket");
        case '\\': {
            if (!more())
                return refuse("\\ at the end");
            char e = text_[at_++];
            if (e == 'b' || e == 'B') {
                made = node(Node::assertion);
                if (made >= 0)
                    nodes_[made].value = e == 'b' ? op_word_edge : op_not_word_edge;
                return made;
            }
            uint8_t* bits = nullptr;
            if (strchr("dDwWsS", e)) {
                int index = new_set(bits);
                if (index < 0)
                    return -1;
                add_named_set(e, bits);
                made = node(Node::set);
                if (made >= 0)
                    nodes_[made].value = static_cast<uint8_t>(index);
                return made;
            }
            uint8_t byte = 0;
            if (!escaped_byte(e, byte))
                return -1;
            made = node(Node::byte);
            if (made >= 0)
                nodes_[made].value = byte;
            return made;
        }
        default:
            made = node(Node::byte);
            if (made >= 0)
                nodes_[made].value = static_cast<uint8_t>(c);
            return made;
        }
    }

    // [abc], [^a-z0-9_], [\d.]
    int set_atom()
    {
        uint8_t* bits = nullptr;
        int index = new_set(bits);
        if (index < 0)
            return -1;
        bool negated = more() && peek() == '^';
        if (negated)
            ++at_;
        while (more() && peek() != ']') {
            int low = set_member(bits);
            if (low == -2)
                return -1;
            if (low >= 0 && at_ + 1 < length_ && peek() == '-' && text_[at_ + 1] != ']') {
                ++at_;
                int high = set_member(bits);
                if (high == -2)
                    return -1;
                if (high < 0)
                    return refuse("range of a class");
                if (high < low)
                    return refuse("range out of order");
                for (int b = low; b <= high; ++b)
                    bits[b / 8] |= static_cast<uint8_t>(1 << (b % 8));
            } else if (low >= 0) {
                bits[low / 8] |= static_cast<uint8_t>(1 << (low % 8));
            }
        }
        if (!more())
            return refuse("unclosed [");
        ++at_;
        if (negated)
            for (int i = 0; i < 32; ++i)
                bits[i] = static_cast<uint8_t>(~bits[i]);
        int made = node(Node::set);
        if (made >= 0)
            nodes_[made].value = static_cast<uint8_t>(index);
        return made;
    }

    // One member of a class: its byte, -1 for a named set (added to `bits`),
    // -2 for an error.
    int set_member(uint8_t* bits)
    {
        char c = text_[at_++];
        if (c != '\\')
            return static_cast<unsigned char>(c);
        if (!more()) {
            fail("unclosed [");
            return -2;
        }
        char e = text_[at_++];
        if (add_named_set(e, bits))
            return -1;
        if (e == 'b')
            return '\b';
        uint8_t byte = 0;
        return escaped_byte(e, byte) ? byte : -2;
    }

    int emit(uint8_t op, uint8_t byte = 0, int x = 0, int y = 0)
    {
        if (pattern_.count_ >= max_code) {
            fail("pattern too long");
            return -1;
        }
        Instruction& in = pattern_.code_[pattern_.count_];
        in.op = op;
        in.byte = byte;
        in.x = static_cast<int16_t>(x);
        in.y = static_cast<int16_t>(y);
        return pattern_.count_++;
    }
    Instruction& at(int pc) { return pattern_.code_[pc]; }
    int here() const { return pattern_.count_; }

    bool emit_node(int index)
    {
        const Node& n = nodes_[index];
        switch (n.kind) {
        case Node::empty:
            return true;
        case Node::byte:
            return emit(op_byte, n.value) >= 0;
        case Node::any:
            return emit(op_any) >= 0;
        case Node::set:
            return emit(op_class, n.value) >= 0;
        case Node::assertion:
            return emit(n.value) >= 0;
        case Node::group:
            if (n.value && emit(op_save, static_cast<uint8_t>(2 * n.value)) < 0)
                return false;
            if (!emit_node(n.child))
                return false;
            return !n.value || emit(op_save, static_cast<uint8_t>(2 * n.value + 1)) >= 0;
        case Node::concat:
            for (int part = n.child; part >= 0; part = nodes_[part].next)
                if (!emit_node(part))
                    return false;
            return true;
        case Node::alternatives: {
            // Each but the last: split to it or on; every one jumps to the
            // end. Until the end is known the jumps are chained through
            // their targets.
            int last_jump = -1;
            for (int part = n.child; part >= 0; part = nodes_[part].next) {
                int split = nodes_[part].next >= 0 ? emit(op_split) : -2;
                if (split == -1 || !emit_node(part))
                    return false;
                if (split >= 0) {
                    int jump = emit(op_jump, 0, last_jump);
                    if (jump < 0)
                        return false;
                    last_jump = jump;
                    at(split).x = static_cast<int16_t>(split + 1);
                    at(split).y = static_cast<int16_t>(here());
                }
            }
            while (last_jump >= 0) {
                int before = at(last_jump).x;
                at(last_jump).x = static_cast<int16_t>(here());
                last_jump = before;
            }
            return true;
        }
        case Node::repeat:
            return emit_repeat(n);
        }
        return false;
    }

    // The part `min` times, then up to `max - min` more times each optional,
    // or as often as it matches with no limit.
    bool emit_repeat(const Node& n)
    {
        for (int i = 0; i < n.min; ++i)
            if (!emit_node(n.child))
                return false;
        if (n.max < 0) {
            int split = emit(op_split);
            if (split < 0 || !emit_node(n.child) || emit(op_jump, 0, split) < 0)
                return false;
            choose(split, split + 1, here(), n.greedy);
            return true;
        }
        int splits[max_count];
        int split_count = 0;
        for (int i = n.min; i < n.max; ++i) {
            int split = emit(op_split);
            if (split < 0 || !emit_node(n.child))
                return false;
            splits[split_count++] = split;
        }
        for (int i = 0; i < split_count; ++i)
            choose(splits[i], splits[i] + 1, here(), n.greedy);
        return true;
    }

    void choose(int split, int in, int out, bool greedy)
    {
        at(split).x = static_cast<int16_t>(greedy ? in : out);
        at(split).y = static_cast<int16_t>(greedy ? out : in);
    }

    LinePattern& pattern_;
    const char* text_;
    int length_;
    char* error_;
    int at_ = 0;
    Node nodes_[max_nodes];
    int node_count_ = 0;
};

bool LinePattern::compile(const char* text, int length, char* error)
{
    count_ = 0;
    class_count_ = 0;
    groups_ = 0;
    error[0] = '\0';
    Compiler compiler(*this, text, length, error);
    if (compiler.compile())
        return true;
    count_ = 0;
    return false;
}

bool LinePattern::run(int pc, int at, const char* line, int length, int* slots, int& budget,
                      int depth) const
{
    for (;;) {
        if (--budget < 0)
            return false;
        const Instruction& in = code_[pc];
        unsigned char c = at < length ? static_cast<unsigned char>(line[at]) : 0;
        switch (in.op) {
        case op_byte:
            if (at >= length || c != in.byte)
                return false;
            ++pc;
            ++at;
            break;
        case op_any:
            if (at >= length || c == '\n' || c == '\r')
                return false;
            ++pc;
            ++at;
            break;
        case op_class:
            if (at >= length || !(classes_[in.byte][c / 8] & (1 << (c % 8))))
                return false;
            ++pc;
            ++at;
            break;
        case op_line_start:
            if (at != 0)
                return false;
            ++pc;
            break;
        case op_line_end:
            if (at != length)
                return false;
            ++pc;
            break;
        case op_word_edge:
        case op_not_word_edge: {
            bool before = at > 0 && is_word(static_cast<unsigned char>(line[at - 1]));
            bool after = at < length && is_word(c);
            if ((before != after) != (in.op == op_word_edge))
                return false;
            ++pc;
            break;
        }
        case op_jump:
            pc = in.x;
            break;
        case op_split:
            if (depth >= max_depth)
                return false;
            if (run(in.x, at, line, length, slots, budget, depth + 1))
                return true;
            pc = in.y;
            break;
        case op_save: {
            if (depth >= max_depth)
                return false;
            int old = slots[in.byte];
            slots[in.byte] = at;
            if (run(pc + 1, at, line, length, slots, budget, depth + 1))
                return true;
            slots[in.byte] = old;
            return false;
        }
        default:  // op_match
            return true;
        }
    }
}

bool LinePattern::search(const char* line, int length, int* starts, int* ends) const
{
    if (count_ == 0)
        return false;
    int budget = search_budget;
    int slots[2 * (max_groups + 1)];
    for (int start = 0; start <= length && budget > 0; ++start) {
        for (int& slot : slots)
            slot = -1;
        if (run(0, start, line, length, slots, budget, 0)) {
            for (int n = 1; n <= max_groups; ++n) {
                bool whole = slots[2 * n] >= 0 && slots[2 * n + 1] >= 0;
                starts[n] = whole ? slots[2 * n] : -1;
                ends[n] = whole ? slots[2 * n + 1] : -1;
            }
            return true;
        }
    }
    return false;
}
