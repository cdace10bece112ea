#include "GLOB/GLOB_Stream.h"

#include "FILT/FILT_Utils.h"
#include "GLIB/GLIB_Exception.h"
#include "GLIB/GLIB_Observable.h"
#include "GLOB/GLOB_StreamCore.h"
#include "GLOB/GLOB_StreamMessage.h"
#include "GLOB_ChunkedCore.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// XORs every byte with a key; counts its own destruction.
class XorFilter : public FILT_Filter {
public:
    explicit XorFilter(uint8_t key, int* destroyed = nullptr) : m_key(key), m_destroyed(destroyed) {}
    ~XorFilter() override {
        if (m_destroyed)
            ++*m_destroyed;
    }
    const char* Name() const override { return "XorFilter"; }
    void ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) override {
        const FILT_Size n = std::min(in.DataAvailable(), out.SpaceRemaining());
        for (FILT_Size i = 0; i < n; ++i)
            out.PutPtr()[i] = in.GetPtr()[i] ^ m_key;
        in.AdvanceGetPtr(n);
        out.AdvancePutPtr(n);
        if (in.DataAvailable() == 0 && in.IsEOD())
            out.SetEOD();
    }

private:
    uint8_t m_key;
    int* m_destroyed;
};

// Passes its first `limit` bytes, then finishes as a decoder at its end mark.
class EndAfterFilter : public FILT_Filter {
public:
    explicit EndAfterFilter(FILT_Size limit) : m_left(limit) {}
    const char* Name() const override { return "EndAfterFilter"; }
    void ProcessBytes(FILT_FilterBuffer& in, FILT_FilterBuffer& out) override {
        const FILT_Size n = std::min({in.DataAvailable(), out.SpaceRemaining(), m_left});
        out.Write(in.GetPtr(), n);
        in.AdvanceGetPtr(n);
        m_left -= n;
        if (m_left == 0 || (in.DataAvailable() == 0 && in.IsEOD()))
            out.SetEOD();
    }

private:
    FILT_Size m_left;
};

// Breaks the contract: takes nothing and gives nothing.
class StuckFilter : public FILT_Filter {
public:
    const char* Name() const override { return "StuckFilter"; }
    void ProcessBytes(FILT_FilterBuffer&, FILT_FilterBuffer&) override {}
};

// A pipe of two filters.
FILT_Filter* TwoXors() { return FILT_ConcatenateFilters(new XorFilter(0x5A), new XorFilter(0x0F)); }

