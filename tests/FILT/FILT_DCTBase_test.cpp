#include "FILT/FILT_DCTBase.h"

#include "FILT_TestData.h"

#include <algorithm>
#include <limits>

namespace {

// Opens the table conversions of the base to the tests.
class Probe : public FILT_DCTBase {
public:
    Probe() : FILT_DCTBase(FILT_DCTEncodeCode) {}
    const char* Name() const override { return "Probe"; }
    void ProcessBytes(FILT_FilterBuffer&, FILT_FilterBuffer&) override {}
    using FILT_DCTBase::QuantTableToJpeg;
};

}  // namespace

TEST(FILT_DCTBase, ZigzagOrderIsAPermutation) {
    std::vector<int32_t> all;
    for (int32_t k = 0; k < 64; ++k)
        all.push_back(FILT_DCTBase::ZigzagToNatural(k));
    EXPECT_EQ(std::vector<int32_t>(all.begin(), all.begin() + 10),
              (std::vector<int32_t>{0, 1, 8, 16, 9, 2, 3, 10, 17, 24}));
    EXPECT_EQ(all[63], 63);
    std::sort(all.begin(), all.end());
    for (int32_t k = 0; k < 64; ++k)
        EXPECT_EQ(all[static_cast<size_t>(k)], k);
}

// Scaled by QFactor, rounded and clamped to libjpeg's range (no undefined
// conversion of a negative or huge float).
TEST(FILT_DCTBase, QuantTablesScaleByQFactor) {
    Probe p;
    float table[64] = {};
    table[5] = 16.0f;
    table[6] = 1.2f;
    table[7] = -3.0f;
    table[8] = 1e30f;
    p.SetQuantTable(0, table);
    p.SetQFactor(2.0f);
    unsigned int jpeg[64];
    p.QuantTableToJpeg(0, jpeg);
    EXPECT_EQ(jpeg[FILT_DCTBase::ZigzagToNatural(5)], 32u);
    EXPECT_EQ(jpeg[FILT_DCTBase::ZigzagToNatural(6)], 2u);  // 2.4 rounded
    EXPECT_EQ(jpeg[FILT_DCTBase::ZigzagToNatural(7)], 0u);
    EXPECT_EQ(jpeg[FILT_DCTBase::ZigzagToNatural(8)], 65535u);
}

TEST(FILT_DCTBase, SettersRejectValuesOutOfRange) {
    const struct { const char* what; void (*set)(Probe&); } cases[] = {
        {"Colors 0", [](Probe& p) { p.SetColors(0); }},
        {"Colors 5", [](Probe& p) { p.SetColors(5); }},
        {"Columns 0", [](Probe& p) { p.SetColumns(0); }},
        {"Columns 65501", [](Probe& p) { p.SetColumns(65501); }},
        {"Rows -1", [](Probe& p) { p.SetRows(-1); }},
        {"ColorTransform 2", [](Probe& p) { p.SetColorTransform(2); }},
        {"QFactor -1", [](Probe& p) { p.SetQFactor(-1.0f); }},
        {"QFactor 2e6", [](Probe& p) { p.SetQFactor(2e6f); }},
        {"QFactor NaN", [](Probe& p) { p.SetQFactor(std::numeric_limits<float>::quiet_NaN()); }},
        {"HSamples 0", [](Probe& p) { p.SetColors(2); p.SetHSamples({1, 0}); }},
        {"VSamples 5", [](Probe& p) { p.SetColors(1); p.SetVSamples({5}); }},
        {"HSamples too few", [](Probe& p) { p.SetColors(3); p.SetHSamples({1, 1}); }},
        {"quant table 4", [](Probe& p) { const float z[64] = {}; p.SetQuantTable(4, z); }},
        {"DC table -1", [](Probe& p) { const uint8_t z[272] = {}; p.SetDCHuffTable(-1, z); }},
        {"AC table 9", [](Probe& p) { const uint8_t z[272] = {}; p.SetACHuffTable(9, z); }},
        {"map to a table not given", [](Probe& p) { p.SetColors(1); p.SetQuantTableMap({2}); }},
        {"map out of range", [](Probe& p) { p.SetColors(1); p.SetDCHuffTableMap({7}); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Probe p;
        std::string message;
        EXPECT_EQ(ThrownCode([&] { c.set(p); }, &message), FILT_DCTEncodeCode);
        EXPECT_EQ(message.rfind("Probe: ", 0), 0u) << message;
    }
    // Calling order is the caller's business.
    Probe p;
    EXPECT_THROW(p.SetHSamples({1}), TestAssertionFailure);
    EXPECT_THROW(p.SetACHuffTableMap({0}), TestAssertionFailure);
    // An unknown quality level is logged and changes nothing.
    LogCapture log;
    p.SetColors(1);
    p.SetQuality(6);
    EXPECT_TRUE(log.Contains(GLIB_LogError, "Invalid Quality specified in FILT_DCTBase::SetQuality()"));
    EXPECT_FALSE(p.QuantTableSet(0));
}
