// The number text of PDF syntax: FormatFixed writes every real number the
// system writes; ParseFixed and ParseInteger read number tokens.
#include "GLOB/GLOB_StreamLexer.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// Integer parts at or above this are written as 9999999.
constexpr int64_t FixedIntegerLimit = 10000000;
// Units of the last written decimal in one.
constexpr double FractionScale = 100000.0;
// From 2^52 on every double is a whole number.
constexpr double AllWhole = 4503599627370496.0;
// Magnitude at which a parsed real stops growing (the largest PDF real).
constexpr double MaxFixedMagnitude = 3.402823466e38;
// Past 2^32 an integer is out of range whatever digits follow.
constexpr int64_t IntegerSaturation = int64_t{1} << 32;

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
    int64_t i = FixedIntegerLimit;
    int64_t f = 0;
    // From 2^52 on a double has no fraction (and may have no 64-bit integer
    // value); whatever is clamped here is written as 9999999 below.
    if (x < AllWhole) {
        const double whole = std::trunc(x);
        const double fraction = x - whole;
        // Half up, decided on the exact product: fma gives what the
        // multiplication rounded away, so a value just below a half is never
        // taken for one.
        const double scaled = fraction * FractionScale;
        const double lost = std::fma(fraction, FractionScale, -scaled);
        const double below = std::floor(scaled);
        i = static_cast<int64_t>(whole);
        f = static_cast<int64_t>(below);
        if ((scaled - below) - 0.5 >= -lost)
            ++f;
        if (f == static_cast<int64_t>(FractionScale)) {
            ++i;
            f = 0;
        }
    }
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
        int64_t scale = static_cast<int64_t>(FractionScale) / 10;  // the first decimal
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
    const char* end = p;
    bool wholePart = false;
    for (; IsDigit(*end); ++end)
        wholePart = wholePart || *end != '0';
    if (*end == '.')
        for (++end; IsDigit(*end); ++end) {
        }
    // Every digit counts: a value rounded here and again to the writer's
    // five decimals could move by more than half a written digit.
    double value = 0.0;
    if (std::from_chars(p, end, value, std::chars_format::fixed).ec == std::errc::result_out_of_range)
        value = wholePart ? MaxFixedMagnitude : 0.0;
    return sign * std::min(value, MaxFixedMagnitude);
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
