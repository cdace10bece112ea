#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCII85Encode.h"
#include "FILT/FILT_FilterPipe.h"
#include "FILT/FILT_FlateDecode.h"
#include "FILT/FILT_FlateEncode.h"
#include "FILT/FILT_PredictDecode.h"
#include "FILT/FILT_PredictEncode.h"
#include "FILT/FILT_Utils.h"

#include "FILT_TestData.h"

#include <memory>

namespace {

// Maps every byte c to c * mul + add; records its calls in a shared log;
// fails on the byte failOn.
class MapFilter : public FILT_Filter {
public:
    MapFilter(const char* name, int mul, int add, std::vector<std::string>* calls = nullptr, int failOn = -1)
        : m_name(name), m_mul(mul), m_add(add), m_calls(calls), m_failOn(failOn) {}
    const char* Name() const override { return m_name; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override {
        if (m_calls)
            m_calls->push_back(m_name);
        lastIn = &inBuf;
        lastOut = &outBuf;
        if (m_failed)
            throw GLIB_Exception(1, "MapFilter: ProcessBytes called while in the Error state", __FILE__, __LINE__);
        for (; inBuf.DataAvailable() > 0 && outBuf.SpaceRemaining() > 0; inBuf.AdvanceGetPtr(1)) {
            if (*inBuf.GetPtr() == m_failOn) {
                m_failed = true;
                throw GLIB_Exception(2, "MapFilter: bad byte", __FILE__, __LINE__);
            }
            *outBuf.PutPtr() = static_cast<uint8_t>(*inBuf.GetPtr() * m_mul + m_add);
            outBuf.AdvancePutPtr(1);
        }
        if (inBuf.DataAvailable() == 0 && inBuf.IsEOD())
            outBuf.SetEOD();
    }
    FILT_FilterBuffer* lastIn = nullptr;
    FILT_FilterBuffer* lastOut = nullptr;

private:
    const char* m_name;
    int m_mul, m_add;
    std::vector<std::string>* m_calls;
    int m_failOn;
    bool m_failed = false;
};

MapFilter* AddOne(std::vector<std::string>* calls = nullptr) { return new MapFilter("AddOne", 1, 1, calls); }
MapFilter* Twice(std::vector<std::string>* calls = nullptr) { return new MapFilter("Twice", 2, 0, calls); }

std::unique_ptr<FILT_FilterPipe> Pipe(std::initializer_list<FILT_Filter*> filters) {
    auto pipe = std::make_unique<FILT_FilterPipe>();
    for (FILT_Filter* f : filters)
        pipe->Append(f);
    return pipe;
}

// Every byte of s mapped by f.
template <class F>
std::string Mapped(std::string s, F f) {
    for (char& c : s)
        c = static_cast<char>(f(static_cast<uint8_t>(c)));
    return s;
}

}  // namespace

// Without filters the pipe copies, passing EOD once drained; one filter
// works on the caller's own buffers.
TEST(FILT_FilterPipe, NoFilterOrOne) {
    FILT_FilterPipe pipe;
    TestBuffer in("abcdefghij", true), out1("", false, 4), out2("", false, 20), in3("abc", true), out3("", false, 8);
    pipe.ProcessBytes(in.buf, out1.buf);
    EXPECT_EQ(out1.Text(), "abcd");
    EXPECT_FALSE(out1.buf.IsEOD());
    pipe.ProcessBytes(in.buf, out2.buf);
    EXPECT_EQ(out2.Text(), "efghij");
    EXPECT_TRUE(out2.buf.IsEOD());
    MapFilter* f = AddOne();
    auto one = Pipe({f});
    one->ProcessBytes(in3.buf, out3.buf);
    EXPECT_EQ(f->lastIn, &in3.buf);
    EXPECT_EQ(f->lastOut, &out3.buf);
    EXPECT_EQ(out3.Text(), "bcd");
    EXPECT_TRUE(out3.buf.IsEOD());
}

TEST(FILT_FilterPipe, ConcatenationShapes) {
    const std::string text = "\x01\x05\x7f";
    const std::string expected("\x04\x0c\x00", 3);  // (c + 1) * 2
    std::unique_ptr<FILT_Filter> a(AddOne());
    EXPECT_EQ(FILT_ConcatenateFilters(a.get(), nullptr), a.get());
    EXPECT_EQ(FILT_ConcatenateFilters(nullptr, a.get()), a.get());
    EXPECT_EQ(FILT_ConcatenateFilters(nullptr, nullptr), nullptr);
    // Two plain filters make a new pipe; a pipe takes the other filter at
    // its end or its front.
    for (int shape = 0; shape < 3; ++shape) {
        SCOPED_TRACE(shape);
        FILT_FilterPipe* pipe = shape ? new FILT_FilterPipe : nullptr;
        if (pipe)
            pipe->Append(shape == 1 ? static_cast<FILT_Filter*>(AddOne()) : Twice());
        std::unique_ptr<FILT_Filter> r(shape == 0   ? FILT_ConcatenateFilters(AddOne(), Twice())
                                       : shape == 1 ? FILT_ConcatenateFilters(pipe, Twice())
                                                    : FILT_ConcatenateFilters(AddOne(), pipe));
        auto* result = dynamic_cast<FILT_FilterPipe*>(r.get());
        ASSERT_NE(result, nullptr);
        EXPECT_TRUE(!pipe || result == pipe);
        EXPECT_EQ(result->NumFilters(), 2u);
        EXPECT_EQ(RunFilter(*r, text, StandardChunkings()[static_cast<size_t>(shape)]), expected);
    }
}

TEST(FILT_FilterPipe, InsertKeepsDataOrder) {
    FILT_FilterPipe pipe;
    pipe.Append(new MapFilter("x3", 3, 0));
    pipe.Append(new MapFilter("x5", 5, 0));
    pipe.Insert(1, AddOne());
    pipe.Prepend(Twice());
    pipe.Insert(4, new MapFilter("sub7", 1, -7));
    ASSERT_EQ(pipe.NumFilters(), 5u);
    const std::string text = RandomBytes(300, 3);
    EXPECT_EQ(RunFilter(pipe, text, {{7, 3, 13}, {5, 11, 2}}),
              Mapped(text, [](uint8_t c) { return uint8_t(((c * 2) * 3 + 1) * 5 - 7); }));
    EXPECT_THROW(pipe.Insert(7, AddOne()), TestAssertionFailure);
    EXPECT_THROW(pipe.Insert(0, nullptr), TestAssertionFailure);
}

TEST(FILT_FilterPipe, FullOutputResumesAtTheLastFilter) {
    std::vector<std::string> calls;
    auto pipe = Pipe({AddOne(&calls), Twice(&calls)});
    TestBuffer in(std::string(100, '\x10'), true), out("", false, 10), out2("", false, 10);
    pipe->ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), std::string(10, '\x22'));
    EXPECT_EQ(calls, (std::vector<std::string>{"AddOne", "Twice"}));
    calls.clear();
    pipe->ProcessBytes(in.buf, out2.buf);
    // The waiting inner buffer is drained before AddOne runs again.
    EXPECT_EQ(calls, (std::vector<std::string>{"Twice"}));
    EXPECT_EQ(out2.Text(), std::string(10, '\x22'));
}

