#include "FILT/FILT_PredictDecode.h"
#include "FILT/FILT_PredictEncode.h"

#include "FILT_TestData.h"

namespace {

struct Params { int32_t predictor; uint32_t colors, bits, columns; };

}  // namespace

TEST(FILT_Predict, PaethTiesFavourLeftThenUp) {
    const uint8_t cases[][4] = {
        {80, 110, 100, 80},  // pa == pc < pb: a
        {110, 80, 100, 80},  // pb == pc < pa: b
        {5, 15, 10, 10},     // pc smallest: c
        {7, 7, 7, 7},        {0, 100, 0, 100},
        {255, 0, 255, 0},  // pa = 255, pb = 0, pc = 255: b
    };
    for (size_t k = 0; k < std::size(cases); ++k)
        EXPECT_EQ(FILT_Paeth(cases[k][0], cases[k][1], cases[k][2]), cases[k][3]) << k;
}

TEST(FILT_Predict, DecodesHandMadeRows) {
    const struct { Params p; std::string in, out; } cases[] = {
        {{12, 1, 8, 3}, std::string("\x02\x01\x01\x01\x02\x01\x01\x01", 8), "\x01\x01\x01\x02\x02\x02"},  // Up
        {{11, 3, 8, 2}, std::string("\x01\x10\x20\x30\x01\x02\x03", 7), "\x10\x20\x30\x11\x22\x33"},    // Sub
        {{13, 1, 8, 4}, std::string("\x00\x0a\x14\x1e\x28\x03\x05\x05\x05\x05", 10),
         "\x0a\x14\x1e\x28\x0a\x14\x1e\x28"},                                                      // Average
        {{14, 1, 8, 2}, std::string("\x00\x64\x6e\x04\xec\x05", 6), "\x64\x6e\x50\x55"},            // Paeth
        {{15, 1, 8, 2}, std::string("\x00\xff\x01", 3), "\xff\x01"},                                 // None
        {{2, 3, 8, 2}, std::string("\x0a\x14\x1e\x01\x02\x03", 6), "\x0a\x14\x1e\x0b\x16\x21"},     // TIFF
        {{2, 1, 1, 8}, "\x80", "\xff"},
        // Nibbles F, 2, 3 and a padding nibble 5 that passes unchanged.
        {{2, 1, 4, 3}, "\xf2\x35", "\xf1\x45"},
        {{2, 2, 2, 2}, "\x1b", "\x18"},
        {{1, 1, 8, 2}, "abcde", "abcde"},
        {{12, 1, 8, 3}, std::string("\x02\x01\x01\x01\x02\x01", 6), "\x01\x01\x01\x02"},  // a row cut short
        {{10, 1, 8, 3}, std::string("\x00xyz\x00", 5), "xyz"},                             // ends after a tag
        {{15, 3, 8, 4}, "", ""},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        const Params p = cases[k].p;
        ExpectOutput([p] { return std::make_unique<FILT_PredictDecode>(p.predictor, p.colors, p.bits, p.columns); },
                     cases[k].in, cases[k].out, 4);
    }
}

TEST(FILT_Predict, UnknownRowTagThrowsWithOffset) {
    for (const Chunking& ch : StandardChunkings(3)) {
        SCOPED_TRACE(ch.Name());
        FILT_PredictDecode dec(15, 1, 8, 3);
        ExpectThrows([&] { RunFilter(dec, std::string("\0abc\5def", 8), ch); }, 1130012,
                     "Unrecognized PNG Prediction Code detected: 5 Offset: 5");
    }
}

