#include "GLOB/GLOB_StreamLexer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

std::string Format(double x) {
    char out[32];
    std::memset(out, '#', sizeof out);
    const int n = GLOB_StreamLexer::FormatFixed(x, out);
    EXPECT_GE(n, 1);
    EXPECT_LE(n, GLOB_StreamLexer::MaxFixedChars);
    // Nothing is written past the count, no NUL either.
    EXPECT_EQ(out[n], '#');
    return std::string(out, static_cast<size_t>(n));
}

TEST(GLOB_StreamLexerNumber, FormatFixedWritesPlainDecimals) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double x;
        const char* text;
    } cases[] = {
        {2.0, "2"},
        {0.1, "0.1"},
        {3.14159265, "3.14159"},
        {-2.25, "-2.25"},
        {0.999996, "1"},  // the carry reaches the integer part
        {12345678.5, "9999999.5"},
        {-0.000004, "-0"},
        {0.000004, "0"},
        {100.0, "100"},
        {0.0, "0"},
        {-0.0, "0"},
        {0.00001, "0.00001"},
        {1.0000156, "1.00002"},  // half up at the fifth decimal
        {1.0000144, "1.00001"},
        {-9999999.99999, "-9999999.99999"},
        {72.5, "72.5"},
        {1e300, "9999999"},
        {-1e300, "-9999999"},
        // Values that are not finite numbers are clamped, not converted.
        {inf, "9999999"},
        {-inf, "-9999999"},
        {std::numeric_limits<double>::quiet_NaN(), "0"},
        {std::numeric_limits<double>::max(), "9999999"},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Format(cases[i].x), cases[i].text);
    }
}

TEST(GLOB_StreamLexerNumber, ParseFixedAndParseInteger) {
    const struct {
        const char* text;
        double value;
    } fixed[] = {
        {"1.2345675", 1.234568}, {"-.5", -0.5}, {".", 0.0},     {"", 0.0},          {"+1.5", 1.5},
        {"12", 12.0},            {"3.", 3.0},   {"0.9999995", 1.0}, {"-0.0000004", 0.0}, {"2.5x7", 2.5},
        {"007.250", 7.25},
    };
    for (size_t i = 0; i < sizeof fixed / sizeof fixed[0]; ++i) {
        SCOPED_TRACE(fixed[i].text);
        EXPECT_NEAR(GLOB_StreamLexer::ParseFixed(fixed[i].text), fixed[i].value, 1e-12);
    }
    // A huge integer part stays a finite number.
    const double huge = GLOB_StreamLexer::ParseFixed(std::string(400, '9').c_str());
    EXPECT_TRUE(std::isfinite(huge));
    EXPECT_GT(huge, 1e38);

    const struct {
        const char* text;
        int32_t value;
    } integers[] = {
        {"-", 0}, {"", 0}, {"+", 0}, {"+7", 7}, {"42", 42}, {"-42", -42}, {"12a", 12},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}, {"2147483648", INT32_MAX},
        {"-2147483649", INT32_MIN}, {"4294967297", INT32_MAX}, {"99999999999999999999999999", INT32_MAX},
    };
    for (size_t i = 0; i < sizeof integers / sizeof integers[0]; ++i) {
        SCOPED_TRACE(integers[i].text);
        EXPECT_EQ(GLOB_StreamLexer::ParseInteger(integers[i].text), integers[i].value);
    }
}

TEST(GLOB_StreamLexerNumber, RandomValuesRoundTripWithin1e5) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> value(-32767.0, 32767.0);
    for (int i = 0; i < 100000; ++i) {
        const double x = value(random);
        char out[32];
        const int n = GLOB_StreamLexer::FormatFixed(x, out);
        out[n] = 0;
        const double back = GLOB_StreamLexer::ParseFixed(out);
        ASSERT_NEAR(back, x, 1e-5) << out;
        ASSERT_EQ(std::strchr(out, 'e'), nullptr) << out;
    }
}

}  // namespace
