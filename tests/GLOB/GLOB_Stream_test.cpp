#include "GLOB/GLOB_Stream.h"

#include "FILT/FILT_ASCIIHexDecode.h"
#include "FILT/FILT_Utils.h"
#include "GLIB/GLIB_Observable.h"
#include "GLOB/GLOB_StreamMessage.h"
#include "GLOB_TestUtil.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <type_traits>

namespace {

// XORs every byte with a key.
class XorFilter : public FILT_Filter {
public:
    explicit XorFilter(uint8_t key) : m_key(key) {}
    const char* Name() const override { return "XorFilter"; }
    void ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) override {
        const FILT_Size n = std::min(in.DataAvailable(), out.SpaceRemaining());
        for (FILT_Size i = 0; i < n; ++i)
            out.PutPtr()[i] = in.GetPtr()[i] ^ m_key;
        in.AdvanceGetPtr(n);
        out.AdvancePutPtr(n);
        out.SetEOD(in.DataAvailable() == 0 && in.IsEOD());
    }

private:
    uint8_t m_key;
};

// Breaks the contract: takes nothing and gives nothing.
class StuckFilter : public FILT_Filter {
public:
    const char* Name() const override { return "StuckFilter"; }
    void ProcessBytes(FILT_FilterBuffer&, FILT_FilterBuffer&) override {}
};

// A pipe of two filters, and what it makes of s.
FILT_Filter* TwoXors() { return FILT_ConcatenateFilters(new XorFilter(0x5A), new XorFilter(0x0F)); }
std::string TwoXorsOf(std::string s) {
    for (char& c : s)
        c = static_cast<char>(c ^ 0x5A ^ 0x0F);
    return s;
}

// Records the messages it hears; throws at close if asked.
class Observer : public GLIB_MessageTarget {
public:
    std::vector<std::string> seen;
    bool throwOnClose = false;
    template <class M>
    void On(const M& m) {
        seen.push_back(m.Description());
        if (throwOnClose && std::is_same<M, GLOB_StreamCloseMessage>::value)
            throw std::runtime_error("observer failed");
    }
    void AttachTo(GLOB_Stream& s) {
        s.Attach(new GLIB_Callback<Observer, GLOB_StreamReadMessage>(this, &Observer::On<GLOB_StreamReadMessage>));
        s.Attach(new GLIB_Callback<Observer, GLOB_StreamWriteMessage>(this, &Observer::On<GLOB_StreamWriteMessage>));
        s.Attach(new GLIB_Callback<Observer, GLOB_StreamCloseMessage>(this, &Observer::On<GLOB_StreamCloseMessage>));
    }
};

// Reads hand out at most a buffer's worth (raw chunks when unfiltered); a
// buffer with unread bytes comes back without a fill; after the end every
// read gives an empty buffer with EOD.
TEST(GLOB_Stream, ReadsComeInChunksAndEndWithEmptyBuffersAtEOD) {
    const struct {
        size_t size;
        std::vector<size_t> rawChunks;
        uint32_t bufferSize;  // 0: unfiltered
        size_t most;
    } cases[] = {
        {0, {}, 0, 0},       {6, {4}, 0, 4},          {0, {}, 8192, 0},         {20000, {0}, 8192, 8192},
        {20000, {1}, 4096, 4096}, {20000, {8192}, 1, 1}, {20000, {3000, 7, 1}, 4096, 4096},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const std::string raw = Pattern(cases[i].size);
        auto* core = new GLOB_ChunkedCore(raw, cases[i].rawChunks, GLOB_StreamCore::Input);
        GLOB_Stream s(core);
        if (cases[i].bufferSize) {
            s.SetFilter(TwoXors());
            s.SetBufferSize(cases[i].bufferSize);
        }
        std::string got;
        for (FILT_FilterBuffer* b = s.Read(); b->DataAvailable() > 0; b = s.Read()) {
            ASSERT_LE(b->DataAvailable(), cases[i].most);
            const int fills = core->fills;
            const FILT_Size half = b->DataAvailable() / 2;
            got.append(reinterpret_cast<const char*>(b->GetPtr()), half);
            b->AdvanceGetPtr(half);
            ASSERT_EQ(s.Tell(), got.size());
            ASSERT_EQ(s.Read(), b);
            ASSERT_EQ(core->fills, fills);
            got += Take(b);
        }
        EXPECT_TRUE(got == (cases[i].bufferSize ? TwoXorsOf(raw) : raw));
        EXPECT_EQ(s.RawTell(), raw.size());
        for (int again = 0; again < 3; ++again) {
            const FILT_FilterBuffer* b = s.Read();
            EXPECT_TRUE(b->DataAvailable() == 0 && b->IsEOD());
        }
    }
}

