#include "FILT/FILT_SplitStream.h"

#include "FILT/FILT_SampleConverter.h"
#include "support/TestSupport.h"
#include "FILT_SampleTestData.h"
#include "FILT_TestData.h"

#include <gtest/gtest.h>

#include <memory>

using namespace FILT_SampleTest;

namespace {

using Buffers = std::vector<std::unique_ptr<FILT_FilterBuffer>>;
using Step = std::function<void(FILT_FilterBuffer* const* ins, FILT_FilterBuffer* const* outs)>;

std::vector<FILT_FilterBuffer*> Pointers(const Buffers& b) {
    std::vector<FILT_FilterBuffer*> r;
    for (const auto& p : b)
        r.push_back(p.get());
    return r;
}

// Runs step until every output has its EOD flag. Input k is cut by the
// chunking's input sizes from position k; on every call output k gets a new
// buffer whose room comes from its output sizes from position call + k.
std::vector<std::string> Drive(const std::vector<std::string>& inputs, size_t numOutputs, const Chunking& ch,
                               const Step& step) {
    const auto piece = [](const std::vector<size_t>& v, size_t i, size_t whole) {
        return v[i % v.size()] ? v[i % v.size()] : whole;
    };
    std::vector<std::string> stores(inputs), outputs(numOutputs);
    Buffers ins;
    for (std::string& s : stores)
        ins.emplace_back(new FILT_FilterBuffer(U8(s += '\0'), static_cast<FILT_Size>(s.size()), false));
    std::vector<size_t> given(inputs.size(), 0);
    std::vector<bool> ended(numOutputs, false);
    for (size_t call = 0; call < 100000; ++call) {
        for (size_t k = 0; k < inputs.size(); ++k) {
            FILT_FilterBuffer& in = *ins[k];
            if (in.DataAvailable() == 0 && !in.IsEOD()) {
                const size_t n = std::min(piece(ch.in, k + call, inputs[k].size()), inputs[k].size() - given[k]);
                in.Reset();
                in.Write(U8(inputs[k]) + given[k], static_cast<FILT_Size>(n));
                in.SetEOD((given[k] += n) == inputs[k].size());
            }
        }
        Buffers outs;
        for (size_t k = 0; k < numOutputs; ++k)
            outs.emplace_back(new FILT_FilterBuffer(static_cast<FILT_Size>(piece(ch.out, call + k, 4096))));
        step(Pointers(ins).data(), Pointers(outs).data());
        bool all = true;
        for (size_t k = 0; k < numOutputs; ++k) {
            outputs[k].append(reinterpret_cast<const char*>(outs[k]->GetPtr()), outs[k]->DataAvailable());
            ended[k] = ended[k] || outs[k]->IsEOD();
            all = all && ended[k];
        }
        if (all)
            return outputs;
    }
    throw FilterContractError("the streams did not end");
}

template <class Splitter>
std::vector<std::string> RunSplit(Splitter& s, size_t n, const std::string& input, const Chunking& ch) {
    return Drive({input}, n, ch, [&](FILT_FilterBuffer* const* ins, FILT_FilterBuffer* const* outs) {
        s.Split(*ins[0], outs);
    });
}

std::string RunMerge(FILT_MergeBitStream& m, const std::vector<std::string>& inputs, const Chunking& ch) {
    return Drive(inputs, 1, ch, [&](FILT_FilterBuffer* const* ins, FILT_FilterBuffer* const* outs) {
        m.Merge(ins, *outs[0]);
    })[0];
}

std::string Join(const std::vector<std::string>& v) {
    std::string r;
    for (const std::string& s : v)
        r += "[" + Hex(s) + "]";
    return r;
}

}  // namespace

