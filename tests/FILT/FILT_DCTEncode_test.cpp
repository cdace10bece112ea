#include "FILT/FILT_DCTEncode.h"

#include "FILT_DCTTestJpeg.h"
#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

using dcttest::JpegInfo;

struct Params {
    int colors = 3;
    int columns = 45;
    int rows = 37;
    int colorTransform = -1;  // not set
};

FILT_DCTEncode* Make(const Params& s) {
    FILT_DCTEncode* e = new FILT_DCTEncode;
    e->SetColors(s.colors);
    e->SetColumns(s.columns);
    e->SetRows(s.rows);
    if (s.colorTransform >= 0)
        e->SetColorTransform(s.colorTransform);
    return e;
}

// Mean and largest absolute difference of two equal-size sample strings.
void Difference(const std::string& a, const std::string& b, double* mean, int* largest) {
    ASSERT_EQ(a.size(), b.size());
    double sum = 0;
    *largest = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        const int d = std::abs(static_cast<uint8_t>(a[i]) - static_cast<uint8_t>(b[i]));
        sum += d;
        *largest = std::max(*largest, d);
    }
    *mean = sum / static_cast<double>(a.size());
}

}  // namespace

// The colour space follows Colors and ColorTransform; libjpeg decodes the
// data back to the source within a bounded error.
TEST(FILT_DCTEncode, ColourSpacesAndRoundTrip) {
    struct Case {
        Params setup;
        int components;
        J_COLOR_SPACE space;
    } cases[] = {
        {{1, 45, 37, -1}, 1, JCS_GRAYSCALE}, {{3, 45, 37, -1}, 3, JCS_YCbCr}, {{3, 45, 37, 1}, 3, JCS_YCbCr},
        {{3, 45, 37, 0}, 3, JCS_RGB},         {{4, 45, 37, 1}, 4, JCS_YCCK},  {{4, 45, 37, 0}, 4, JCS_CMYK},
        {{4, 45, 37, -1}, 4, JCS_CMYK},       {{2, 45, 37, -1}, 2, JCS_UNKNOWN},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        const Params& s = cases[i].setup;
        const std::string source = dcttest::SourceImage(s.columns, s.rows, s.colors, 11);
        std::unique_ptr<FILT_DCTEncode> e(Make(s));
        const std::string jpeg = RunFilter(*e, source, {{0}, {0}});
        JpegInfo info;
        const std::string decoded = dcttest::LibjpegDecode(jpeg, JCS_UNKNOWN, &info);
        ASSERT_FALSE(decoded.empty()) << info.error;
        EXPECT_EQ(info.components, cases[i].components);
        EXPECT_EQ(info.space, cases[i].space);
        EXPECT_EQ(info.width, s.columns);
        EXPECT_EQ(info.height, s.rows);
        double mean;
        int largest;
        Difference(decoded, source, &mean, &largest);
        EXPECT_LT(mean, 3.0);
        EXPECT_LT(largest, 40);
    }
}

// The same JPEG data whatever the cut of input and output.
TEST(FILT_DCTEncode, ChunkInvariance) {
    const Params s{3, 70, 33, -1};
    const std::string source = dcttest::SourceImage(s.columns, s.rows, s.colors, 3);
    std::unique_ptr<FILT_DCTEncode> whole(Make(s));
    const std::string expected = RunFilter(*whole, source, {{0}, {0}});
    for (const Chunking& c : StandardChunkings(static_cast<size_t>(s.columns * s.colors))) {
        SCOPED_TRACE(c.Name());
        std::unique_ptr<FILT_DCTEncode> e(Make(s));
        EXPECT_TRUE(RunFilter(*e, source, c, 1u << 16) == expected);
    }
}