std::string Pattern(size_t n) {
    std::string s(n, 0);
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

std::string TwoXorsOf(std::string s) {
    for (char& c : s)
        c = static_cast<char>(c ^ 0x5A ^ 0x0F);
    return s;
}

class Observer : public GLIB_MessageTarget {
public:
    std::vector<std::string> seen;
    std::vector<FILT_FilterBuffer*> buffers;
    bool throwOnClose = false;

    void OnRead(const GLOB_StreamReadMessage& m) {
        seen.push_back(m.Description());
        buffers.push_back(m.Buffer());
        EXPECT_FALSE(m.Stream().IsNull());
    }
    void OnWrite(const GLOB_StreamWriteMessage& m) { seen.push_back(m.Description()); }
    void OnClose(const GLOB_StreamCloseMessage& m) {
        seen.push_back(m.Description());
        if (throwOnClose)
            throw std::runtime_error("observer failed");
    }
    void AttachTo(GLOB_Stream& stream) {
        stream.Attach(new GLIB_Callback<Observer, GLOB_StreamReadMessage>(this, &Observer::OnRead));
        stream.Attach(new GLIB_Callback<Observer, GLOB_StreamWriteMessage>(this, &Observer::OnWrite));
        stream.Attach(new GLIB_Callback<Observer, GLOB_StreamCloseMessage>(this, &Observer::OnClose));
    }
};

std::string Take(FILT_FilterBuffer* buffer) {
    std::string s(reinterpret_cast<const char*>(buffer->GetPtr()), buffer->DataAvailable());
    buffer->AdvanceGetPtr(buffer->DataAvailable());
    return s;
}

TEST(GLOB_Stream, HandlesShareTheCoreAndTheLastOneDeletesIt) {
    int destroyed = 0;
    {
        auto* core = new GLOB_ChunkedCore("", {}, GLOB_StreamCore::Input, 0, &destroyed);
        GLOB_Stream a(core);
        GLOB_Stream b(a);
        GLOB_Stream c;
        c = a;
        c = core;  // the same core: nothing changes
        EXPECT_EQ(core->RefCount(), 3u);
        c = GLOB_Stream();
        GLOB_StreamCore* held = b.Core();
        EXPECT_EQ(core->RefCount(), 3u);
        held->Release();
        a = GLOB_Stream(new GLOB_ChunkedCore("", {}, GLOB_StreamCore::Input, 0, &destroyed));
        EXPECT_EQ(core->RefCount(), 1u);
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 2);

    // The null handle: Close and Core accept it; the others assert.
    GLOB_Stream none;
    none.Close();
    EXPECT_EQ(none.Core(), nullptr);
    try {
        none.Read();
        ADD_FAILURE() << "no assertion";
    } catch (const TestAssertionFailure& e) {
        EXPECT_EQ(e.m_expression, "m_streamCore");
    }
}

TEST(GLOB_Stream, UnfilteredReadsHandOutTheRawChunks) {
    // An empty stream is at its end at the first read, and at every later one.
    {
        auto* core = new GLOB_ChunkedCore("", {});
        GLOB_Stream s(core);
        EXPECT_EQ(s.Tell(), 0u);
        for (int i = 0; i < 3; ++i) {
            FILT_FilterBuffer* b = s.Read();
            EXPECT_EQ(b->DataAvailable(), 0u);
            EXPECT_TRUE(b->IsEOD());
        }
    }
    // A buffer with unread bytes comes back without a fill.
    auto* core = new GLOB_ChunkedCore("abcdef", {4});
    GLOB_Stream s(core);
    FILT_FilterBuffer* b = s.Read();
    ASSERT_EQ(b->DataAvailable(), 4u);
    b->AdvanceGetPtr(2);
    EXPECT_EQ(s.Tell(), 2u);
    EXPECT_EQ(s.Read(), b);
    EXPECT_EQ(core->fills, 1);
    b->AdvanceGetPtr(2);
    b = s.Read();
    EXPECT_EQ(core->fills, 2);
    EXPECT_EQ(Take(b), "ef");
    EXPECT_TRUE(b->IsEOD());
    EXPECT_EQ(s.Tell(), 6u);
    EXPECT_EQ(s.RawTell(), 6u);
    for (int i = 0; i < 3; ++i) {
        b = s.Read();
        EXPECT_EQ(b->DataAvailable(), 0u);
        EXPECT_TRUE(b->IsEOD());
    }
}

TEST(GLOB_Stream, FilteredReadsComeInChunksOfTheBufferSize) {
    const std::string raw = Pattern(20000);
    const std::string expected = TwoXorsOf(raw);
    const std::vector<std::vector<size_t>> rawChunks = {{0}, {1}, {8192}, {3000, 7, 1}};
    for (uint32_t bufferSize : {8192u, 4096u, 1u}) {
        for (size_t k = 0; k < rawChunks.size(); ++k) {
            SCOPED_TRACE("buffer " + std::to_string(bufferSize) + " raw chunking " + std::to_string(k));
            auto* core = new GLOB_ChunkedCore(raw, rawChunks[k], GLOB_StreamCore::Input);
            GLOB_Stream s(core);
            s.SetFilter(TwoXors());
            if (bufferSize != GLOB_StreamCore::DefaultBufferSize)
                s.SetBufferSize(bufferSize);
            std::string got;
            FILT_FilterBuffer* b = s.Read();
            while (b->DataAvailable() > 0) {
                ASSERT_LE(b->DataAvailable(), bufferSize);
                // Consume in two steps so that the same buffer comes back.
                const FILT_Size half = b->DataAvailable() / 2;
                got.append(reinterpret_cast<const char*>(b->GetPtr()), half);
                b->AdvanceGetPtr(half);
                ASSERT_EQ(s.Tell(), got.size());
                got += Take(s.Read());
                ASSERT_EQ(s.Tell(), got.size());
                b = s.Read();
            }
            EXPECT_TRUE(b->IsEOD());
            EXPECT_EQ(got.size(), expected.size());
            EXPECT_TRUE(got == expected);
            EXPECT_EQ(s.RawTell(), raw.size());
            for (int i = 0; i < 3; ++i) {
                b = s.Read();
                EXPECT_EQ(b->DataAvailable(), 0u);
                EXPECT_TRUE(b->IsEOD());
            }
        }
    }
}

TEST(GLOB_Stream, FilteredWriteThroughAPipeArrivesWholeInChunks) {
    const std::string data = Pattern(20000);
    const std::string expected = TwoXorsOf(data);
    const std::vector<std::vector<size_t>> callerChunks = {{20000}, {1000}, {7, 13}, {1}};
    for (size_t k = 0; k < callerChunks.size(); ++k) {
        SCOPED_TRACE("caller chunking " + std::to_string(k));
        Observer observer;
        auto* core = new GLOB_ChunkedCore("", {}, GLOB_StreamCore::Output);
        GLOB_Stream s(core);
        observer.AttachTo(s);
        s.SetFilter(TwoXors());
        size_t given = 0, index = 0, writes = 0;
        while (given < data.size()) {
            const size_t n = std::min(callerChunks[k][index++ % callerChunks[k].size()], data.size() - given);
            FILT_FilterBuffer b(reinterpret_cast<uint8_t*>(const_cast<char*>(data.data())) + given,
                                static_cast<FILT_Size>(n), false);
            b.AdvancePutPtr(static_cast<FILT_Size>(n));
            s.Write(b);
            ++writes;
            ASSERT_EQ(b.DataAvailable(), 0u);
            given += n;
        }
        FILT_FilterBuffer closing;
        closing.SetEOD();
        s.Write(closing);
        ++writes;

        EXPECT_TRUE(core->written == expected);
        ASSERT_FALSE(core->flushes.empty());
        for (size_t i = 0; i < core->flushes.size(); ++i) {
            EXPECT_LE(core->flushes[i].size, GLOB_StreamCore::DefaultBufferSize);
            EXPECT_EQ(core->flushes[i].eod, i + 1 == core->flushes.size()) << i;
        }
        EXPECT_EQ(std::count(observer.seen.begin(), observer.seen.end(), "GLOB_StreamWrite"),
                  static_cast<long>(writes));
        // A second closing write finds the chain finished.
        const size_t flushes = core->flushes.size();
        s.Write(closing);
        EXPECT_EQ(core->flushes.size(), flushes);
    }
}

TEST(GLOB_Stream, ShortStoresAreRetriedAndARefusedStoreThrows) {
    const std::string data = Pattern(20000);
    auto* core = new GLOB_ChunkedCore("", {}, GLOB_StreamCore::Output, 100);
    GLOB_Stream s(core);
    s.SetFilter(TwoXors());
    FILT_FilterBuffer b(reinterpret_cast<uint8_t*>(const_cast<char*>(data.data())),
                        static_cast<FILT_Size>(data.size()), false);
    b.AdvancePutPtr(static_cast<FILT_Size>(data.size()));
    b.SetEOD();
    s.Write(b);
    EXPECT_TRUE(core->written == TwoXorsOf(data));

    auto* refusing = new GLOB_ChunkedCore("", {}, GLOB_StreamCore::Output);
    refusing->storeNothing = true;
    GLOB_Stream r(refusing);
    r.SetFilter(new XorFilter(1));
    b.SeekG(0);
    try {
        r.Write(b);
        ADD_FAILURE() << "no exception";
    } catch (const GLIB_Exception& e) {
        EXPECT_EQ(e.Code(), GLOB_StreamCore::IOErrorCode);
    }
}

TEST(GLOB_Stream, AFinishedChainTakesNoMoreInputInsteadOfSpinning) {
    auto* core = new GLOB_ChunkedCore("", {}, GLOB_StreamCore::Output);
    GLOB_Stream s(core);
    s.SetFilter(new EndAfterFilter(10));
    std::string data(100, 'x');
    FILT_FilterBuffer b(reinterpret_cast<uint8_t*>(&data[0]), 100, false);
    b.AdvancePutPtr(100);
    s.Write(b);
    EXPECT_EQ(core->written, std::string(10, 'x'));
    EXPECT_EQ(b.DataAvailable(), 90u);
    ASSERT_FALSE(core->flushes.empty());
    EXPECT_TRUE(core->flushes.back().eod);
}

TEST(GLOB_Stream, ReadWriteAndCloseMessagesReachObservers) {
    Observer observer;
    auto* core = new GLOB_ChunkedCore("hello", {2});
    GLOB_Stream s(core);
    observer.AttachTo(s);
    FILT_FilterBuffer* b = s.Read();
    Take(b);
    FILT_FilterBuffer out;
    s.Write(out);
    ASSERT_EQ(observer.buffers.size(), 1u);
    EXPECT_EQ(observer.buffers[0], b);

    // Detaching one target removes its callbacks only.
    Observer other;
    other.AttachTo(s);
    EXPECT_EQ(s.Detach(other), 3u);
    s.Read();
    EXPECT_TRUE(other.seen.empty());

    // An observer that throws at close keeps the stream open and observed.
    observer.throwOnClose = true;
    EXPECT_THROW(s.Close(), std::runtime_error);
    EXPECT_TRUE(core->IsOpen());
    EXPECT_EQ(core->closes, 0);
    observer.throwOnClose = false;
    s.Close();
    EXPECT_EQ((std::vector<std::string>{"GLOB_StreamRead", "GLOB_StreamWrite", "GLOB_StreamRead",
                                        "GLOB_StreamClose", "GLOB_StreamClose"}),
              observer.seen);
    EXPECT_FALSE(core->IsOpen());
    // Close removed every callback: the handle now attaches the first again.
    EXPECT_EQ(s.Attach(new GLIB_Callback<Observer, GLOB_StreamReadMessage>(&observer, &Observer::OnRead)), 1u);
    s.DetachAll();
}

TEST(GLOB_Stream, CloseReleasesOnceAndDeletesTheFilter) {
    int filters = 0;
    auto* core = new GLOB_ChunkedCore("abc", {});
    GLOB_Stream s(core);
    auto* filter = new XorFilter(1, &filters);
    s.SetFilter(filter);
    s.SetFilter(filter);  // the same filter is kept
    EXPECT_EQ(filters, 0);
    s.SetFilter(new XorFilter(2, &filters));
    EXPECT_EQ(filters, 1);
    s.Read();
    s.Close();
    s.Close();
    EXPECT_EQ(core->closes, 1);
    EXPECT_EQ(filters, 2);
    EXPECT_EQ(core->Filter(), nullptr);
    // A closed core reads and writes only after a new Open.
    EXPECT_THROW(s.Read(), TestAssertionFailure);
    core->Open(GLOB_StreamCore::Input);
    core->Close();
}

TEST(GLOB_Stream, ContractBreachesAreAssertionsNotHangs) {
    // The assertion names the mode bit.
    GLOB_Stream out(new GLOB_ChunkedCore("abc", {}, GLOB_StreamCore::Output));
    try {
        out.Read();
        ADD_FAILURE() << "no assertion";
    } catch (const TestAssertionFailure& e) {
        EXPECT_NE(e.m_expression.find("( m_openMode & Input )"), std::string::npos) << e.m_expression;
    }
    GLOB_Stream in(new GLOB_ChunkedCore("abc", {}, GLOB_StreamCore::Input));
    FILT_FilterBuffer empty;
    EXPECT_THROW(in.Write(empty), TestAssertionFailure);
    // A core that hands out an empty chunk without EOD.
    for (bool filtered : {false, true}) {
        auto* core = new GLOB_ChunkedCore("abc", {});
        core->emptyWithoutEod = true;
        GLOB_Stream s(core);
        if (filtered)
            s.SetFilter(new XorFilter(1));
        EXPECT_THROW(s.Read(), TestAssertionFailure) << filtered;
        EXPECT_EQ(core->fills, 1);
    }
    // A filter that neither takes nor gives.
    {
        GLOB_Stream s(new GLOB_ChunkedCore("abc", {}));
        s.SetFilter(new StuckFilter);
        EXPECT_THROW(s.Read(), TestAssertionFailure);
        FILT_FilterBuffer b(8);
        b.AdvancePutPtr(8);
        EXPECT_THROW(s.Write(b), TestAssertionFailure);
    }
    EXPECT_THROW(in.SetBufferSize(0), TestAssertionFailure);
}

TEST(GLOB_Stream, TraceLogsEveryFilterStepOfARead) {
    LogCapture log;
    GLOB_Stream t(new GLOB_ChunkedCore("abc", {}));
    t.SetFilter(new XorFilter(0));
    t.SetTrace(true);
    EXPECT_EQ(Take(t.Read()), "abc");
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "GLOB_StreamCore::Read: inBuf.DataAvailable = 3 (eod), "
                                            "outBuf.SpaceRemaining = 8192"));
    EXPECT_TRUE(log.Contains(GLIB_LogDebug, "GLOB_StreamCore::Read:  consumed 3 (eod) and generated 3 (eod)"));
}

}  // namespace
