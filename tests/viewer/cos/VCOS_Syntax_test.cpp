// The writer's scalar syntax, checked against qpdf's parser.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>

#include <qpdf/QPDFObjectHandle.hh>

#include "viewer/cos/VCOS_Syntax.h"

namespace {

TEST(VCOS_Syntax, RealsArePlainDecimalsWithAPoint) {
    struct Row {
        double value;
        const char* text;
    };
    const Row rows[] = {
        {40000.0, "40000.0"}, {-40000.0, "-40000.0"}, {0.0000001, "0.0000001"}, {0.1, "0.1"},
        {-0.5, "-0.5"},       {0.0, "0.0"},           {1.5, "1.5"},             {123456789.0, "123456789.0"},
        {1e20, "100000000000000000000.0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(VCOS_FormatReal(row.value), row.text);
    }
}

TEST(VCOS_Syntax, RealsReadBackAsTheSameDoubleThroughQpdf) {
    std::mt19937_64 random(31);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    std::uniform_int_distribution<int> exponent(-12, 12);
    for (int i = 0; i < 2000; ++i) {
        const double value = std::ldexp(mantissa(random), exponent(random) * 3);
        const std::string text = VCOS_FormatReal(value);
        SCOPED_TRACE(text);
        ASSERT_EQ(text.find_first_of("eE"), std::string::npos);
        QPDFObjectHandle parsed = QPDFObjectHandle::parse(text);
        ASSERT_TRUE(parsed.isReal());
        ASSERT_EQ(std::strtod(parsed.getRealValue().c_str(), nullptr), value);
    }
}

TEST(VCOS_Syntax, NamesAndStringsReadBackThroughQpdf) {
    const std::string names[] = {"Cyan", "PANTONE 485 M", "a#b", "x/y(z)", "%", std::string("\x01\xFF\x7F", 3), ""};
    for (const std::string& name : names) {
        SCOPED_TRACE(VCOS_FormatName(name));
        QPDFObjectHandle parsed = QPDFObjectHandle::parse(VCOS_FormatName(name));
        ASSERT_TRUE(parsed.isName());
        EXPECT_EQ(parsed.getName(), "/" + name);
    }
    EXPECT_EQ(VCOS_FormatName("PANTONE 485 M"), "/PANTONE#20485#20M");

    std::string allBytes;
    for (int c = 0; c < 256; ++c)
        allBytes += static_cast<char>(c);
    const std::string strings[] = {"", "plain", "a(b)c\\d", "((", "\r\n\t", allBytes};
    for (const std::string& bytes : strings) {
        SCOPED_TRACE(VCOS_FormatString(bytes));
        QPDFObjectHandle parsed = QPDFObjectHandle::parse(VCOS_FormatString(bytes));
        ASSERT_TRUE(parsed.isString());
        EXPECT_EQ(parsed.getStringValue(), bytes);
    }
}

}  // namespace
