#include "FILT/FILT_ASCII85Decode.h"
#include "FILT/FILT_ASCII85Encode.h"
#include "FILT/FILT_ASCIIHexDecode.h"
#include "FILT/FILT_ASCIIHexEncode.h"
#include "FILT/FILT_FilterPipe.h"
#include "FILT/FILT_FlateDecode.h"
#include "FILT/FILT_FlateEncode.h"
#include "FILT/FILT_PredictDecode.h"
#include "FILT/FILT_PredictEncode.h"
#include "FILT/FILT_RunLengthDecode.h"
#include "FILT/FILT_RunLengthEncode.h"
#include "FILT/FILT_Utils.h"

#include "GLIB/GLIB_Exception.h"
#include "support/FilterDriver.h"
#include "support/TestSupport.h"
#include "FILT_TestData.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Maps every byte, one for one; records its calls in a shared log.
class MapFilter : public FILT_Filter {
public:
    MapFilter(const char* name, std::function<uint8_t(uint8_t)> map, std::vector<std::string>* calls = nullptr,
              int failOn = -1)
        : m_name(name), m_map(std::move(map)), m_calls(calls), m_failOn(failOn) {}
    const char* Name() const override { return m_name; }
    void ProcessBytes(FILT_FilterBuffer& inBuf, FILT_FilterBuffer& outBuf) override {
        if (m_calls)
            m_calls->push_back(m_name);
        lastIn = &inBuf;
        lastOut = &outBuf;
        if (m_failed)
            throw GLIB_Exception(1, "MapFilter: ProcessBytes called while in the Error state", __FILE__, __LINE__);
        while (inBuf.DataAvailable() > 0 && outBuf.SpaceRemaining() > 0) {
            const uint8_t c = *inBuf.GetPtr();
            if (c == m_failOn) {
                m_failed = true;
                throw GLIB_Exception(2, "MapFilter: bad byte", __FILE__, __LINE__);
            }
            *outBuf.PutPtr() = m_map(c);
            inBuf.AdvanceGetPtr(1);
            outBuf.AdvancePutPtr(1);
        }
        if (inBuf.DataAvailable() == 0 && inBuf.IsEOD())
            outBuf.SetEOD();
    }
    FILT_FilterBuffer* lastIn = nullptr;
    FILT_FilterBuffer* lastOut = nullptr;

private:
    const char* m_name;
    std::function<uint8_t(uint8_t)> m_map;
    std::vector<std::string>* m_calls;
    int m_failOn;
    bool m_failed = false;
};

MapFilter* AddOne(std::vector<std::string>* calls = nullptr) {
    return new MapFilter("AddOne", [](uint8_t c) { return uint8_t(c + 1); }, calls);
}
MapFilter* Twice(std::vector<std::string>* calls = nullptr) {
    return new MapFilter("Twice", [](uint8_t c) { return uint8_t(c * 2); }, calls);
}

struct Buf {
    explicit Buf(size_t room) : store(room + 1), buf(store.data(), static_cast<FILT_Size>(room), false) {}
    Buf(const std::string& s, bool eod) : Buf(s.size()) {
        buf.Write(reinterpret_cast<const uint8_t*>(s.data()), static_cast<FILT_Size>(s.size()));
        buf.SetEOD(eod);
    }
    std::string Text() const { return std::string(reinterpret_cast<const char*>(buf.GetPtr()), buf.DataAvailable()); }
    std::vector<uint8_t> store;
    FILT_FilterBuffer buf;
};

std::string Mapped(const std::string& s, const std::function<uint8_t(uint8_t)>& f) {
    std::string r = s;
    for (char& c : r)
        c = static_cast<char>(f(static_cast<uint8_t>(c)));
    return r;
}

}  // namespace