// Whatever the caller's chunks, the device gets the whole encoded text in
// chunks of at most 8192 bytes, EOD on the last; short stores are retried.
TEST(GLOB_Stream, FilteredWriteThroughAPipeArrivesWholeInChunks) {
    const std::string data = Pattern(20000);
    const struct {
        size_t chunk;
        size_t maxStore;
    } cases[] = {{20000, 0}, {1000, 0}, {7, 0}, {1, 0}, {20000, 100}};
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(k);
        Observer observer;
        auto* core = new GLOB_ChunkedCore("", {}, GLOB_StreamCore::Output, cases[k].maxStore);
        GLOB_Stream s(core);
        observer.AttachTo(s);
        s.SetFilter(TwoXors());
        long writes = 1;
        for (size_t at = 0; at < data.size(); at += cases[k].chunk, ++writes)
            ASSERT_EQ(Put(s, data.substr(at, cases[k].chunk)), 0u);
        ASSERT_EQ(Put(s, "", true), 0u);
        EXPECT_TRUE(core->written == TwoXorsOf(data));
        ASSERT_FALSE(core->flushes.empty());
        for (size_t i = 0; i < core->flushes.size() && cases[k].maxStore == 0; ++i) {
            EXPECT_LE(core->flushes[i].first, GLOB_StreamCore::DefaultBufferSize);
            EXPECT_EQ(core->flushes[i].second, i + 1 == core->flushes.size()) << i;
        }
        EXPECT_EQ(std::count(observer.seen.begin(), observer.seen.end(), "GLOB_StreamWrite"), writes);
        const size_t flushes = core->flushes.size();  // a second closing write finds the chain finished
        Put(s, "", true);
        EXPECT_EQ(core->flushes.size(), flushes);
    }
}

// Handles share the core, which closes once; a filter set again is kept.
// An observer that throws at close keeps the stream open and observed.
TEST(GLOB_Stream, HandlesObserversAndClose) {
    auto* core = new GLOB_ChunkedCore("abc", {2});
    GLOB_Stream s(core);
    GLOB_Stream b(s);
    b = core;  // the same core: nothing changes
    Observer observer;
    observer.AttachTo(s);
    auto* filter = new XorFilter(1);
    s.SetFilter(filter);
    b.SetFilter(filter);
    EXPECT_EQ(ReadAll(s), "`cb");
    Put(b, "");
    Observer other;  // detaching one target removes its callbacks only
    other.AttachTo(s);
    EXPECT_EQ(s.Detach(other), 3u);
    observer.throwOnClose = true;
    EXPECT_THROW(s.Close(), std::runtime_error);
    EXPECT_EQ(core->closes, 0);
    observer.throwOnClose = false;
    s.Close();
    b.Close();
    EXPECT_EQ(core->closes, 1);
    EXPECT_EQ(core->Filter(), nullptr);
    EXPECT_TRUE(other.seen.empty());
    EXPECT_EQ(observer.seen, (std::vector<std::string>{"GLOB_StreamRead", "GLOB_StreamRead", "GLOB_StreamRead",
                                                       "GLOB_StreamWrite", "GLOB_StreamClose", "GLOB_StreamClose"}));
    // Close removed every callback: the handle now attaches the first again.
    EXPECT_EQ(s.Attach(new GLIB_Callback<Observer, GLOB_StreamReadMessage>(&observer, &Observer::On)), 1u);
    s.DetachAll();
    EXPECT_THROW(s.Read(), TestAssertionFailure);  // closed until opened again
    // The null handle: Close and Core accept it; the others assert.
    GLOB_Stream none;
    none.Close();
    EXPECT_EQ(none.Core(), nullptr);
    EXPECT_THROW(none.Read(), TestAssertionFailure);
}

