#pragma once
#include <cstdint>

// A regular expression matched against one received line, in the
// ECMAScript manner: literals, ., [classes] and [^negated] ones with ranges,
// \d \D \w \W \s \S \b \B, \r \n \t \xHH and \ before any punctuation,
// ^ and $, groups ( ) and (?: ), alternation |, and the quantifiers
// * + ? {n} {n,} {n,m}, each greedy or lazy with a ? after it. Groups 1..9
// are captured. Back references and look-arounds are refused, not ignored.
// It is compiled once into a small program and run by backtracking with a
// bounded number of steps, so that no pattern and no line can hold the
// window: a line that would take longer counts as not matching.
class LinePattern {
public:
    // Compiles `length` characters at `text`. Returns true, or false with
    // `error` (room for 64 characters) saying why, e.g. "unclosed (".
    bool compile(const char* text, int length, char* error);
    // Looks for the pattern anywhere in the `length` bytes at `line`. On a
    // match, group n (1..9) is [starts[n], ends[n]) of `line`, or -1 for a
    // group that took no part.
    bool search(const char* line, int length, int* starts, int* ends) const;
    int groups() const { return groups_; }

    static constexpr int max_groups = 9;
    static constexpr int max_code = 400;
    static constexpr int max_classes = 24;

private:
    struct Instruction {
        uint8_t op;
        uint8_t byte;   // char: the byte; save: the slot; class: the class
        int16_t x;      // split and jump: the first choice
        int16_t y;      // split: the second choice
    };
    struct Node;
    class Compiler;
    bool run(int pc, int at, const char* line, int length, int* slots, int& budget,
             int depth) const;

    Instruction code_[max_code];
    uint8_t classes_[max_classes][32];
    int count_ = 0;
    int class_count_ = 0;
    int groups_ = 0;
};