TEST(FILT_FilterPipe, WithoutFiltersCopiesAndPassesEODWhenDrained) {
    FILT_FilterPipe pipe;
    Buf in("abcdefghij", true), out1(4), out2(20);
    pipe.ProcessBytes(in.buf, out1.buf);
    EXPECT_EQ(out1.Text(), "abcd");
    EXPECT_FALSE(out1.buf.IsEOD());
    pipe.ProcessBytes(in.buf, out2.buf);
    EXPECT_EQ(out2.Text(), "efghij");
    EXPECT_TRUE(out2.buf.IsEOD());
}

TEST(FILT_FilterPipe, OneFilterWorksOnTheCallersBuffers) {
    FILT_FilterPipe pipe;
    MapFilter* f = AddOne();
    pipe.Append(f);
    Buf in("abc", true), out(8);
    pipe.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(f->lastIn, &in.buf);
    EXPECT_EQ(f->lastOut, &out.buf);
    EXPECT_EQ(out.Text(), "bcd");
    EXPECT_TRUE(out.buf.IsEOD());
}

TEST(FILT_FilterPipe, ConcatenationShapes) {
    const std::string text = "\x01\x05\x7f";
    const std::string addThenTwice = Mapped(Mapped(text, [](uint8_t c) { return uint8_t(c + 1); }),
                                            [](uint8_t c) { return uint8_t(c * 2); });
    {
        SCOPED_TRACE("a filter and null give the filter");
        std::unique_ptr<FILT_Filter> a(AddOne());
        EXPECT_EQ(FILT_ConcatenateFilters(a.get(), nullptr), a.get());
        EXPECT_EQ(FILT_ConcatenateFilters(nullptr, a.get()), a.get());
        EXPECT_EQ(FILT_ConcatenateFilters(nullptr, nullptr), nullptr);
    }
    {
        SCOPED_TRACE("two plain filters make a pipe of two, a first");
        std::unique_ptr<FILT_Filter> r(FILT_ConcatenateFilters(AddOne(), Twice()));
        auto* pipe = dynamic_cast<FILT_FilterPipe*>(r.get());
        ASSERT_NE(pipe, nullptr);
        EXPECT_EQ(pipe->NumFilters(), 2u);
        EXPECT_EQ(RunFilter(*r, text, {{0}, {0}}), addThenTwice);
    }
    {
        SCOPED_TRACE("a pipe and a filter: appended to that pipe");
        FILT_FilterPipe* pipe = new FILT_FilterPipe;
        pipe->Append(AddOne());
        std::unique_ptr<FILT_Filter> r(FILT_ConcatenateFilters(pipe, Twice()));
        EXPECT_EQ(r.get(), pipe);
        EXPECT_EQ(pipe->NumFilters(), 2u);
        EXPECT_EQ(RunFilter(*r, text, {{1}, {1}}), addThenTwice);
    }
    {
        SCOPED_TRACE("a filter and a pipe: prepended to that pipe");
        FILT_FilterPipe* pipe = new FILT_FilterPipe;
        pipe->Append(Twice());
        std::unique_ptr<FILT_Filter> r(FILT_ConcatenateFilters(AddOne(), pipe));
        EXPECT_EQ(r.get(), pipe);
        EXPECT_EQ(pipe->NumFilters(), 2u);
        EXPECT_EQ(RunFilter(*r, text, {{2}, {0}}), addThenTwice);
    }
}

TEST(FILT_FilterPipe, InsertKeepsDataOrder) {
    // Insert in the middle, at the front and at the end of a chain.
    FILT_FilterPipe pipe;
    pipe.Append(new MapFilter("x3", [](uint8_t c) { return uint8_t(c * 3); }));
    pipe.Append(new MapFilter("xor", [](uint8_t c) { return uint8_t(c ^ 0x55); }));
    pipe.Insert(1, AddOne());
    pipe.Prepend(Twice());
    pipe.Insert(4, new MapFilter("sub7", [](uint8_t c) { return uint8_t(c - 7); }));
    ASSERT_EQ(pipe.NumFilters(), 5u);
    std::string text;
    for (int c = 0; c < 256; ++c)
        text += static_cast<char>(c);
    const std::string expected = Mapped(text, [](uint8_t c) { return uint8_t((((c * 2) * 3 + 1) ^ 0x55) - 7); });
    for (const Chunking& ch : StandardChunkings()) {
        SCOPED_TRACE(ch.Name());
        EXPECT_EQ(RunFilter(pipe, text, ch), expected);
        break;  // a finished pipe stays finished
    }
    EXPECT_THROW(pipe.Insert(7, AddOne()), TestAssertionFailure);
    EXPECT_THROW(pipe.Insert(0, nullptr), TestAssertionFailure);
}