TEST(GLOB_Stream, BrokenContractsThrowOrAssertInsteadOfHanging) {
    // A device that refuses every byte.
    auto* refusing = new GLOB_ChunkedCore("", {}, GLOB_StreamCore::Output);
    refusing->storeNothing = true;
    GLOB_Stream r(refusing);
    r.SetFilter(new XorFilter(1));
    EXPECT_EQ(Failure([&] { Put(r, "data", true); }).substr(0, 8),
              std::to_string(GLOB_StreamCore::IOErrorCode) + " ");
    // A chain that finished at its end mark takes no more input.
    auto* core = new GLOB_ChunkedCore("", {}, GLOB_StreamCore::Output);
    GLOB_Stream s(core);
    s.SetFilter(new FILT_ASCIIHexDecode);
    EXPECT_EQ(Put(s, "414243>" + std::string(90, 'x')), 90u);
    EXPECT_EQ(core->written, "ABC");
    EXPECT_TRUE(core->flushes.back().second);
    // Reading an output stream, writing an input one, a zero buffer size.
    EXPECT_THROW(GLOB_Stream(new GLOB_ChunkedCore("abc", {}, GLOB_StreamCore::Output)).Read(), TestAssertionFailure);
    GLOB_Stream in(new GLOB_ChunkedCore("abc", {}, GLOB_StreamCore::Input));
    EXPECT_THROW(Put(in, ""), TestAssertionFailure);
    EXPECT_THROW(in.SetBufferSize(0), TestAssertionFailure);
    // A core that hands out an empty chunk without EOD.
    for (bool filtered : {false, true}) {
        auto* empty = new GLOB_ChunkedCore("abc", {});
        empty->emptyWithoutEod = true;
        GLOB_Stream e(empty);
        if (filtered)
            e.SetFilter(new XorFilter(1));
        EXPECT_THROW(e.Read(), TestAssertionFailure) << filtered;
        EXPECT_EQ(empty->fills, 1);
    }
    // A filter that neither takes nor gives.
    GLOB_Stream stuck(new GLOB_ChunkedCore("abc", {}));
    stuck.SetFilter(new StuckFilter);
    EXPECT_THROW(stuck.Read(), GLIB_Exception);
    EXPECT_THROW(Put(stuck, "12345678"), GLIB_Exception);
}

// Passes every byte but never finishes: at EOD it gives nothing more.
class NeverEndingFilter : public XorFilter {
public:
    NeverEndingFilter() : XorFilter(0) {}
    const char* Name() const override { return "NeverEndingFilter"; }
    void ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) override {
        XorFilter::ProcessBytes(in, out);
        out.SetEOD(false);
    }
};

// A stall on hostile data is the stream's error, not the process's end,
// reading and writing alike, once the filter has stopped after real work.
TEST(GLOB_Stream, AFilterThatStallsIsAStreamErrorNamingIt) {
    const std::string expected = std::to_string(GLOB_StreamCore::IOErrorCode) +
                                 " GLOB_StreamCore::Read: the filter NeverEndingFilter neither took nor gave a byte";
    GLOB_Stream in(new GLOB_ChunkedCore("abcdef", {4}));
    in.SetFilter(new NeverEndingFilter);
    EXPECT_EQ(Take(in.Read()), "abcd");
    EXPECT_EQ(Take(in.Read()), "ef");
    EXPECT_EQ(Failure([&] { in.Read(); }), expected);

    auto* core = new GLOB_ChunkedCore("", {}, GLOB_StreamCore::Output);
    GLOB_Stream out(core);
    out.SetFilter(new NeverEndingFilter);
    EXPECT_EQ(Put(out, "abc"), 0u);
    EXPECT_EQ(core->written, "abc");
    std::string written = expected;
    written.replace(written.find("Read"), 4, "Write");
    EXPECT_EQ(Failure([&] { Put(out, "", true); }), written);
}

}  // namespace
