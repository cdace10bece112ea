#include "FILT/FILT_PredictDecode.h"
#include "FILT/FILT_PredictEncode.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"
#include "FILT_TestData.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using P = FILT_PredictParameters;

std::string Hex(const std::string& s) {
    static const char digits[] = "0123456789abcdef";
    std::string r;
    for (unsigned char c : s) {
        r += digits[c >> 4];
        r += digits[c & 15];
        r += ' ';
    }
    return r;
}

struct Params {
    int32_t predictor;
    uint32_t colors, bits, columns;
};

// Runs a freshly made decoder; returns the code of its exception, 0 at EOD.
uint32_t DecodeCode(const Params& p, const std::string& data, const Chunking& ch, std::string* message = nullptr) {
    try {
        FILT_PredictDecode dec(p.predictor, p.colors, p.bits, p.columns);
        RunFilter(dec, data, ch, 2 * data.size() + 64);
        return 0;
    } catch (const GLIB_Exception& e) {
        if (message)
            *message = e.What();
        return e.Code();
    }
}

}  // namespace

TEST(FILT_Predict, PaethTiesFavourLeftThenUp) {
    struct Case {
        uint8_t a, b, c, expected;
    };
    const Case cases[] = {
        {80, 110, 100, 80},   // pa == pc < pb: a
        {110, 80, 100, 80},   // pb == pc < pa: b
        {5, 15, 10, 10},      // pc smallest: c
        {7, 7, 7, 7},         // all equal
        {0, 100, 0, 100},     // pb smallest: b
        {255, 0, 255, 0},     // pa = 255, pb = 0, pc = 255: b
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(FILT_Paeth(cases[k].a, cases[k].b, cases[k].c), cases[k].expected);
    }
}

TEST(FILT_Predict, DecodesHandMadeRows) {
    struct Case {
        const char* what;
        Params p;
        std::string in, out;
    };
    const Case cases[] = {
        {"PNG Up", {12, 1, 8, 3}, std::string("\x02\x01\x01\x01\x02\x01\x01\x01", 8), "\x01\x01\x01\x02\x02\x02"},
        {"PNG Sub, 3 colours", {11, 3, 8, 2}, std::string("\x01\x10\x20\x30\x01\x02\x03", 7),
         "\x10\x20\x30\x11\x22\x33"},
        {"PNG Average", {13, 1, 8, 4}, std::string("\x00\x0a\x14\x1e\x28\x03\x05\x05\x05\x05", 10),
         "\x0a\x14\x1e\x28\x0a\x14\x1e\x28"},
        {"PNG Paeth", {14, 1, 8, 2}, std::string("\x00\x64\x6e\x04\xec\x05", 6), "\x64\x6e\x50\x55"},
        {"PNG None and declared 15", {15, 1, 8, 2}, std::string("\x00\xff\x01", 3), "\xff\x01"},
        {"TIFF 8 bits, 3 colours", {2, 3, 8, 2}, std::string("\x0a\x14\x1e\x01\x02\x03", 6),
         "\x0a\x14\x1e\x0b\x16\x21"},
        {"TIFF 1 bit", {2, 1, 1, 8}, "\x80", "\xff"},
        // Nibbles F, 2, 3 and a padding nibble 5 that passes unchanged.
        {"TIFF 4 bits", {2, 1, 4, 3}, "\xf2\x35", "\xf1\x45"},
        {"TIFF 2 bits, 2 colours", {2, 2, 2, 2}, "\x1b", "\x18"},
        {"none", {1, 1, 8, 2}, "abcde", "abcde"},
        {"PNG Up, a row cut short", {12, 1, 8, 3}, std::string("\x02\x01\x01\x01\x02\x01", 6), "\x01\x01\x01\x02"},
        {"PNG, input ends after a tag", {10, 1, 8, 3}, std::string("\x00xyz\x00", 5), "xyz"},
        {"empty", {15, 3, 8, 4}, "", ""},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings(4)) {
            SCOPED_TRACE(std::string(cases[k].what) + " " + ch.Name());
            FILT_PredictDecode dec(cases[k].p.predictor, cases[k].p.colors, cases[k].p.bits, cases[k].p.columns);
            EXPECT_EQ(Hex(RunFilter(dec, cases[k].in, ch, 64)), Hex(cases[k].out));
        }
    }
}

TEST(FILT_Predict, UnknownRowTagThrowsWithOffset) {
    LogCapture log;
    const std::string data("\x00" "abc" "\x05" "def", 8);
    for (const Chunking& ch : StandardChunkings(3)) {
        SCOPED_TRACE(ch.Name());
        std::string message;
        EXPECT_EQ(DecodeCode({15, 1, 8, 3}, data, ch, &message), 1130012u);
        EXPECT_EQ(message, "Unrecognized PNG Prediction Code detected: 5 Offset: 5");
    }
    FILT_PredictDecode dec(12, 1, 8, 3);
    TestBuffer in(data, true), out("", false, 16);
    EXPECT_THROW(dec.ProcessBytes(in.buf, out.buf), GLIB_Exception);
    try {
        dec.ProcessBytes(in.buf, out.buf);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1130012u);
        EXPECT_STREQ(e.What(), "FILT_PredictDecode: ProcessBytes called while in the Error state");
    }
}

