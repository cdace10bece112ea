#include "FILT/FILT_SplitStream.h"

#include "FILT/FILT_SampleConverter.h"
#include "FILT_TestData.h"

#include <memory>

namespace {

using Step = std::function<void(FILT_FilterBuffer* const* ins, FILT_FilterBuffer* const* outs)>;

// Runs step until every output has had its EOD flag. Input k is cut by the
// chunking's input sizes from position k; on every call output k gets a new
// buffer whose room comes from its output sizes from position call + k.
std::vector<std::string> Drive(const std::vector<std::string>& inputs, size_t numOutputs, const Chunking& ch,
                               const Step& step) {
    const auto piece = [](const std::vector<size_t>& v, size_t i, size_t whole) {
        return v[i % v.size()] ? v[i % v.size()] : whole;
    };
    std::vector<std::unique_ptr<TestBuffer>> ins;
    std::vector<FILT_FilterBuffer*> inPtrs;
    for (const std::string& s : inputs) {
        ins.emplace_back(new TestBuffer("", false, s.size()));
        inPtrs.push_back(&ins.back()->buf);
    }
    std::vector<size_t> given(inputs.size(), 0);
    std::vector<std::string> outputs(numOutputs);
    std::vector<bool> ended(numOutputs, false);
    for (size_t call = 0; call < 100000; ++call) {
        for (size_t k = 0; k < inputs.size(); ++k) {
            FILT_FilterBuffer& in = *inPtrs[k];
            if (in.DataAvailable() == 0 && !in.IsEOD()) {
                const size_t n = std::min(piece(ch.in, k + call, inputs[k].size()), inputs[k].size() - given[k]);
                in.Reset();
                in.Write(U8(inputs[k]) + given[k], static_cast<FILT_Size>(n));
                in.SetEOD((given[k] += n) == inputs[k].size());
            }
        }
        std::vector<std::unique_ptr<TestBuffer>> outs;
        std::vector<FILT_FilterBuffer*> outPtrs;
        for (size_t k = 0; k < numOutputs; ++k) {
            outs.emplace_back(new TestBuffer("", false, piece(ch.out, call + k, 4096)));
            outPtrs.push_back(&outs.back()->buf);
        }
        step(inPtrs.data(), outPtrs.data());
        bool all = true;
        for (size_t k = 0; k < numOutputs; ++k) {
            outputs[k] += outs[k]->Text();
            ended[k] = ended[k] || outs[k]->buf.IsEOD();
            all = all && ended[k];
        }
        if (all)
            return outputs;
    }
    throw FilterContractError("the streams did not end");
}

// The streams a splitter set up with (n, width, limit) makes of input.
template <class Splitter>
std::string Split(FILT_Size n, FILT_Size width, int32_t limit, const std::string& input, const Chunking& ch) {
    Splitter s;
    s.Init(n, width, limit);
    std::string joined;
    for (const std::string& stream : Drive({input}, n, ch, [&](auto ins, auto outs) { s.Split(*ins[0], outs); }))
        joined += "[" + Hex(stream) + "]";
    return joined;
}

std::string Merge(FILT_Size bits, int32_t limit, const std::vector<std::string>& inputs, const Chunking& ch) {
    FILT_MergeBitStream m;
    m.Init(static_cast<FILT_Size>(inputs.size()), bits, limit);
    return Hex(Drive(inputs, 1, ch, [&](auto ins, auto outs) { m.Merge(ins, *outs[0]); })[0]);
}

std::string Join(const std::vector<std::string>& v) {
    std::string r;
    for (const std::string& s : v)
        r += "[" + Hex(s) + "]";
    return r;
}

}  // namespace

