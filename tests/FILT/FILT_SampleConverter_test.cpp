#include "FILT/FILT_SampleConverter.h"

#include "support/TestSupport.h"
#include "FILT_SampleTestData.h"

#include <gtest/gtest.h>

using namespace FILT_SampleTest;

// Packing the samples into "before" gives "after" (other bits kept);
// unpacking "after" gives the samples back.
TEST(FILT_SampleConverter, PacksAndUnpacksHandMadeSamples) {
    struct Case {
        FILT_Size bits, offset;
        std::string before;
        std::vector<uint32_t> samples;
        std::string after;
    };
    const Case cases[] = {
        {4, 0, std::string(2, '\0'), {10, 11, 12}, "\xab\xc0"},
        {4, 4, "\x11\x11", {0xA, 0xB}, "\x1a\xb1"},
        {2, 0, std::string(1, '\0'), {0, 1, 2, 3}, "\x1b"},
        {1, 2, std::string(1, '\0'), {1, 0, 1}, "\x28"},
        {1, 2, "\xff", {1, 0, 1}, "\xef"},
        {12, 0, std::string(3, '\0'), {0xABC, 0x123}, "\xab\xc1\x23"},
        {12, 4, std::string("\x50\x00", 2), {0xABC}, "\x5a\xbc"},
        // An odd last sample leaves the low nibble of its second byte alone.
        {12, 0, std::string("\x00\x07", 2), {0xABC}, "\xab\xc7"},
        {16, 0, std::string(2, '\0'), {0xABCD}, "\xab\xcd"},
        {24, 0, std::string(3, '\0'), {0xABCDEF}, "\xab\xcd\xef"},
        {32, 0, std::string(4, '\0'), {0xDEADBEEF}, "\xde\xad\xbe\xef"},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        const Case& c = cases[k];
        const FILT_Size n = static_cast<FILT_Size>(c.samples.size());
        std::string buf = c.before;
        FILT_ToPackedIntConverter(c.bits).Convert(n, c.samples.data(), U8(buf), c.offset);
        EXPECT_EQ(Hex(buf), Hex(c.after));
        std::vector<uint32_t> back(n);
        FILT_FromPackedIntConverter(c.bits).Convert(n, U8(c.after), c.offset, back.data());
        EXPECT_EQ(back, c.samples);
    }
}

// Against the bit-by-bit reference: every width, every start offset, 1 to
// 19 samples of random values, random bits around them that must survive.
TEST(FILT_SampleConverter, PackThenUnpackRoundTripsEveryWidthAndOffset) {
    std::mt19937 rng(11);
    for (FILT_Size bits : {1u, 2u, 4u, 8u, 12u, 16u, 24u, 32u}) {
        const FILT_Size step = bits == 12 ? 4 : bits < 8 ? bits : 8;
        for (FILT_Size offset = 0; offset < 8; offset += step) {
            for (FILT_Size count = 1; count <= 19; ++count) {
                SCOPED_TRACE(std::to_string(bits) + " bits at " + std::to_string(offset) + ", " +
                             std::to_string(count));
                std::vector<uint32_t> samples(count);
                for (uint32_t& s : samples)
                    s = static_cast<uint32_t>(rng());
                std::string buf((offset + count * bits + 7) / 8 + 1, '\0');
                for (char& c : buf)
                    c = static_cast<char>(rng());
                const uint64_t end = offset + uint64_t(count) * bits;
                RefBits ref;
                ref.Put(RefGet(buf, 0, offset), offset);
                for (uint32_t s : samples)
                    ref.Put(s, bits);
                ref.Put(RefGet(buf, end, static_cast<uint32_t>(buf.size() * 8 - end)),
                        static_cast<uint32_t>(buf.size() * 8 - end));

                EXPECT_EQ(FILT_ToPackedIntConverter(bits).Convert(count, samples.data(), U8(buf), offset), end % 8);
                ASSERT_EQ(Hex(buf), Hex(ref.bytes));
                std::vector<uint32_t> back(count);
                FILT_FromPackedIntConverter(bits).Convert(count, U8(buf), offset, back.data());
                for (FILT_Size i = 0; i < count; ++i)
                    ASSERT_EQ(back[i], samples[i] & ((uint64_t(1) << bits) - 1)) << i;
            }
        }
    }
}

TEST(FILT_SampleConverter, UnsupportedWidthsThrowAndLeaveTheConverterAlone) {
    FILT_FromPackedIntConverter from(8);
    FILT_ToPackedIntConverter to(16);
    FILT_To8BitConverter to8(4);
    FILT_From8BitConverter from8(2);
    for (FILT_Size bits : {0u, 3u, 7u, 33u, 64u, UINT32_MAX}) {
        SCOPED_TRACE(bits);
        EXPECT_EQ(ThrownCode([&] { from.Init(bits); }), FILT_SampleCode);
        EXPECT_EQ(ThrownCode([&] { to.Init(bits); }), FILT_SampleCode);
        EXPECT_EQ(ThrownCode([&] { to8.Init(bits); }), FILT_SampleCode);
        EXPECT_EQ(ThrownCode([&] { from8.Init(bits); }), FILT_SampleCode);
    }
    // 8-bit data needs no conversion; 12 bits are only expanded.
    EXPECT_EQ(ThrownCode([&] { to8.Init(8); }), FILT_SampleCode);
    EXPECT_EQ(ThrownCode([&] { from8.Init(8); }), FILT_SampleCode);
    EXPECT_EQ(ThrownCode([&] { from8.Init(12); }), FILT_SampleCode);
    EXPECT_EQ(from.BitsPerSample() + to.BitsPerSample() + to8.BitsPerPixel() + from8.BitsPerPixel(), 30u);

    std::string message;
    ThrownCode([] { FILT_ToPackedIntConverter c(5); }, &message);
    EXPECT_EQ(message, "FILT_ToPackedIntConverter object cannot be created with 5 bits per Sample.");
    ThrownCode([] { FILT_To8BitConverter c(8); }, &message);
    EXPECT_EQ(message, "FILT_To8BitConverter object cannot be created with 8 bits per pixel.");
}
