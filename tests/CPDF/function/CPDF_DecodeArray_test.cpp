#include "CPDF/function/CPDF_DecodeArray.h"

#include "CPDF/CPDF_TestUtil.h"

#include <gtest/gtest.h>

#include <random>

TEST(CPDF_DecodeArray, ReadsEvenArraysOfNumbers) {
    const struct {
        const char* object;
        const char* result;
    } cases[] = {
        {"[0 1 1 0]", "Decode: [ ( 0 1 )( 1 0 ) ]"},
        {"[]", "Decode: [  ]"},
        {"[0 1 2]", "A decode array must be of even length, found 3\n"},
        {"[0 /A]", "A decode array must have numeric entries. Found, in position 1: /A\n"},
        {"[0 (s) 1]",
         "A decode array must be of even length, found 3\n"
         "A decode array must have numeric entries. Found, in position 1: (s)\n"},
        {"<< >>", "A decode array must be an Array, found Dict\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadBack<CPDF_DecodeArray>(Obj(c.object), 1128005), c.result) << c.object;
    EXPECT_EQ(Streamed(CPDF_DecodeArray()), "Decode: [ ( 0 1 ) ]");
    EXPECT_EQ(Streamed(CPDF_DecodeArray(3)), "Decode: [ ( 0 1 )( 0 1 )( 0 1 ) ]");
}

TEST(CPDF_DecodeArray, DecodesAndEncodesSamples) {
    const double pairs[] = {0, 1, 1, 0, 2, 2};
    const CPDF_DecodeArray decode(pairs, 3);
    EXPECT_EQ(decode.Decode(255, 0, 8), 1.0);
    EXPECT_EQ(decode.Decode(0, 0, 8), 0.0);
    EXPECT_EQ(decode.Decode(255, 1, 8), 0.0);
    EXPECT_EQ(decode.Decode(0, 1, 8), 1.0);
    EXPECT_EQ(decode.Decode(4294967295u, 0, 32), 1.0);
    EXPECT_EQ(decode.Decode(4294967295u, 1, 32), 0.0);
    const struct {
        double value;
        unsigned index, bits, sample;
    } encodings[] = {
        {0.5, 0, 8, 128},          // 127.5 + 0.5
        {-0.1, 0, 8, 0},           {1.2, 0, 8, 255},   {0.5, 0, 1, 1},   {0.49, 0, 1, 0},
        {0.25, 1, 8, 191},         // inverted: t = 0.75
        {1, 0, 32, 4294967295u},   {std::nan(""), 0, 8, 0},
        {2, 2, 8, 0},              // no width: at Dmin 0, above it the top
        {2.01, 2, 8, 255},         {1.99, 2, 16, 0},
    };
    for (const auto& e : encodings) {
        SCOPED_TRACE(testing::Message() << e.value << " pair " << e.index << " at " << e.bits);
        EXPECT_EQ(decode.Encode(e.value, e.index, e.bits), e.sample);
    }
    EXPECT_EQ(CPDF_DecodeArray::MaxIntValue(1), 1u);
    EXPECT_EQ(CPDF_DecodeArray::MaxIntValue(12), 4095u);
    EXPECT_EQ(CPDF_DecodeArray::MaxIntValue(32), 4294967295u);
    EXPECT_EQ(Thrown([] { CPDF_DecodeArray::MaxIntValue(33); }).substr(0, 7), "assert ");
    EXPECT_EQ(Thrown([&] { decode.Decode(0, 3, 8); }).substr(0, 7), "assert ");
}

TEST(CPDF_DecodeArray, DecodeThenEncodeGivesTheSampleBackAtEveryWidth) {
    const double pairs[] = {0, 1, 1, 0, -3, 7.25, 0.001, 0.002};
    const CPDF_DecodeArray decode(pairs, 4);
    std::mt19937 random(12);
    for (unsigned bits = 1; bits <= 32; ++bits) {
        const unsigned max = CPDF_DecodeArray::MaxIntValue(bits);
        std::vector<unsigned> samples = {0, max, max / 2, max - (max > 0 ? 1 : 0)};
        for (int i = 0; i < 16; ++i)
            samples.push_back(std::uniform_int_distribution<unsigned>(0, max)(random));
        while (samples.size() % 4 != 0)
            samples.push_back(1);
        const unsigned pixels = static_cast<unsigned>(samples.size() / 4);
        std::vector<double> values(samples.size());
        std::vector<unsigned> back(samples.size());
        decode.DecodeSamples(samples.data(), values.data(), bits, pixels);
        decode.EncodeSamples(values.data(), back.data(), bits, pixels);
        EXPECT_EQ(back, samples) << bits << " bits";
        for (size_t k = 0; k < samples.size(); ++k)
            EXPECT_EQ(decode.Decode(samples[k], k % 4, bits), values[k]);
    }
}

TEST(CPDF_DecodeArray, ComparesWithinTolerance) {
    const CPDF_DecodeArray a(Obj("[0 1 0 1]"));
    EXPECT_EQ(a, CPDF_DecodeArray(Obj("[0.0000001 1 0 1]")));
    EXPECT_EQ(a, CPDF_DecodeArray(2));
    EXPECT_NE(a, CPDF_DecodeArray(Obj("[0 1 0 1.000002]")));
    EXPECT_NE(a, CPDF_DecodeArray(1));
}