TEST(FILT_FilterPipe, InputRunningDryRewindsTheCallersBuffer) {
    auto pipe = Pipe({AddOne(), Twice()});
    TestBuffer in("abc", false), out("", false, 64);
    pipe->ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(in.buf.DataAvailable(), 0u);
    EXPECT_EQ(in.buf.PutPtr(), in.buf.BasePtr());  // rewound, room for the next fill
    EXPECT_EQ(in.buf.TellB(), 3u);
    EXPECT_EQ(out.buf.DataAvailable(), 0u);  // still waiting in the inner buffer
    in.buf.Write(U8("d"), 1);
    in.buf.SetEOD();
    pipe->ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), Mapped("abcd", [](uint8_t c) { return uint8_t((c + 1) * 2); }));
    EXPECT_TRUE(out.buf.IsEOD());
}

TEST(FILT_FilterPipe, EndOfDataDrivesEveryFilterToFinish) {
    const std::string text(17000, 'a');  // more than an inner buffer holds
    for (const Chunking& ch : StandardChunkings()) {
        SCOPED_TRACE(ch.Name());
        EXPECT_EQ(RunFilter(*Pipe({AddOne(), Twice(), AddOne()}), text, ch, text.size() + 64),
                  std::string(17000, static_cast<char>(('a' + 1) * 2 + 1)));
    }
    std::vector<std::string> calls;
    auto pipe = Pipe({AddOne(&calls), Twice(&calls), AddOne(&calls)});
    TestBuffer in("xyz", true), out("", false, 16);
    pipe->ProcessBytes(in.buf, out.buf);
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(calls, (std::vector<std::string>{"AddOne", "Twice", "AddOne"}));  // one call each, in data order
}