// Zero and huge Columns, Colors and BitsPerComponent, rows whose size
// overflows, TIFF with 16 bits: refused before any allocation.
TEST(FILT_Predict, ParametersAreCheckedAtConstruction) {
    LogCapture log;
    const Params bad[] = {
        {3, 1, 8, 1},    {16, 1, 8, 1},  {-1, 1, 8, 1},  {7, 1, 8, 1},  {12, 1, 8, 0},
        {12, 0, 8, 1},   {12, 1, 0, 1},  {12, 1, 3, 1},  {12, 1, 32, 1}, {2, 1, 16, 4},
        {12, 257, 8, 1}, {15, 256, 16, 0xFFFFFFFFu},     {12, 4, 16, 0x20000000u},
        {2, 0xFFFFFFFFu, 8, 0xFFFFFFFFu},
    };
    for (size_t k = 0; k < std::size(bad); ++k) {
        SCOPED_TRACE(k);
        const Params& p = bad[k];
        EXPECT_EQ(ThrownCode([&] { FILT_PredictDecode(p.predictor, p.colors, p.bits, p.columns); }), 1130012u);
        EXPECT_EQ(ThrownCode([&] { FILT_PredictEncode(p.predictor, p.colors, p.bits, p.columns); }), 1130013u);
    }
    EXPECT_TRUE(log.Contains(GLIB_LogError, "Unrecognized Prediction: 7"));
    FILT_PredictDecode dec;
    EXPECT_THROW(dec.SetParameters(12, 1, 8, 0), GLIB_Exception);
    EXPECT_EQ(dec.Parameters().predictor, 1);  // a refused set keeps the old values
}

TEST(FILT_Predict, EncoderTagsAndChoices) {
    const std::string twoRows("\x01\x05\x09\x01\x05\x09", 6);
    const struct { int32_t predictor; std::string in, out; } cases[] = {
        {10, twoRows, std::string("\x00\x01\x05\x09\x00\x01\x05\x09", 8)},
        {1, twoRows, twoRows},
        {2, twoRows, std::string("\x01\x04\x04\x01\x04\x04", 6)},
        {11, twoRows, std::string("\x01\x01\x04\x04\x01\x01\x04\x04", 8)},
        {12, twoRows, std::string("\x02\x01\x05\x09\x02\x00\x00\x00", 8)},
        // Sub and Paeth tie on the first row (Sub kept); Up wins the second.
        {15, twoRows, std::string("\x01\x01\x04\x04\x02\x00\x00\x00", 8)},
        {15, std::string(6, '\0'), std::string("\x01\0\0\0\x01\0\0\0", 8)},
        {12, std::string("\x01\x05\x09\x02", 4), std::string("\x02\x01\x05\x09\x02\x01", 6)},  // short last row
        {15, "", ""},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        const int32_t predictor = cases[k].predictor;
        ExpectOutput([predictor] { return std::make_unique<FILT_PredictEncode>(predictor, 1, 8, 3); }, cases[k].in,
                     cases[k].out, 3);
    }
}

TEST(FILT_Predict, RoundTripEveryPredictorAndWidth) {
    unsigned seed = 0;
    for (int32_t predictor : {1, 2, 10, 11, 12, 13, 14, 15}) {
        for (uint32_t bits : {1u, 2u, 4u, 8u, 16u}) {
            for (uint32_t colors : {1u, 3u}) {
                for (uint32_t columns : {1u, 5u, 17u}) {
                    if (predictor == 2 && bits == 16)
                        continue;
                    const FILT_PredictParameters p{predictor, colors, bits, columns};
                    const size_t rowSize = p.RowSize();
                    // Four rows and a part of one; smooth data favours every candidate.
                    const std::string data = MixedBytes(4 * rowSize + rowSize / 2, ++seed);
                    const size_t rows = (data.size() + rowSize - 1) / rowSize;
                    for (const Chunking& ch : StandardChunkings(rowSize)) {
                        SCOPED_TRACE(std::to_string(predictor) + " bits " + std::to_string(bits) + " colors " +
                                     std::to_string(colors) + " columns " + std::to_string(columns) + " " + ch.Name());
                        FILT_PredictEncode enc(predictor, colors, bits, columns);
                        const std::string encoded = RunFilter(enc, data, ch, 2 * data.size() + 64);
                        EXPECT_EQ(encoded.size(), data.size() + (p.IsPNG() ? rows : 0));
                        FILT_PredictDecode dec(predictor, colors, bits, columns);
                        EXPECT_EQ(RunFilter(dec, encoded, ch, 2 * data.size() + 64), data);
                    }
                }
            }
        }
    }
}
