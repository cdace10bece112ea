#include "FILT/FILT_PackedBits.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// Reference packing: samples of b bits, most significant first, from bit
// offset first * b of the first byte; the result is padded with zero bits.
std::vector<uint8_t> Pack(const std::vector<uint8_t>& samples, uint32_t b, uint32_t first = 0) {
    std::vector<uint8_t> out(((first + samples.size()) * b + 7) / 8, 0);
    for (size_t i = 0; i < samples.size(); ++i) {
        const size_t bit = (first + i) * b;
        out[bit / 8] |= static_cast<uint8_t>(samples[i] << (8 - b - bit % 8));
    }
    return out;
}

std::vector<uint8_t> RandomSamples(size_t n, uint32_t b, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& s : v)
        s = static_cast<uint8_t>(rng() & ((1u << b) - 1));
    return v;
}

}  // namespace

TEST(FILT_PackedBits, ReadsKnownBytes) {
    struct Case {
        uint32_t bits;
        uint8_t byte;
        std::vector<uint8_t> samples;
    };
    const Case cases[] = {
        {1, 0xA5, {1, 0, 1, 0, 0, 1, 0, 1}},
        {2, 0x1B, {0, 1, 2, 3}},
        {4, 0x3C, {3, 12}},
        {8, 0x3C, {0x3C}},
    };
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        FILT_PackedBitsR r;
        r.Init(&cases[k].byte, cases[k].bits, 0, 1);
        EXPECT_EQ(r.SamplesAvailable(), cases[k].samples.size());
        std::vector<uint8_t> got;
        while (r.SamplesAvailable() > 0)
            got.push_back(r.ReadSample());
        EXPECT_EQ(got, cases[k].samples);
        EXPECT_EQ(r.TakeConsumed(), 1u);
    }
}

TEST(FILT_PackedBits, WriterFlushPadsWithZeroBits) {
    uint8_t byte = 0xFF;
    FILT_PackedBitsW w;
    w.Init(&byte, 2, 0, 1);
    w.WriteSample(3);
    w.WriteSample(1);
    w.WriteSample(2);
    EXPECT_EQ(w.TakeProduced(), 0u);  // a partly written byte is not produced
    w.Flush();
    EXPECT_EQ(byte, 0xD8);
    EXPECT_EQ(w.TakeProduced(), 1u);
    w.Flush();  // nothing partly written: no step
    EXPECT_EQ(w.TakeProduced(), 0u);
}

TEST(FILT_PackedBits, PartlyReadByteIsReadOnInTheNextWindow) {
    const uint8_t data[] = {0x5A, 0xC3};
    FILT_PackedBitsR r;
    r.Init(nullptr, 1, 0, 0xFFFFFFFFu);
    r.SetData(data, 1);
    EXPECT_EQ(r.ReadSample(), 0);
    EXPECT_EQ(r.ReadSample(), 1);
    EXPECT_EQ(r.ReadSample(), 0);
    EXPECT_EQ(r.TakeConsumed(), 0u);
    EXPECT_EQ(r.SamplesAvailable(), 5u);
    r.SetData(data, 2);
    EXPECT_EQ(r.SamplesAvailable(), 13u);
    EXPECT_EQ(r.ReadSample(), 1);  // the fourth sample of 0x5A
    r.AlignToByte();
    EXPECT_EQ(r.TakeConsumed(), 1u);
    EXPECT_EQ(r.ReadSample(), 1);  // first sample of 0xC3
}

TEST(FILT_PackedBits, SetBitsPerSampleAndAlignment) {
    FILT_PackedBitsR r;
    EXPECT_EQ(r.BitsPerSample(), 8u);
    EXPECT_EQ(r.SetBitsPerSample(2, 9), 2u);  // 9 samples: 2 whole bytes, index 1
    EXPECT_EQ(r.BitsUsed(), 2u);
    r.SetBitAlignment(12);  // 12 mod 8 = 4 bits: index 2
    EXPECT_EQ(r.BitsUsed(), 4u);
    const uint8_t data[] = {0x1B};
    r.SetData(data, 1);
    EXPECT_EQ(r.SamplesAvailable(), 2u);
    EXPECT_EQ(r.ReadSample(), 2);
    r.SetData(data, 0);
    EXPECT_EQ(r.SamplesAvailable(), 0u);  // a window shorter than the used bits
}

TEST(FILT_PackedBits, RoundTripEveryWidthAndOffsetAcrossWindows) {
    const std::vector<size_t> windows = {1, 2, 3, 5, 8};
    for (uint32_t b : {1u, 2u, 4u, 8u}) {
        for (uint32_t first = 0; first < 8 / b; ++first) {
            SCOPED_TRACE("bits " + std::to_string(b) + " first " + std::to_string(first));
            const std::vector<uint8_t> samples = RandomSamples(157, b, b * 10 + first);
            const std::vector<uint8_t> packed = Pack(samples, b, first);

            // Write through windows over one array; the partial byte stays.
            std::vector<uint8_t> out(packed.size() + 4, 0);
            FILT_PackedBitsW w;
            w.Init(nullptr, b, first, 0xFFFFFFFFu);
            size_t put = 0, written = 0, k = 0;
            while (written < samples.size()) {
                const size_t room = std::min(windows[k++ % windows.size()], out.size() - put);
                w.SetData(out.data() + put, static_cast<FILT_Size>(room));
                const FILT_Size n =
                    static_cast<FILT_Size>(std::min<size_t>(w.SpaceAvailable(), samples.size() - written));
                w.WriteSamples(samples.data() + written, n);
                written += n;
                put += w.TakeProduced();
            }
            w.SetData(out.data() + put, 1);
            w.Flush();
            put += w.TakeProduced();
            out.resize(put);
            EXPECT_EQ(out, packed);

            // Read back through windows of other sizes.
            FILT_PackedBitsR r;
            r.Init(nullptr, b, first, 0xFFFFFFFFu);
            std::vector<uint8_t> got;
            size_t get = 0;
            k = 2;
            while (got.size() < samples.size()) {
                const size_t avail = std::min(windows[k++ % windows.size()], packed.size() - get);
                r.SetData(packed.data() + get, static_cast<FILT_Size>(avail));
                const FILT_Size n =
                    static_cast<FILT_Size>(std::min<size_t>(r.SamplesAvailable(), samples.size() - got.size()));
                std::vector<uint8_t> chunk(n);
                r.ReadSamples(chunk.data(), n);
                got.insert(got.end(), chunk.begin(), chunk.end());
                get += r.TakeConsumed();
            }
            EXPECT_EQ(got, samples);
            EXPECT_THROW(r.ReadSamples(nullptr, r.SamplesAvailable() + 1), TestAssertionFailure);
        }
    }
}