TEST(FILT_SplitStream, SplitsAndMergesHandMadeStreams) {
    const std::string six("\x01\x02\x03\x04\x05\x06", 6);
    const std::vector<std::string> thirds = {"\x01\x04", "\x02\x05", "\x03\x06"};
    for (const Chunking& ch : AllChunkings(3)) {
        SCOPED_TRACE(ch.Name());
        FILT_SplitBitStream bits, ones;
        FILT_SplitByteStream bytes, pairs;
        FILT_MergeBitStream merge, shortMerge;
        bits.Init(3, 8);
        bytes.Init(3, 1);
        pairs.Init(2, 2);
        ones.Init(2, 1);
        merge.Init(3, 8);
        shortMerge.Init(2, 4);
        EXPECT_EQ(Join(RunSplit(bits, 3, six, ch)), Join(thirds));
        EXPECT_EQ(Join(RunSplit(bytes, 3, six, ch)), Join(thirds));
        // A last partial sample is dropped.
        EXPECT_EQ(Join(RunSplit(pairs, 2, six + "\x07", ch)), Join({"\x01\x02\x05\x06", "\x03\x04"}));
        // 1 0 1 1 0 0 1 0 into 1 1 0 1 and 0 1 0 0, each padded.
        EXPECT_EQ(Join(RunSplit(ones, 2, "\xb2", ch)), Join({"\xd0", "\x40"}));
        EXPECT_EQ(Hex(RunMerge(merge, thirds, ch)), Hex(six));
        // Stream 1 is a sample short: the merge ends at its turn, padded.
        EXPECT_EQ(Hex(RunMerge(shortMerge, {std::string("\x12\x30"), "\xab"}, ch)), Hex("\x1a\x2b\x30"));
    }
}

// A limit ends the streams when it is reached, without the input's EOD.
TEST(FILT_SplitStream, ALimitEndsTheStreams) {
    FILT_SplitBitStream split;
    split.Init(2, 1, 6);
    std::string data = "\xb0";
    FILT_FilterBuffer in(U8(data), 1, false), a(4), b(4);
    FILT_FilterBuffer* outs[] = {&a, &b};
    in.AdvancePutPtr(1);
    split.Split(in, outs);
    ASSERT_TRUE(a.IsEOD() && b.IsEOD());
    EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(a.GetPtr()), a.DataAvailable())), Hex("\xc0"));
    EXPECT_EQ(Hex(std::string(reinterpret_cast<char*>(b.GetPtr()), b.DataAvailable())), Hex("\x40"));
    for (const Chunking& ch : AllChunkings(2)) {
        SCOPED_TRACE(ch.Name());
        FILT_SplitByteStream bytes;
        bytes.Init(2, 2, 3);
        EXPECT_EQ(Join(RunSplit(bytes, 2, "\x01\x02\x03\x04\x05\x06\x07\x08", ch)), Join({"\x01\x02\x05\x06", "\x03\x04"}));
        FILT_MergeBitStream merge;
        merge.Init(2, 1, 6);
        EXPECT_EQ(Hex(RunMerge(merge, {"\xc0", "\x40"}, ch)), Hex("\xb0"));
    }
}

// Random streams of every width into one to five streams under every
// chunking, against a sample-by-sample reference, and merged back; whole
// samples of one to four bytes likewise.
TEST(FILT_SplitStream, RandomStreamsSplitAndMergeBack) {
    unsigned seed = 300;
    for (FILT_Size n = 1; n <= 5; ++n) {
        for (FILT_Size bits : {1u, 2u, 4u, 8u}) {
            const std::string input = RandomBytes(3 * n + seed % 17, seed);
            std::vector<RefBits> ref(n);
            for (uint64_t j = 0; j < input.size() * 8 / bits; ++j)
                ref[j % n].Put(RefGet(input, j * bits, bits), bits);
            std::vector<std::string> expected;
            for (const RefBits& r : ref)
                expected.push_back(r.bytes);
            for (const Chunking& ch : AllChunkings(n, seed++)) {
                SCOPED_TRACE(std::to_string(bits) + " bits, " + std::to_string(n) + " streams, " + ch.Name());
                FILT_SplitBitStream split;
                split.Init(n, bits);
                const std::vector<std::string> streams = RunSplit(split, n, input, ch);
                ASSERT_EQ(Join(streams), Join(expected));
                FILT_MergeBitStream merge;
                merge.Init(n, bits, static_cast<int32_t>(input.size() * 8 / bits));
                ASSERT_EQ(Hex(RunMerge(merge, streams, ch)), Hex(input));
            }
        }
        for (FILT_Size size = 1; size <= FILT_SplitByteStream::MaxSampleBytes; ++size) {
            const std::string input = RandomBytes(size * (2 * n + 3) + seed % 3, seed);
            std::vector<std::string> expected(n);
            for (size_t j = 0; (j + 1) * size <= input.size(); ++j)
                expected[j % n] += input.substr(j * size, size);
            for (const Chunking& ch : AllChunkings(size * n, seed++)) {
                SCOPED_TRACE(std::to_string(size) + " bytes, " + std::to_string(n) + " streams, " + ch.Name());
                FILT_SplitByteStream split;
                split.Init(n, size);
                ASSERT_EQ(Join(RunSplit(split, n, input, ch)), Join(expected));
            }
        }
    }
}