// Sampling, quantisation and Huffman tables come from the parameters.
TEST(FILT_DCTEncode, TablesAndSamplingFromParameters) {
    const Params s{3, 64, 48, 1};
    std::unique_ptr<FILT_DCTEncode> e(Make(s));
    e->SetHSamples({2, 1, 1});
    e->SetVSamples({1, 1, 1});
    float luma[64], chroma[64];
    for (int k = 0; k < 64; ++k) {
        luma[k] = 2.0f + static_cast<float>(k) * 1.5f;
        chroma[k] = 4.0f + static_cast<float>(k) * 3.0f;
    }
    e->SetQuantTable(0, luma);
    e->SetQuantTable(1, chroma);
    e->SetQuantTableMap({0, 1, 1});
    e->SetQFactor(2.0f);
    // A DC table of twelve 4-bit codes.
    uint8_t dc[FILT_DCTBase::HuffTableSize] = {};
    dc[3] = 12;
    for (int i = 0; i < 12; ++i)
        dc[16 + i] = static_cast<uint8_t>(i);
    e->SetDCHuffTable(0, dc);
    e->SetDCHuffTableMap({0, 0, 0});
    const std::string source = dcttest::SourceImage(s.columns, s.rows, s.colors, 8);
    const std::string jpeg = RunFilter(*e, source, {{0}, {0}});
    JpegInfo info;
    const std::string decoded = dcttest::LibjpegDecode(jpeg, JCS_UNKNOWN, &info);
    ASSERT_FALSE(decoded.empty()) << info.error;
    EXPECT_EQ(info.hSamples, (std::vector<int>{2, 1, 1}));
    EXPECT_EQ(info.vSamples, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(info.quantTableNo, (std::vector<int>{0, 1, 1}));
    for (int k = 0; k < 64; ++k) {
        SCOPED_TRACE(k);
        const unsigned natural = static_cast<unsigned>(FILT_DCTBase::ZigzagToNatural(k));
        EXPECT_EQ(info.quant[0][natural], std::min(255u, static_cast<unsigned>(luma[k] * 2 + 0.5f)));
        EXPECT_EQ(info.quant[1][natural], std::min(255u, static_cast<unsigned>(chroma[k] * 2 + 0.5f)));
    }
    EXPECT_EQ(info.dcBits[0][4], 12);
    double mean;
    int largest;
    Difference(decoded, source, &mean, &largest);
    EXPECT_LT(mean, 12.0);
    // Slots not given are libjpeg's tables, read back and written into the
    // parameter set; the indices not given become libjpeg's.
    EXPECT_FALSE(e->QuantTableSet(2));
    EXPECT_EQ(e->QuantTable(2)[0], 0.0f);
    EXPECT_EQ(e->ComponentParams(1).acHuffTable, 1);
    EXPECT_EQ(e->ComponentParams(0).acHuffTable, 0);
}

// Without sampling parameters every component is sampled 1 by 1, and the
// indices libjpeg chose are written back.
TEST(FILT_DCTEncode, DefaultsAreWrittenBack) {
    const Params s{3, 20, 20, -1};
    std::unique_ptr<FILT_DCTEncode> e(Make(s));
    float only[64];
    for (float& v : only)
        v = 10.0f;
    e->SetQuantTable(0, only);
    e->SetQFactor(0.5f);
    const std::string jpeg = RunFilter(*e, dcttest::SourceImage(20, 20, 3, 1), {{0}, {0}});
    JpegInfo info;
    ASSERT_FALSE(dcttest::LibjpegDecode(jpeg, JCS_UNKNOWN, &info).empty()) << info.error;
    EXPECT_EQ(info.hSamples, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(info.vSamples, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(e->ComponentParams(0).quantTable, 0);
    EXPECT_EQ(e->ComponentParams(1).quantTable, 1);
    EXPECT_EQ(e->ComponentParams(2).dcHuffTable, 1);
    EXPECT_EQ(info.quant[0][0], 5u);
    // Table 1 was not given: libjpeg's, divided by QFactor.
    for (int k = 0; k < 64; ++k)
        EXPECT_FLOAT_EQ(e->QuantTable(1)[k], info.quant[1][FILT_DCTBase::ZigzagToNatural(k)] / 0.5f) << k;
}

TEST(FILT_DCTEncode, PresetQualityEncodes) {
    const Params s{4, 33, 17, -1};
    std::unique_ptr<FILT_DCTEncode> e(Make(s));
    e->SetQuality(2);
    const std::string source = dcttest::SourceImage(33, 17, 4, 2);
    JpegInfo info;
    const std::string decoded = dcttest::LibjpegDecode(RunFilter(*e, source, {{0}, {0}}), JCS_UNKNOWN, &info);
    ASSERT_FALSE(decoded.empty()) << info.error;
    EXPECT_EQ(info.space, JCS_YCCK);
    EXPECT_EQ(info.hSamples, (std::vector<int>{2, 1, 1, 2}));
}

TEST(FILT_DCTEncode, FailuresThrow1130008) {
    LogCapture quiet;
    auto expectError = [](FILT_DCTEncode& e, const std::string& input, const std::string& text) {
        try {
            RunFilter(e, input, {{0}, {0}});
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& ex) {
            EXPECT_EQ(ex.Code(), FILT_DCTEncodeCode);
            EXPECT_NE(std::string(ex.What()).find(text), std::string::npos) << ex.What();
        }
        // The filter stays failed.
        try {
            RunFilter(e, input, {{0}, {0}});
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& ex) {
            EXPECT_STREQ(ex.What(), "FILT_DCTEncode: ProcessBytes called while in the Error state");
        }
    };
    {
        // Input one row short, cut at any point.
        for (const Chunking& c : StandardChunkings(30)) {
            SCOPED_TRACE(c.Name());
            std::unique_ptr<FILT_DCTEncode> e(Make({3, 10, 16, -1}));
            try {
                RunFilter(*e, dcttest::SourceImage(10, 15, 3, 1) + "\x01\x02", c);
                ADD_FAILURE() << "no exception";
            } catch (const GLIB_Exception& ex) {
                EXPECT_STREQ(ex.What(), "Insufficient data passed to JPEG encoder. Expecting 16 lines, received 15");
            }
        }
    }
    {
        FILT_DCTEncode e;
        e.SetColors(3);
        expectError(e, "abc", "Colors, Columns and Rows must be given");
    }
    {
        // 4 x 4 sampling of the first of three components: too many blocks.
        std::unique_ptr<FILT_DCTEncode> e(Make({3, 16, 16, -1}));
        e->SetHSamples({4, 1, 1});
        e->SetVSamples({4, 1, 1});
        expectError(*e, dcttest::SourceImage(16, 16, 3, 1), "Sampling factors too large");
    }
    {
        // Three codes of length 1 is no Huffman table.
        std::unique_ptr<FILT_DCTEncode> e(Make({1, 16, 16, -1}));
        uint8_t bad[FILT_DCTBase::HuffTableSize] = {3};
        e->SetACHuffTable(0, bad);
        expectError(*e, dcttest::SourceImage(16, 16, 1, 1), "Bogus Huffman table");
    }
}