// A filter's exception passes through; a second call reaches the failed
// filter's Error state, not an assertion.
TEST(FILT_FilterPipe, FilterExceptionPassesThroughAndRepeats) {
    auto pipe = Pipe({AddOne(), new MapFilter("Fails", 1, 0, nullptr, '#')});
    TestBuffer in("ab\"cd", true), out("", false, 16), in2("ef", true);
    EXPECT_EQ(ThrownCode([&] { pipe->ProcessBytes(in.buf, out.buf); }), 2u);
    EXPECT_EQ(ThrownCode([&] { pipe->ProcessBytes(in2.buf, out.buf); }), 1u);
}

// Image rows of 20 RGB pixels through predictor, Flate and ASCII85, as a PDF
// writer chains them, and back through the decoders in reverse order; a
// chain cut anywhere before the end mark gives what it holds and says so.
TEST(FILT_FilterPipe, ChainsOfRealFilters) {
    LogCapture quiet;  // the Flate decoder warns when resumed without input
    auto encoder = [] {
        return Pipe({new FILT_PredictEncode(15, 3, 8, 20), new FILT_FlateEncode, new FILT_ASCII85Encode});
    };
    auto decoder = [] {
        return std::unique_ptr<FILT_Filter>(FILT_ConcatenateFilters(
            new FILT_ASCII85Decode,
            FILT_ConcatenateFilters(new FILT_FlateDecode, new FILT_PredictDecode(15, 3, 8, 20))));
    };
    const std::string image = MixedBytes(30000, 21);
    for (const Chunking& ch : StandardChunkings(60)) {
        SCOPED_TRACE(ch.Name());
        const std::string encoded = RunFilter(*encoder(), image, ch, 2 * image.size() + 1024);
        EXPECT_EQ(encoded.substr(encoded.size() - 2), "~>");
        EXPECT_EQ(RunFilter(*decoder(), encoded, ch, image.size() + 1024), image);
    }
    const std::string small = MixedBytes(3000, 22);
    const std::string encoded = RunFilter(*encoder(), small, {{0}, {0}});
    // Cut: what the data hold, and the first filter's loss. A last partial
    // group is decoded from padding, and inflates to what it may.
    for (size_t n = 0; n + 2 < encoded.size(); n += 1 + n / 40) {
        SCOPED_TRACE(n);
        const auto chain = decoder();
        const std::string got = RunFilter(*chain, encoded.substr(0, n), {{7, 3, 13}, {5, 11, 2}});
        const size_t sure = got.size() > 64 ? got.size() - 64 : 0;
        EXPECT_EQ(small.compare(0, sure, got, 0, sure), 0);
        EXPECT_STREQ(chain->Loss(), "an ASCII85 stream stops before its end mark");
    }
    // Without the end mark only, the data is all there.
    EXPECT_EQ(RunFilter(*decoder(), encoded.substr(0, encoded.size() - 2), {{1}, {1}}), small);
}
