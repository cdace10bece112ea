#include "FILT/FILT_SampleConverter.h"

#include "FILT_TestData.h"

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

    ExpectThrows([] { FILT_ToPackedIntConverter c(5); }, FILT_SampleCode,
                 "FILT_ToPackedIntConverter object cannot be created with 5 bits per Sample.");
    ExpectThrows([] { FILT_To8BitConverter c(8); }, FILT_SampleCode,
                 "FILT_To8BitConverter object cannot be created with 8 bits per pixel.");
}