// The input's EOD may come on a call whose outputs have no room: each
// output's last partial byte waits for room, and its EOD comes with it.
TEST(FILT_SplitStream, EndWaitsForRoomForTheLastBytes) {
    FILT_SplitBitStream split;
    split.Init(2, 1);
    std::string data = "\xb0";
    FILT_FilterBuffer in(U8(data), 1, false), a(1), b(1), a2(0), b2(2), a3(2), b3(2);
    FILT_FilterBuffer* first[] = {&a, &b};
    FILT_FilterBuffer* second[] = {&a2, &b2};
    FILT_FilterBuffer* third[] = {&a3, &b3};
    in.AdvancePutPtr(1);
    split.Split(in, first);
    EXPECT_FALSE(in.DataAvailable() || a.IsEOD() || b.IsEOD());
    in.SetEOD();
    split.Split(in, second);
    EXPECT_FALSE(a2.IsEOD());
    ASSERT_TRUE(b2.IsEOD() && b2.DataAvailable() == 1);
    EXPECT_EQ(b2.GetPtr()[0], 0x40);
    split.Split(in, third);
    ASSERT_TRUE(a3.IsEOD() && a3.DataAvailable() == 1);
    EXPECT_EQ(a3.GetPtr()[0], 0xC0);
}

TEST(FILT_SplitStream, BadParametersThrow) {
    FILT_SplitBitStream bits;
    FILT_SplitByteStream bytes;
    FILT_MergeBitStream merge;
    for (FILT_Size streams : {0u, FILT_SplitBitStream::MaxStreams + 1, UINT32_MAX}) {
        SCOPED_TRACE(streams);
        EXPECT_EQ(ThrownCode([&] { bits.Init(streams, 1); }), FILT_SampleCode);
        EXPECT_EQ(ThrownCode([&] { bytes.Init(streams, 1); }), FILT_SampleCode);
        EXPECT_EQ(ThrownCode([&] { merge.Init(streams, 1); }), FILT_SampleCode);
    }
    for (FILT_Size width : {0u, 3u, 12u, 16u, UINT32_MAX}) {
        SCOPED_TRACE(width);
        EXPECT_EQ(ThrownCode([&] { bits.Init(3, width); }), FILT_SampleCode);
        EXPECT_EQ(ThrownCode([&] { merge.Init(3, width); }), FILT_SampleCode);
    }
    EXPECT_EQ(ThrownCode([&] { bytes.Init(3, 0); }), FILT_SampleCode);
    EXPECT_EQ(ThrownCode([&] { bytes.Init(3, FILT_SplitByteStream::MaxSampleBytes + 1); }), FILT_SampleCode);
    // Still not set up: using them is a programming error.
    FILT_FilterBuffer in(1), out(1);
    FILT_FilterBuffer* outs[] = {&out};
    EXPECT_THROW(bits.Split(in, outs), TestAssertionFailure);
    EXPECT_THROW(bytes.Split(in, outs), TestAssertionFailure);
    EXPECT_THROW(merge.Merge(outs, in), TestAssertionFailure);
}
