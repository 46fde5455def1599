#include "text/plot_number.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int scan_decimal_number(const char* text, const char* end)
{
    const char* p = text;
    if (p < end && (*p == '+' || *p == '-'))
        ++p;
    int digits = 0;
    for (; p < end && is_digit(*p); ++p)
        ++digits;
    if (p < end && *p == '.')
        for (++p; p < end && is_digit(*p); ++p)
            ++digits;
    if (!digits)
        return 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        const char* q = p + 1;
        if (q < end && (*q == '+' || *q == '-'))
            ++q;
        if (q < end && is_digit(*q)) {
            while (q < end && is_digit(*q))
                ++q;
            p = q;
        }
    }
    return static_cast<int>(p - text);
}

double decimal_number_value(const char* text, int length)
{
    const char* p = text;
    const char* end = text + length;
    bool negative = *p == '-';
    if (*p == '-' || *p == '+')
        ++p;
    // The texts read are short (at most 31 characters), so the digits fit
    // in a double without overflowing it.
    double mantissa = 0;
    int exponent = 0;
    bool fraction = false;
    for (; p < end && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            fraction = true;
        } else {
            mantissa = mantissa * 10 + (*p - '0');
            exponent -= fraction;
        }
    }
    if (p < end) {
        ++p;
        bool negative_exponent = *p == '-';
        if (*p == '-' || *p == '+')
            ++p;
        int written = 0;
        for (; p < end; ++p)
            if (written < 100000)
                written = written * 10 + (*p - '0');
        exponent += negative_exponent ? -written : written;
    }
    if (!mantissa)
        return 0;
    double scale = 1;
    double power = 10;
    for (unsigned n = static_cast<unsigned>(exponent < 0 ? -exponent : exponent); n; n >>= 1) {
        if (n & 1)
            scale *= power;
        power *= power;
    }
    double value = exponent < 0 ? mantissa / scale : mantissa * scale;
    return negative ? -value : value;
}

int format_count(uint32_t number, char* out)
{
    char reversed[10];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number);
    for (int i = 0; i < n; ++i)
        out[i] = reversed[n - 1 - i];
    return n;
}
