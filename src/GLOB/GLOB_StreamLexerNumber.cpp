// The number text of PDF syntax: FormatFixed writes every real number the
// system writes; ParseFixed and ParseInteger read number tokens.
#include "GLOB/GLOB_StreamLexer.h"

#include <cmath>

namespace {

// Integer parts at or above this are written as 9999999.
constexpr int64_t FixedIntegerLimit = 10000000;
// Decimals kept when the fraction is taken, one more than are written.
constexpr int64_t FractionScale = 1000000;
// Magnitude at which a parsed real stops growing (the largest PDF real).
constexpr double MaxFixedMagnitude = 3.402823466e38;
// Past 2^32 an integer is out of range whatever digits follow.
constexpr int64_t IntegerSaturation = int64_t{1} << 32;

const double PowersOfTen[] = {1.0, 10.0, 100.0, 1000.0, 10000.0, 100000.0, 1000000.0};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int GLOB_StreamLexer::FormatFixed(double x, char* out) {
    char* p = out;
    if (std::isnan(x)) {
        *p++ = '0';
        return 1;
    }
    if (!(x >= 0)) {
        *p++ = '-';
        x = -x;
    }
    // Clamp before converting: a double beyond the 64-bit range has no
    // integer value. Whatever is clamped here is written as 9999999 below.
    int64_t i = x >= static_cast<double>(FixedIntegerLimit) ? FixedIntegerLimit : static_cast<int64_t>(x);
    const double fraction = std::isinf(x) ? 0.0 : x - std::trunc(x);
    int64_t f = static_cast<int64_t>(fraction * static_cast<double>(FractionScale));
    // Half up at the fifth decimal, from the sixth (truncated) one.
    f += 5;
    if (f >= FractionScale) {
        ++i;
        f -= FractionScale;
    }
    f /= 10;
    if (i >= FixedIntegerLimit)
        i = FixedIntegerLimit - 1;

    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + i % 10);
        i /= 10;
    } while (i > 0);
    while (n > 0)
        *p++ = digits[--n];

    if (f != 0) {
        *p++ = '.';
        int64_t scale = FractionScale / 100;  // the first of five decimals
        while (f != 0) {
            *p++ = static_cast<char>('0' + f / scale);
            f %= scale;
            scale /= 10;
        }
    }
    return static_cast<int>(p - out);
}

double GLOB_StreamLexer::ParseFixed(const char* text) {
    const char* p = text;
    double sign = 1.0;
    if (*p == '-') {
        sign = -1.0;
        ++p;
    } else if (*p == '+') {
        ++p;
    }
    double i = 0.0;
    for (; IsDigit(*p); ++p) {
        i = i * 10.0 + (*p - '0');
        if (i > MaxFixedMagnitude)
            i = MaxFixedMagnitude;
    }
    int64_t f = 0;
    int n = 0;
    if (*p == '.') {
        ++p;
        for (; n < 6 && IsDigit(*p); ++p, ++n)
            f = f * 10 + (*p - '0');
        if (*p >= '5' && *p <= '9')
            ++f;
    }
    return sign * (i + static_cast<double>(f) / PowersOfTen[n]);
}

int32_t GLOB_StreamLexer::ParseInteger(const char* text) {
    const char* p = text;
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    } else if (*p == '+') {
        ++p;
    }
    int64_t v = 0;
    for (; IsDigit(*p); ++p) {
        v = v * 10 + (*p - '0');
        if (v > IntegerSaturation)
            v = IntegerSaturation;
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}
