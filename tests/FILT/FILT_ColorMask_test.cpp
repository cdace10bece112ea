#include "FILT/FILT_ColorMask.h"

#include "FILT_TestData.h"

namespace {

struct MaskCase { const char* what; FILT_Size height, width, bits; std::vector<uint32_t> mask; std::string in, out; };

std::string RunMask(const MaskCase& c, const Chunking& ch) {
    FILT_ColorMask filter;
    filter.Init(c.height, c.width, c.bits, c.mask);
    return RunFilter(filter, c.in, ch, c.in.size() + 64);
}

}  // namespace

TEST(FILT_ColorMask, MasksTheChosenPixels) {
    const MaskCase cases[] = {
        {"1-bit gray", 1, 8, 1, {0, 0}, "\x0f", "\xf0"},
        {"8 bits, two components", 1, 3, 8, {10, 20, 0, 255}, std::string("\x0f\x07\x19\x07\x0a\xff", 6), "\xa0"},
        // Rows of 18 bits padded with ones: pixels (1,0,3) (2,0,3) (3,0,3),
        // then (0,0,3) (2,0,2) (1,0,3).
        {"2 bits, three components", 2, 3, 2, {1, 2, 0, 0, 3, 3}, "\x4e\x3c\xff\x0e\x24\xff", std::string("\xc0\x20")},
        {"bounds inclusive", 1, 4, 4, {3, 9}, "\x23\x9a", "\x60"},
        // A short image: the rows so far, the last partial byte padded.
        {"short image", 4, 5, 8, {200, 255}, std::string("\xff\x00\xff\x00\xff\xff\xff", 7), "\xa8\xc0"},
        {"no samples", 2, 3, 8, {0, 9}, "", ""},
        {"bytes after the last row", 1, 8, 1, {0, 0}, "\x0f\x12\x34", "\xf0"},
    };
    for (const MaskCase& c : cases) {
        for (const Chunking& ch : AllChunkings(3)) {
            SCOPED_TRACE(std::string(c.what) + " " + ch.Name());
            EXPECT_EQ(Hex(RunMask(c, ch)), Hex(c.out));
        }
    }
}

// Random images in which about half of the pixels lie in random ranges, rows
// padded with random bits, against a pixel-by-pixel reference.
TEST(FILT_ColorMask, MatchesAPixelByPixelReference) {
    unsigned seed = 100;
    for (FILT_Size bits : {1u, 2u, 4u, 8u}) {
        for (FILT_Size components = 1; components <= 4; ++components) {
            for (FILT_Size width : {1u, 5u, 8u, 11u}) {
                std::mt19937 rng(seed++);
                const uint32_t top = (1u << bits) - 1;
                MaskCase c{"random", 7, width, bits, {}, {}, {}};
                for (FILT_Size i = 0; i < components; ++i) {
                    c.mask.push_back(rng() % (top + 1));
                    c.mask.push_back(c.mask.back() + rng() % (top + 1 - c.mask.back()));
                }
                RefBits samples, stencil;
                for (FILT_Size n = 0; n < c.height * width; ++n) {
                    const bool inside = rng() % 2 == 0;
                    bool matches = true;
                    for (FILT_Size i = 0; i < components; ++i) {
                        const uint32_t lo = c.mask[2 * i], hi = c.mask[2 * i + 1];
                        const uint32_t v = inside ? lo + rng() % (hi - lo + 1) : rng() % (top + 1);
                        matches = matches && lo <= v && v <= hi;
                        samples.Put(v, bits);
                    }
                    stencil.Put(matches, 1);
                    if ((n + 1) % width == 0) {
                        samples.Put(rng(), static_cast<uint32_t>((8 - samples.bitCount % 8) % 8));
                        stencil.Pad();
                    }
                }
                c.in = samples.bytes;
                for (const Chunking& ch : AllChunkings((width * components * bits + 7) / 8, seed)) {
                    SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(components) + " components, " +
                                 std::to_string(width) + " wide, " + ch.Name());
                    ASSERT_EQ(Hex(RunMask(c, ch)), Hex(stencil.bytes));
                }
            }
        }
    }
}

// The input's EOD may come on a call whose output has no room: the last
// partial byte waits for room, and EOD comes with it.
TEST(FILT_ColorMask, EndWaitsForRoomForTheLastByte) {
    FILT_ColorMask filter;
    filter.Init(1, 5, 8, {200, 255});
    TestBuffer in(std::string("\xff\x00\xff", 3)), first("", false, 1), full, last("", false, 4);
    filter.ProcessBytes(in.buf, first.buf);
    EXPECT_FALSE(in.buf.DataAvailable() || first.buf.DataAvailable() || first.buf.IsEOD());
    in.buf.SetEOD();
    filter.ProcessBytes(in.buf, full.buf);
    EXPECT_FALSE(full.buf.IsEOD());
    filter.ProcessBytes(in.buf, last.buf);
    EXPECT_TRUE(last.buf.IsEOD());
    EXPECT_EQ(Hex(last.Text()), Hex("\xa0"));
}

TEST(FILT_ColorMask, BadParametersThrowAndKeepTheSetUp) {
    // An empty or odd mask, too many components, 0, 3 or 16 bits, no width or height.
    const struct { FILT_Size height, width, bits; std::vector<uint32_t> mask; } cases[] = {
        {1, 8, 1, {}}, {1, 8, 8, {0, 1, 2}}, {1, 8, 8, std::vector<uint32_t>(2 * FILT_ColorMask::MaxComponents + 2)},
        {1, 8, 0, {0, 0}}, {1, 8, 3, {0, 0}}, {1, 8, 16, {0, 0}}, {1, 0, 8, {0, 0}}, {0, 8, 8, {0, 0}},
    };
    FILT_ColorMask filter;
    filter.Init(1, 8, 1, {0, 0});
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        const auto& c = cases[k];
        ExpectThrows([&] { filter.Init(c.height, c.width, c.bits, c.mask); }, FILT_SampleCode, "FILT_ColorMask: ");
    }
    EXPECT_EQ(Hex(RunFilter(filter, "\x0f", Chunking{{0}, {0}})), Hex("\xf0"));
    filter.Init(1, 1, 8, std::vector<uint32_t>(2 * FILT_ColorMask::MaxComponents));
}
