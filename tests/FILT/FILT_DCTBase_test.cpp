#include "FILT/FILT_DCTBase.h"

#include "GLIB/GLIB_Exception.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {

// Opens the table conversions of the base to the tests.
class Probe : public FILT_DCTBase {
public:
    Probe() : FILT_DCTBase(FILT_DCTEncodeCode) {}
    const char* Name() const override { return "Probe"; }
    void ProcessBytes(FILT_FilterBuffer&, FILT_FilterBuffer&) override {}
    using FILT_DCTBase::HuffTableFromJpeg;
    using FILT_DCTBase::HuffTableToJpeg;
    using FILT_DCTBase::QuantTableFromJpeg;
    using FILT_DCTBase::QuantTableToJpeg;
};

}  // namespace

TEST(FILT_DCTBase, ZigzagOrder) {
    const int32_t start[] = {0, 1, 8, 16, 9, 2, 3, 10, 17, 24};
    for (int32_t k = 0; k < 10; ++k)
        EXPECT_EQ(FILT_DCTBase::ZigzagToNatural(k), start[k]) << k;
    EXPECT_EQ(FILT_DCTBase::ZigzagToNatural(63), 63);
    std::vector<int32_t> all;
    for (int32_t k = 0; k < 64; ++k)
        all.push_back(FILT_DCTBase::ZigzagToNatural(k));
    std::sort(all.begin(), all.end());
    for (int32_t k = 0; k < 64; ++k)
        EXPECT_EQ(all[static_cast<size_t>(k)], k);
}

TEST(FILT_DCTBase, QuantTablesScaleByQFactor) {
    Probe p;
    float table[64] = {};
    table[5] = 16.0f;
    table[6] = 1.25f;
    table[7] = -3.0f;
    table[8] = 1e30f;
    p.SetQuantTable(0, table);
    p.SetQFactor(2.0f);
    unsigned int jpeg[64];
    p.QuantTableToJpeg(0, jpeg);
    EXPECT_EQ(jpeg[FILT_DCTBase::ZigzagToNatural(5)], 32u);
    EXPECT_EQ(jpeg[FILT_DCTBase::ZigzagToNatural(7)], 0u);   // clamped, not undefined
    EXPECT_EQ(jpeg[FILT_DCTBase::ZigzagToNatural(8)], 65535u);
    p.SetQFactor(1.0f);
    p.QuantTableToJpeg(0, jpeg);
    EXPECT_EQ(jpeg[FILT_DCTBase::ZigzagToNatural(6)], 1u);  // 1.75 truncated

    JQUANT_TBL libjpeg;
    for (int32_t k = 0; k < 64; ++k)
        libjpeg.quantval[FILT_DCTBase::ZigzagToNatural(k)] = static_cast<UINT16>(2 * k + 2);
    p.SetQFactor(2.0f);
    p.QuantTableFromJpeg(1, &libjpeg);
    for (int32_t k = 0; k < 64; ++k)
        EXPECT_FLOAT_EQ(p.QuantTable(1)[k], static_cast<float>(k + 1)) << k;
    p.QuantTableFromJpeg(2, nullptr);
    EXPECT_EQ(p.QuantTable(2)[10], 0.0f);
}

TEST(FILT_DCTBase, HuffTablesConvertBothWays) {
    uint8_t table[FILT_DCTBase::HuffTableSize];
    for (int i = 0; i < FILT_DCTBase::HuffTableSize; ++i)
        table[i] = static_cast<uint8_t>(i * 3);
    JHUFF_TBL libjpeg;
    std::memset(&libjpeg, 0xAA, sizeof libjpeg);
    Probe::HuffTableToJpeg(table, &libjpeg);
    EXPECT_EQ(libjpeg.bits[0], 0);
    EXPECT_EQ(libjpeg.bits[1], table[0]);
    EXPECT_EQ(libjpeg.bits[16], table[15]);
    EXPECT_EQ(libjpeg.huffval[0], table[16]);
    EXPECT_EQ(libjpeg.huffval[255], table[271]);
    uint8_t back[FILT_DCTBase::HuffTableSize];
    Probe::HuffTableFromJpeg(back, &libjpeg);
    EXPECT_EQ(std::memcmp(back, table, sizeof back), 0);
    Probe::HuffTableFromJpeg(back, nullptr);
    EXPECT_EQ(back[100], 0);
}

// Parameters out of range throw the filter's exception.
TEST(FILT_DCTBase, SettersRejectValuesOutOfRange) {
    struct Case {
        const char* what;
        void (*set)(Probe&);
    } cases[] = {
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Probe p;
        try {
            c.set(p);
            ADD_FAILURE() << "no exception";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), FILT_DCTEncodeCode);
            EXPECT_EQ(std::string(e.What()).rfind("Probe: ", 0), 0u) << e.What();
        }
    }
    // Calling order is the caller's business.
    Probe p;
    EXPECT_THROW(p.SetHSamples({1}), TestAssertionFailure);
    EXPECT_THROW(p.SetACHuffTableMap({0}), TestAssertionFailure);
}

TEST(FILT_DCTBase, QualityPresets) {
    Probe p;
    p.SetColors(4);
    p.SetQFactor(3.0f);
    p.SetQuality(0);
    const float head0[] = {20, 17, 17, 17, 18};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(p.QuantTable(0)[k], head0[k]);
    EXPECT_TRUE(p.QuantTableSet(1));
    EXPECT_EQ(p.ComponentParams(1).quantTable, 1);
    EXPECT_EQ(p.ComponentParams(3).dcHuffTable, 0);
    EXPECT_EQ(p.ComponentParams(0).hSamples, 2);
    EXPECT_EQ(p.ComponentParams(2).vSamples, 1);
    EXPECT_EQ(p.ColorTransform(), 1);
    EXPECT_EQ(p.QFactor(), 1.0f);
    // A DC table that libjpeg accepts: the counts add up to its symbols.
    int symbols = 0;
    for (int i = 0; i < 16; ++i)
        symbols += p.DCHuffTable(0)[i];
    EXPECT_EQ(symbols, 12);

    Probe single;
    single.SetColors(3);
    single.SetQuality(4);
    const float head4[] = {3, 2, 2, 2, 2};
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(single.QuantTable(0)[k], head4[k]);
    EXPECT_FALSE(single.QuantTableSet(1));
    EXPECT_EQ(single.ComponentParams(2).acHuffTable, 0);
    EXPECT_EQ(single.ColorTransform(), 0);

    LogCapture log;
    Probe other;
    other.SetColors(1);
    other.SetQuality(6);
    EXPECT_TRUE(log.Contains(GLIB_LogError, "Invalid Quality specified in FILT_DCTBase::SetQuality()"));
    EXPECT_FALSE(other.QuantTableSet(0));
}