// Hand-made streams; a limit ends the streams without the input's EOD.
TEST(FILT_SplitStream, SplitsAndMergesHandMadeStreams) {
    const std::string six("\x01\x02\x03\x04\x05\x06", 6);
    const std::vector<std::string> thirds = {"\x01\x04", "\x02\x05", "\x03\x06"};
    using Bits = FILT_SplitBitStream;
    using Bytes = FILT_SplitByteStream;
    for (const Chunking& ch : AllChunkings(3)) {
        SCOPED_TRACE(ch.Name());
        EXPECT_EQ(Split<Bits>(3, 8, -1, six, ch), Join(thirds));
        EXPECT_EQ(Split<Bytes>(3, 1, -1, six, ch), Join(thirds));
        // A last partial sample is dropped.
        EXPECT_EQ(Split<Bytes>(2, 2, -1, six + "\x07", ch), Join({"\x01\x02\x05\x06", "\x03\x04"}));
        // 1 0 1 1 0 0 1 0 into 1 1 0 1 and 0 1 0 0, each padded.
        EXPECT_EQ(Split<Bits>(2, 1, -1, "\xb2", ch), Join({"\xd0", "\x40"}));
        EXPECT_EQ(Merge(8, -1, thirds, ch), Hex(six));
        // Stream 1 is a sample short: the merge ends at its turn, padded.
        EXPECT_EQ(Merge(4, -1, {"\x12\x30", "\xab"}, ch), Hex("\x1a\x2b\x30"));
        EXPECT_EQ(Split<Bits>(2, 1, 6, "\xb2", ch), Join({"\xc0", "\x40"}));
        EXPECT_EQ(Split<Bytes>(2, 2, 3, "\x01\x02\x03\x04\x05\x06\x07\x08", ch),
                  Join({"\x01\x02\x05\x06", "\x03\x04"}));
        EXPECT_EQ(Merge(1, 6, {"\xc0", "\x40"}, ch), Hex("\xb0"));
    }
    // The limit ends the streams at once, without waiting for EOD.
    FILT_SplitBitStream split;
    split.Init(2, 1, 6);
    TestBuffer in("\xb0"), a("", false, 4), b("", false, 4);
    FILT_FilterBuffer* outs[] = {&a.buf, &b.buf};
    split.Split(in.buf, outs);
    EXPECT_TRUE(a.buf.IsEOD() && b.buf.IsEOD());
    EXPECT_EQ(Hex(a.Text() + b.Text()), Hex("\xc0\x40"));
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
                ASSERT_EQ(Split<FILT_SplitBitStream>(n, bits, -1, input, ch), Join(expected));
                ASSERT_EQ(Merge(bits, static_cast<int32_t>(input.size() * 8 / bits), expected, ch), Hex(input));
            }
        }
        for (FILT_Size size = 1; size <= FILT_SplitByteStream::MaxSampleBytes; ++size) {
            const std::string input = RandomBytes(size * (2 * n + 3) + seed % 3, seed);
            std::vector<std::string> expected(n);
            for (size_t j = 0; (j + 1) * size <= input.size(); ++j)
                expected[j % n] += input.substr(j * size, size);
            for (const Chunking& ch : AllChunkings(size * n, seed++)) {
                SCOPED_TRACE(std::to_string(size) + " bytes, " + std::to_string(n) + " streams, " + ch.Name());
                ASSERT_EQ(Split<FILT_SplitByteStream>(n, size, -1, input, ch), Join(expected));
            }
        }
    }
}

// The input's EOD may come on a call whose outputs have no room: each
// output's last partial byte waits for room, and its EOD comes with it.
TEST(FILT_SplitStream, EndWaitsForRoomForTheLastBytes) {
    FILT_SplitBitStream split;
    split.Init(2, 1);
    TestBuffer in("\xb0"), a("", false, 1), b("", false, 1), a2, b2("", false, 2), a3("", false, 2);
    FILT_FilterBuffer* first[] = {&a.buf, &b.buf};
    FILT_FilterBuffer* second[] = {&a2.buf, &b2.buf};
    FILT_FilterBuffer* third[] = {&a3.buf, &b2.buf};
    split.Split(in.buf, first);
    EXPECT_FALSE(in.buf.DataAvailable() || a.buf.IsEOD() || b.buf.IsEOD());
    in.buf.SetEOD();
    split.Split(in.buf, second);
    EXPECT_FALSE(a2.buf.IsEOD());
    EXPECT_TRUE(b2.buf.IsEOD());
    EXPECT_EQ(Hex(b2.Text()), Hex("\x40"));
    split.Split(in.buf, third);
    EXPECT_TRUE(a3.buf.IsEOD());
    EXPECT_EQ(Hex(a3.Text()), Hex("\xc0"));
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
