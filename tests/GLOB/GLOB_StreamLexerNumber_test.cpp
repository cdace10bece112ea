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
        {1.0000156, "1.00002"}, {1.0000144, "1.00001"}, {0.015625, "0.01563"},  // half up at the fifth decimal
        // The doubles nearest 0.123455 and 0.000005 lie just below them,
        // the next ones up just above.
        {0.123455, "0.12345"}, {0.12345500000000001, "0.12346"}, {4.9999999999999996e-06, "0"}, {5e-06, "0.00001"},
        {-0.000004, "-0"}, {0.000004, "0"}, {0.00001, "0.00001"}, {-9999999.99999, "-9999999.99999"},
        {12345678.5, "9999999.5"}, {1e300, "9999999"}, {-1e300, "-9999999"},
        // Values that are not finite numbers are clamped, not converted.
        {inf, "9999999"}, {-inf, "-9999999"}, {std::numeric_limits<double>::quiet_NaN(), "0"},
    };
    for (const auto& [x, text] : cases)
        EXPECT_EQ(Format(x), text);
}

TEST(GLOB_StreamLexerNumber, ParseFixedAndParseInteger) {
    const std::string tiny = "0." + std::string(400, '0') + "1";
    const std::pair<const char*, double> fixed[] = {
        {"1.2345675", 1.2345675}, {"-.5", -0.5}, {".", 0.0}, {"", 0.0}, {"+1.5", 1.5}, {"3.", 3.0},
        {"0.9999995", 0.9999995}, {"-0.0000004", -0.0000004}, {"2.5x7", 2.5}, {"007.250", 7.25},
        {"91.2742951", 91.2742951}, {tiny.c_str(), 0.0},
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

// decimal (a sign, digits, "." and digits) rounded half up to five
// decimals, as FormatFixed writes it; "" for an exact half.
std::string Rounded(const std::string& decimal) {
    const bool negative = decimal[0] == '-';
    const size_t point = decimal.find('.');
    std::string fraction = decimal.substr(point + 1) + "000000";
    int64_t units = std::stoll(decimal.substr(negative, point - negative) + fraction.substr(0, 5));
    if (fraction.find_first_not_of('0', 6) == std::string::npos && fraction[5] == '5')
        return "";
    units += fraction[5] >= '5';
    std::string text = std::to_string(units / 100000);
    if (units % 100000) {
        const std::string decimals = std::to_string(100000 + units % 100000).substr(1);
        text += "." + decimals.substr(0, decimals.find_last_not_of('0') + 1);
    }
    return (negative ? "-" : "") + text;
}

// Random doubles against glibc's exact digits, and random decimal texts read
// and written: the nearest five decimals, and the same text once more when
// the written one is read and written again.
TEST(GLOB_StreamLexerNumber, RandomValuesAreWrittenToTheNearestFiveDecimals) {
    std::mt19937 random(2024);
    std::uniform_real_distribution<double> value(-32767.0, 32767.0);
    std::uniform_int_distribution<int64_t> digits(1, 9999999999999999);
    for (int i = 0; i < 50000; ++i) {
        char exact[160];
        const double x = i % 2 ? value(random) : value(random) / 1e4;
        std::snprintf(exact, sizeof exact, "%.100f", x);
        std::string decimal = std::to_string(digits(random));
        decimal.insert(decimal.size() > 9 ? decimal.size() - 9 : 0, decimal.size() > 9 ? "." : "0.");
        if (i % 3 == 0)
            decimal = "-" + decimal;
        const std::string ofDouble = Format(x);
        ASSERT_EQ(ofDouble, Rounded(exact)) << exact;
        const std::string ofText = Format(L::ParseFixed(decimal.c_str()));
        const std::string expected = Rounded(decimal);
        if (!expected.empty()) {
            ASSERT_EQ(ofText, expected) << decimal;
        }
        ASSERT_EQ(Format(L::ParseFixed(ofText.c_str())), ofText) << decimal;
    }
}

}  // namespace