TEST(FILT_FilterPipe, FullOutputResumesAtTheLastFilter) {
    std::vector<std::string> calls;
    FILT_FilterPipe pipe;
    pipe.Append(AddOne(&calls));
    pipe.Append(Twice(&calls));
    const std::string text(100, '\x10');
    Buf in(text, true), out(10);
    pipe.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), std::string(10, '\x22'));
    EXPECT_EQ(calls, (std::vector<std::string>{"AddOne", "Twice"}));
    calls.clear();
    Buf out2(10);
    pipe.ProcessBytes(in.buf, out2.buf);
    // The waiting inner buffer is drained before AddOne runs again.
    EXPECT_EQ(calls, (std::vector<std::string>{"Twice"}));
    EXPECT_EQ(out2.Text(), std::string(10, '\x22'));
}

TEST(FILT_FilterPipe, InputRunningDryRewindsTheCallersBuffer) {
    FILT_FilterPipe pipe;
    pipe.Append(AddOne());
    pipe.Append(Twice());
    Buf in("abc", false), out(64);
    pipe.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(in.buf.DataAvailable(), 0u);
    EXPECT_EQ(in.buf.PutPtr(), in.buf.BasePtr());  // rewound, room for the next fill
    EXPECT_EQ(in.buf.TellB(), 3u);
    EXPECT_EQ(out.buf.DataAvailable(), 0u);  // still waiting in the inner buffer
    in.buf.Write(reinterpret_cast<const uint8_t*>("d"), 1);
    in.buf.SetEOD();
    pipe.ProcessBytes(in.buf, out.buf);
    EXPECT_EQ(out.Text(), Mapped("abcd", [](uint8_t c) { return uint8_t((c + 1) * 2); }));
    EXPECT_TRUE(out.buf.IsEOD());
}

TEST(FILT_FilterPipe, EndOfDataDrivesEveryFilterToFinish) {
    std::vector<std::string> calls;
    FILT_FilterPipe pipe;
    pipe.Append(AddOne(&calls));
    pipe.Append(Twice(&calls));
    pipe.Append(AddOne(&calls));
    const std::string text(17000, 'a');  // more than an inner buffer holds
    const std::string expected(17000, static_cast<char>(('a' + 1) * 2 + 1));
    for (const Chunking& ch : StandardChunkings()) {
        SCOPED_TRACE(ch.Name());
        FILT_FilterPipe fresh;
        fresh.Append(AddOne());
        fresh.Append(Twice());
        fresh.Append(AddOne());
        EXPECT_EQ(RunFilter(fresh, text, ch, text.size() + 64), expected);
    }
    Buf in("xyz", true), out(16);
    pipe.ProcessBytes(in.buf, out.buf);
    EXPECT_TRUE(out.buf.IsEOD());
    EXPECT_EQ(calls.size(), 3u);  // one call each, in data order
}

TEST(FILT_FilterPipe, FilterExceptionPassesThroughAndRepeats) {
    FILT_FilterPipe pipe;
    pipe.Append(AddOne());
    pipe.Append(new MapFilter("Fails", [](uint8_t c) { return c; }, nullptr, '#'));
    Buf in("ab\"cd", true), out(16);
    try {
        pipe.ProcessBytes(in.buf, out.buf);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 2u);
    }
    // A second call reaches the failed filter's Error state, not an assertion.
    Buf in2("ef", true), out2(16);
    try {
        pipe.ProcessBytes(in2.buf, out2.buf);
        FAIL() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), 1u);
    }
}

