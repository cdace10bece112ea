#include "FILT/FILT_8BitFilter.h"

#include "FILT_TestData.h"

TEST(FILT_8BitFilter, ConvertsHandMadeRows) {
    // Expanding (to 8 bits) or packing, samples per row, bits, input, output.
    const struct { bool expand, unscaled; FILT_Size samplesPerRow, bits; std::string in, out; } cases[] = {
        // Rows 101 and 010; the padding bits of each row are skipped.
        {true, false, 3, 1, "\xbf\x5f", std::string("\xff\x00\xff\x00\xff\x00", 6)},
        {true, false, 3, 12, "\xab\xc1\x23\x45\x6f\x98\x76\x54\x32\x1f", "\xab\x12\x45\x98\x65\x32"},
        // A last partial sample is dropped.
        {true, false, 2, 12, "\xab\xc1\x23\x45", "\xab\x12"},
        {true, true, 5, 2, "\x1b\xc0", std::string("\x00\x01\x02\x03\x03", 5)},  // unscaled
        {true, true, 1, 12, "\xab\xcd", "\xab"},
        {true, false, 4, 2, "", ""},
        {false, false, 3, 2, "\xff\x7f\x80\x40\x3f\xc0", "\xd8\x4c"},  // the top bits of each byte
        // Input that ends inside a row gives its samples so far, padded.
        {false, false, 10, 1, "\xff\xff\xff", "\xe0"},
        {false, false, 8, 1, std::string(11, '\xff'), "\xff\xe0"},
    };
    for (const auto& c : cases) {
        for (const Chunking& ch : AllChunkings(2)) {
            SCOPED_TRACE(Hex(c.in) + ch.Name());
            FILT_To8BitFilter to8;
            FILT_From8BitFilter from8;
            to8.Init(c.samplesPerRow, c.bits, c.unscaled);
            from8.Init(c.samplesPerRow, c.bits == 12 ? 4 : c.bits);
            FILT_Filter& filter = c.expand ? static_cast<FILT_Filter&>(to8) : from8;
            EXPECT_EQ(Hex(RunFilter(filter, c.in, ch, 64)), Hex(c.out));
        }
    }
}

// Random images of every width, rows padded with random bits, expanded and
// packed back under every chunking, against the bit-by-bit reference.
TEST(FILT_8BitFilter, ExpandThenPackRoundTrips) {
    unsigned seed = 1;
    for (FILT_Size bits : {1u, 2u, 4u, 12u}) {
        for (FILT_Size samplesPerRow : {1u, 3u, 7u, 8u, 13u, 64u}) {
            std::mt19937 rng(seed++);
            RefBits noisy, clean;
            std::string expanded;
            for (int row = 0; row < 9; ++row) {
                for (FILT_Size i = 0; i < samplesPerRow; ++i) {
                    const uint32_t v = rng() & ((1u << bits) - 1);
                    noisy.Put(v, bits);
                    clean.Put(v, bits);
                    expanded += static_cast<char>(bits == 12 ? v >> 4 : v * (255 / ((1u << bits) - 1)));
                }
                noisy.Put(rng(), static_cast<uint32_t>((8 - noisy.bitCount % 8) % 8));
                clean.Pad();
            }
            for (const Chunking& ch : AllChunkings((samplesPerRow * bits + 7) / 8, seed)) {
                SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(samplesPerRow) + " " + ch.Name());
                FILT_To8BitFilter to8;
                to8.Init(samplesPerRow, bits);
                ASSERT_EQ(Hex(RunFilter(to8, noisy.bytes, ch, 1 << 16)), Hex(expanded));
                if (bits == 12)
                    continue;
                FILT_From8BitFilter from8;
                from8.Init(samplesPerRow, bits);
                ASSERT_EQ(Hex(RunFilter(from8, expanded, ch, 1 << 16)), Hex(clean.bytes));
            }
        }
    }
}

TEST(FILT_8BitFilter, BadParametersThrowAndKeepTheSetUp) {
    FILT_To8BitFilter to8;
    to8.Init(3, 1);
    FILT_From8BitFilter from8;
    from8.Init(3, 1);
    for (FILT_Size bits : {0u, 3u, 8u, 16u, UINT32_MAX}) {
        SCOPED_TRACE(bits);
        EXPECT_EQ(ThrownCode([&] { to8.Init(3, bits); }), FILT_SampleCode);
        EXPECT_EQ(ThrownCode([&] { from8.Init(3, bits); }), FILT_SampleCode);
    }
    EXPECT_EQ(ThrownCode([&] { from8.Init(3, 12); }), FILT_SampleCode);
    EXPECT_EQ(ThrownCode([&] { to8.Init(0, 4); }), FILT_SampleCode);
    EXPECT_EQ(ThrownCode([&] { from8.Init(0, 4); }), FILT_SampleCode);
    const Chunking whole{{0}, {0}};
    EXPECT_EQ(Hex(RunFilter(to8, "\xa0\x40", whole)), Hex(std::string("\xff\x00\xff\x00\xff\x00", 6)));
    EXPECT_EQ(Hex(RunFilter(from8, std::string("\xff\x00\xff\x00\xff\x00", 6), whole)), Hex("\xa0\x40"));
}
