#include "GLOB/GLOB_StreamLexer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <utility>

namespace {

using L = GLOB_StreamLexer;

std::string Format(double x) {
    char out[32];
    std::memset(out, '#', sizeof out);
    const int n = L::FormatFixed(x, out);
    EXPECT_TRUE(n >= 1 && n <= L::MaxFixedChars) << n;
    EXPECT_EQ(out[n], '#');  // nothing past the count, no NUL either
    return std::string(out, static_cast<size_t>(n));
}

TEST(GLOB_StreamLexerNumber, FormatFixedWritesPlainDecimals) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, const char*> cases[] = {
        {2.0, "2"}, {0.1, "0.1"}, {3.14159265, "3.14159"}, {-2.25, "-2.25"}, {100.0, "100"}, {0.0, "0"}, {-0.0, "0"},
        {0.999996, "1"},  // the carry reaches the integer part
        {1.0000156, "1.00002"}, {1.0000144, "1.00001"},  // half up at the fifth decimal
        {-0.000004, "-0"}, {0.000004, "0"}, {0.00001, "0.00001"}, {-9999999.99999, "-9999999.99999"},
        {12345678.5, "9999999.5"}, {1e300, "9999999"}, {-1e300, "-9999999"},
        // Values that are not finite numbers are clamped, not converted.
        {inf, "9999999"}, {-inf, "-9999999"}, {std::numeric_limits<double>::quiet_NaN(), "0"},
    };
    for (const auto& [x, text] : cases)
        EXPECT_EQ(Format(x), text);
}

TEST(GLOB_StreamLexerNumber, ParseFixedAndParseInteger) {
    const std::pair<const char*, double> fixed[] = {
        {"1.2345675", 1.234568}, {"-.5", -0.5}, {".", 0.0}, {"", 0.0}, {"+1.5", 1.5}, {"3.", 3.0},
        {"0.9999995", 1.0}, {"-0.0000004", 0.0}, {"2.5x7", 2.5}, {"007.250", 7.25},
    };
    for (const auto& [text, value] : fixed)
        EXPECT_NEAR(L::ParseFixed(text), value, 1e-12) << text;
    const double huge = L::ParseFixed(std::string(400, '9').c_str());
    EXPECT_TRUE(std::isfinite(huge) && huge > 1e38);
    // Integers beyond 32 bits are clamped, never wrapped.
    const std::pair<const char*, int32_t> integers[] = {
        {"-", 0}, {"+7", 7}, {"-42", -42}, {"12a", 12}, {"2147483648", INT32_MAX}, {"-2147483649", INT32_MIN},
        {"4294967297", INT32_MAX}, {"99999999999999999999999999", INT32_MAX},
    };
    for (const auto& [text, value] : integers)
        EXPECT_EQ(L::ParseInteger(text), value) << text;
}

TEST(GLOB_StreamLexerNumber, RandomValuesRoundTripWithin1e5) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> value(-32767.0, 32767.0);
    for (int i = 0; i < 100000; ++i) {
        const double x = value(random);
        char out[32];
        out[L::FormatFixed(x, out)] = 0;
        ASSERT_NEAR(L::ParseFixed(out), x, 1e-5) << out;
        ASSERT_EQ(std::strchr(out, 'e'), nullptr) << out;
    }
}

}  // namespace