TEST(FILT_Predict, ParametersAreCheckedAtConstruction) {
    LogCapture log;
    const Params bad[] = {
        {3, 1, 8, 1},           {16, 1, 8, 1},         {-1, 1, 8, 1},          // unknown predictors
        {12, 1, 8, 0},          {12, 0, 8, 1},         {12, 1, 0, 1},          // zero values
        {12, 1, 3, 1},          {12, 1, 32, 1},        {2, 1, 16, 4},          // widths
        {12, 257, 8, 1},        {15, 256, 16, 0xFFFFFFFFu},                    // huge values
        {12, 4, 16, 0x20000000u},                                              // a row beyond 32 bits
        {2, 0xFFFFFFFFu, 8, 0xFFFFFFFFu},
    };
    for (size_t k = 0; k < std::size(bad); ++k) {
        SCOPED_TRACE(k);
        const Params& p = bad[k];
        try {
            FILT_PredictDecode dec(p.predictor, p.colors, p.bits, p.columns);
            ADD_FAILURE() << "decoder accepted";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), 1130012u);
        }
        try {
            FILT_PredictEncode enc(p.predictor, p.colors, p.bits, p.columns);
            ADD_FAILURE() << "encoder accepted";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), 1130013u);
        }
    }
    EXPECT_THROW(FILT_PredictDecode(7, 1, 8, 1), GLIB_Exception);
    EXPECT_TRUE(log.Contains(GLIB_LogError, "Unrecognized Prediction: 7"));
    FILT_PredictDecode dec;
    EXPECT_THROW(dec.SetParameters(12, 1, 8, 0), GLIB_Exception);
    EXPECT_EQ(dec.Parameters().predictor, 1);  // a refused set keeps the old values
}

TEST(FILT_Predict, EncoderTagsAndChoices) {
    struct Case {
        const char* what;
        Params p;
        std::string in, out;
    };
    const std::string twoRows("\x01\x05\x09\x01\x05\x09", 6);
    const Case cases[] = {
        {"10 tags every row with 0", {10, 1, 8, 3}, twoRows, std::string("\x00\x01\x05\x09\x00\x01\x05\x09", 8)},
        {"1 writes no tags", {1, 1, 8, 3}, twoRows, twoRows},
        {"2 writes no tags", {2, 1, 8, 3}, twoRows, std::string("\x01\x04\x04\x01\x04\x04", 6)},
        {"11 Sub", {11, 1, 8, 3}, twoRows, std::string("\x01\x01\x04\x04\x01\x01\x04\x04", 8)},
        {"12 Up", {12, 1, 8, 3}, twoRows, std::string("\x02\x01\x05\x09\x02\x00\x00\x00", 8)},
        // Sub and Paeth tie on the first row (Sub kept); Up wins the second.
        {"15 chooses", {15, 1, 8, 3}, twoRows, std::string("\x01\x01\x04\x04\x02\x00\x00\x00", 8)},
        {"15, all zero: Sub", {15, 1, 8, 3}, std::string(6, '\0'), std::string("\x01\0\0\0\x01\0\0\0", 8)},
        {"short last row", {12, 1, 8, 3}, std::string("\x01\x05\x09\x02", 4), std::string("\x02\x01\x05\x09\x02\x01", 6)},
        {"empty", {15, 1, 8, 3}, "", ""},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        for (const Chunking& ch : StandardChunkings(3)) {
            SCOPED_TRACE(std::string(cases[k].what) + " " + ch.Name());
            FILT_PredictEncode enc(cases[k].p.predictor, cases[k].p.colors, cases[k].p.bits, cases[k].p.columns);
            EXPECT_EQ(Hex(RunFilter(enc, cases[k].in, ch, 64)), Hex(cases[k].out));
        }
    }
}

TEST(FILT_Predict, EncoderKeepsPartRowWhenEODComesLater) {
    FILT_PredictEncode enc(10, 1, 8, 3);
    TestBuffer in("ABCDE", false), out("", false, 64);
    enc.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), std::string("\0ABC", 4));
    TestBuffer end("", true);
    enc.ProcessBytes(end.buf, out.buf);
    EXPECT_EQ(out.Text(), std::string("\0ABC\0DE", 7));
    EXPECT_TRUE(out.buf.IsEOD());
}

TEST(FILT_Predict, RoundTripEveryPredictorAndWidth) {
    unsigned seed = 0;
    for (int32_t predictor : {1, 2, 10, 11, 12, 13, 14, 15}) {
        for (uint32_t bits : {1u, 2u, 4u, 8u, 16u}) {
            if (predictor == 2 && bits == 16)
                continue;
            for (uint32_t colors : {1u, 3u}) {
                for (uint32_t columns : {1u, 5u, 17u}) {
                    const P p{predictor, colors, bits, columns};
                    const size_t rowSize = p.RowSize();
                    // Four rows and a part of one; smooth data favours every candidate.
                    std::string data = MixedBytes(4 * rowSize + rowSize / 2, ++seed);
                    for (const Chunking& ch : StandardChunkings(rowSize)) {
                        SCOPED_TRACE("predictor " + std::to_string(predictor) + " bits " + std::to_string(bits) +
                                     " colors " + std::to_string(colors) + " columns " + std::to_string(columns) +
                                     " " + ch.Name());
                        FILT_PredictEncode enc(predictor, colors, bits, columns);
                        const std::string encoded = RunFilter(enc, data, ch, 2 * data.size() + 64);
                        const size_t rows = (data.size() + rowSize - 1) / rowSize;
                        EXPECT_EQ(encoded.size(), data.size() + (p.IsPNG() ? rows : 0));
                        FILT_PredictDecode dec(predictor, colors, bits, columns);
                        EXPECT_EQ(RunFilter(dec, encoded, ch, 2 * data.size() + 64), data);
                    }
                }
            }
        }
    }
}