TEST(FILT_FilterPipe, TraceLogsEachStep) {
    LogCapture log;
    FILT_FilterPipe pipe;
    pipe.SetTrace(true);
    pipe.Append(AddOne());
    pipe.Append(Twice());
    Buf in("abc", true), out(16);
    pipe.ProcessBytes(in.buf, out.buf);
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "FILT_FilterPipe::ProcessBytes, inBuf.DataAvailable = 3 (eod), "
                                           "outBuf.SpaceRemaining = 16"));
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "  About to call Twice::ProcessBytes, inBuf.DataAvailable = 3 (eod)"));
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "  AddOne::ProcessBytes consumed 3 (eod) and generated 3 (eod)"));
    EXPECT_TRUE(log.Contains(GLIB_LogInfo, "FILT_FilterPipe::ProcessBytes,  consumed 3 (eod) and generated 3 (eod)"));
}

namespace {

// Image rows of 20 RGB pixels: predictor, Flate and ASCII85, as a PDF
// writer chains them, and the decoders in the reverse order.
std::unique_ptr<FILT_Filter> ImageEncoder() {
    return std::unique_ptr<FILT_Filter>(FILT_ConcatenateFilters(
        FILT_ConcatenateFilters(new FILT_PredictEncode(15, 3, 8, 20), new FILT_FlateEncode), new FILT_ASCII85Encode));
}
std::unique_ptr<FILT_Filter> ImageDecoder() {
    return std::unique_ptr<FILT_Filter>(FILT_ConcatenateFilters(
        new FILT_ASCII85Decode, FILT_ConcatenateFilters(new FILT_FlateDecode, new FILT_PredictDecode(15, 3, 8, 20))));
}

}  // namespace

TEST(FILT_FilterPipe, ChainsOfRealFiltersRoundTrip) {
    LogCapture quiet;  // the Flate decoder warns when resumed without input
    const std::string image = MixedBytes(30000, 21);
    for (const Chunking& ch : StandardChunkings(60)) {
        SCOPED_TRACE(ch.Name());
        auto enc = ImageEncoder();
        const std::string encoded = RunFilter(*enc, image, ch, 2 * image.size() + 1024);
        EXPECT_EQ(encoded.substr(encoded.size() - 2), "~>");
        auto dec = ImageDecoder();
        EXPECT_EQ(RunFilter(*dec, encoded, ch, image.size() + 1024), image);

        std::unique_ptr<FILT_Filter> rlEnc(FILT_ConcatenateFilters(new FILT_RunLengthEncode, new FILT_ASCIIHexEncode));
        const std::string hex = RunFilter(*rlEnc, image, ch, 4 * image.size() + 1024);
        std::unique_ptr<FILT_Filter> rlDec(FILT_ConcatenateFilters(new FILT_ASCIIHexDecode, new FILT_RunLengthDecode));
        EXPECT_EQ(RunFilter(*rlDec, hex, ch, image.size() + 1024), image);
    }
}

TEST(FILT_FilterPipe, CutChainThrowsTheFlateError) {
    LogCapture quiet;
    const std::string image = MixedBytes(3000, 22);
    auto enc = ImageEncoder();
    const std::string encoded = RunFilter(*enc, image, {{0}, {0}});
    for (size_t n = 0; n + 2 < encoded.size(); n += 1 + n / 40) {
        SCOPED_TRACE(n);
        auto dec = ImageDecoder();
        try {
            RunFilter(*dec, encoded.substr(0, n), {{7, 3, 13}, {5, 11, 2}}, 2 * image.size());
            ADD_FAILURE() << "a cut stream decoded";
        } catch (const GLIB_Exception& e) {
            EXPECT_EQ(e.Code(), 1130010u);
        }
    }
    // Without the end mark only, the data is all there.
    auto dec = ImageDecoder();
    EXPECT_EQ(RunFilter(*dec, encoded.substr(0, encoded.size() - 2), {{1}, {1}}), image);
}
