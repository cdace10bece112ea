#include "FILT/FILT_DCTEncode.h"

#include "FILT_DCTTestJpeg.h"
#include "FILT_TestData.h"

namespace {

using dcttest::JpegInfo;

std::unique_ptr<FILT_DCTEncode> Make(int colors, int columns, int rows, int colorTransform = -1, int quality = -1) {
    auto e = std::make_unique<FILT_DCTEncode>();
    e->SetColors(colors);
    e->SetColumns(columns);
    e->SetRows(rows);
    if (colorTransform >= 0)
        e->SetColorTransform(colorTransform);
    if (quality >= 0)
        e->SetQuality(quality);
    return e;
}

// Decodes jpeg with libjpeg; the mean absolute difference to the source,
// and its largest.
double Difference(const std::string& jpeg, const std::string& source, JpegInfo* info, int* largest = nullptr) {
    const std::string decoded = dcttest::LibjpegDecode(jpeg, JCS_UNKNOWN, info);
    EXPECT_EQ(decoded.size(), source.size()) << info->error;
    double sum = 0;
    for (size_t i = 0; i < decoded.size() && i < source.size(); ++i) {
        const int d = std::abs(static_cast<uint8_t>(decoded[i]) - static_cast<uint8_t>(source[i]));
        sum += d;
        if (largest)
            *largest = std::max(*largest, d);
    }
    return decoded.size() == source.size() ? sum / static_cast<double>(source.size()) : 1e9;
}

}  // namespace

// The colour space follows Colors, ColorTransform and the quality preset;
// libjpeg decodes the data back to the source within a bounded error; the
// data is the same whatever the cut of input and output.
TEST(FILT_DCTEncode, ColourSpacesRoundTripAndChunkInvariance) {
    const struct { int colors, colorTransform, quality; J_COLOR_SPACE space; } cases[] = {
        {1, -1, -1, JCS_GRAYSCALE}, {3, -1, -1, JCS_YCbCr}, {3, 1, -1, JCS_YCbCr}, {3, 0, -1, JCS_RGB},
        {4, 1, -1, JCS_YCCK},       {4, 0, -1, JCS_CMYK},   {4, -1, -1, JCS_CMYK}, {2, -1, -1, JCS_UNKNOWN},
        {4, -1, 2, JCS_YCCK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.colors) + " " + std::to_string(c.colorTransform) + " " +
                     std::to_string(c.quality));
        const std::string source = dcttest::SourceImage(45, 37, c.colors, 11);
        const std::string jpeg = RunFilter(*Make(c.colors, 45, 37, c.colorTransform, c.quality), source, {{0}, {0}});
        JpegInfo info;
        int largest = 0;
        EXPECT_LT(Difference(jpeg, source, &info, &largest), 3.0);
        EXPECT_LT(largest, 40);
        EXPECT_EQ(info.components, c.colors);
        EXPECT_EQ(info.space, c.space);
        EXPECT_EQ(info.width * 100 + info.height, 4537);
        EXPECT_TRUE(c.quality < 0 || info.hSamples == std::vector<int>({2, 1, 1, 2}));
        for (const Chunking& ch : StandardChunkings(static_cast<size_t>(45 * c.colors))) {
            SCOPED_TRACE(ch.Name());
            EXPECT_TRUE(RunFilter(*Make(c.colors, 45, 37, c.colorTransform, c.quality), source, ch, 1u << 16) == jpeg);
        }
    }
}

// Sampling, quantisation and Huffman tables come from the parameters; slots
// and indices not given are libjpeg's, written back into the parameter set.
TEST(FILT_DCTEncode, TablesAndSamplingFromParameters) {
    auto e = Make(3, 64, 48, 1);
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
    uint8_t dc[FILT_DCTBase::HuffTableSize] = {0, 0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                0, 1, 2, 3, 4,  5, 6, 7, 8, 9, 10, 11};  // twelve 4-bit codes
    e->SetDCHuffTable(0, dc);
    e->SetDCHuffTableMap({0, 0, 0});
    const std::string source = dcttest::SourceImage(64, 48, 3, 8);
    JpegInfo info;
    EXPECT_LT(Difference(RunFilter(*e, source, {{0}, {0}}), source, &info), 12.0);
    EXPECT_EQ(info.hSamples, (std::vector<int>{2, 1, 1}));
    EXPECT_EQ(info.vSamples, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(info.quantTableNo, (std::vector<int>{0, 1, 1}));
    for (int k = 0; k < 64; ++k) {
        const unsigned natural = static_cast<unsigned>(FILT_DCTBase::ZigzagToNatural(k));
        EXPECT_EQ(info.quant[0][natural], std::min(255u, static_cast<unsigned>(luma[k] * 2 + 0.5f))) << k;
        EXPECT_EQ(info.quant[1][natural], std::min(255u, static_cast<unsigned>(chroma[k] * 2 + 0.5f))) << k;
    }
    EXPECT_EQ(info.dcBits[0][4], 12);
    EXPECT_FALSE(e->QuantTableSet(2));
    EXPECT_EQ(e->ComponentParams(1).acHuffTable, 1);
    EXPECT_EQ(e->ComponentParams(0).acHuffTable, 0);

    // Without sampling parameters every component is sampled 1 by 1; table
    // 1 not given is libjpeg's, divided by QFactor.
    auto d = Make(3, 20, 20);
    d->SetQuantTable(0, std::vector<float>(64, 10.0f).data());
    d->SetQFactor(0.5f);
    const std::string small = dcttest::SourceImage(20, 20, 3, 1);
    JpegInfo dInfo;
    Difference(RunFilter(*d, small, {{0}, {0}}), small, &dInfo);
    EXPECT_EQ(dInfo.hSamples, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(dInfo.vSamples, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(d->ComponentParams(1).quantTable, 1);
    EXPECT_EQ(d->ComponentParams(2).dcHuffTable, 1);
    EXPECT_EQ(dInfo.quant[0][0], 5u);
    for (int k = 0; k < 64; ++k)
        EXPECT_FLOAT_EQ(d->QuantTable(1)[k], dInfo.quant[1][FILT_DCTBase::ZigzagToNatural(k)] / 0.5f) << k;
}

TEST(FILT_DCTEncode, FailuresThrow1130008) {
    LogCapture quiet;
    for (const Chunking& c : StandardChunkings(30))  // input one row short, cut at any point
        ExpectThrows([&] { RunFilter(*Make(3, 10, 16), dcttest::SourceImage(10, 15, 3, 1) + "\x01\x02", c); }, 1130008,
                     "Insufficient data passed to JPEG encoder. Expecting 16 lines, received 15");
    FILT_DCTEncode noSize;
    noSize.SetColors(3);
    ExpectThrows([&] { RunFilter(noSize, "abc", {{0}, {0}}); }, 1130008, "Colors, Columns and Rows must be given");
    auto sampling = Make(3, 16, 16);  // 4 x 4 sampling of one of three components: too many blocks
    sampling->SetHSamples({4, 1, 1});
    sampling->SetVSamples({4, 1, 1});
    ExpectThrows([&] { RunFilter(*sampling, dcttest::SourceImage(16, 16, 3, 1), {{0}, {0}}); }, 1130008,
                 "Sampling factors too large");
    auto huffman = Make(1, 16, 16);  // three codes of length 1 is no Huffman table
    const uint8_t bad[FILT_DCTBase::HuffTableSize] = {3};
    huffman->SetACHuffTable(0, bad);
    ExpectThrows([&] { RunFilter(*huffman, dcttest::SourceImage(16, 16, 1, 1), {{0}, {0}}); }, 1130008,
                 "Bogus Huffman table");
}
