#include "script/bounded_text.h"

BoundedText& BoundedText::add(const char* text, int length)
{
    for (int i = 0; (length < 0 ? text[i] != '\0' : i < length) && length_ < size_ - 1; ++i)
        out_[length_++] = text[i];
    out_[length_] = '\0';
    return *this;
}

BoundedText& BoundedText::add_number(int64_t number)
{
    char digits[24];
    int count = 0;
    uint64_t rest = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
    do {
        digits[count++] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    } while (rest);
    if (number < 0)
        digits[count++] = '-';
    char in_order[24];
    for (int i = 0; i < count; ++i)
        in_order[i] = digits[count - 1 - i];
    return add(in_order, count);
}
