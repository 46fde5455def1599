#pragma once
#include <cstdint>

// Builds a NUL-ended text in a buffer of `size` (at least 1) bytes, cutting
// whatever would not fit.
class BoundedText {
public:
    BoundedText(char* out, int size) : out_(out), size_(size) { out_[0] = '\0'; }
    BoundedText& add(const char* text, int length = -1);
    BoundedText& add_number(int64_t number);
    int length() const { return length_; }

private:
    char* out_;
    int size_;
    int length_ = 0;
};
