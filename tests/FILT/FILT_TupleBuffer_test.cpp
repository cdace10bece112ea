#include "FILT/FILT_TupleBuffer.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A buffer over its own storage holding text, optionally at EOD.
struct Fill {
    explicit Fill(const std::string& text, bool eod = false, size_t room = 0)
        : store(text.size() + room + 1), buf(store.data(), static_cast<FILT_Size>(text.size() + room), false) {
        buf.Write(reinterpret_cast<const uint8_t*>(text.data()), static_cast<FILT_Size>(text.size()));
        buf.SetEOD(eod);
    }
    std::vector<uint8_t> store;
    FILT_FilterBuffer buf;
};

std::string Bytes(const uint8_t* p, size_t n) { return std::string(reinterpret_cast<const char*>(p), n); }

// Reads data through a reader fed in fills of the cycling sizes.
std::string ReadThrough(FILT_TupleBufferR& r, const std::string& data, const std::vector<size_t>& sizes,
                        bool acceptPartial) {
    r.SetAcceptPartialTuple(acceptPartial);
    const size_t size = r.TupleSize();
    std::string got;
    size_t pos = 0, k = 0;
    do {
        const size_t n = std::min(sizes[k++ % sizes.size()], data.size() - pos);
        Fill f(data.substr(pos, n), pos + n == data.size());
        pos += n;
        r.Attach(&f.buf);
        while (FILT_Size t = r.TuplesAvailable()) {
            got += Bytes(r.GetPtr(), t * size);
            r.Consume(t);
        }
        // A reader always takes the whole fill: in place or into its store.
        EXPECT_EQ(f.buf.DataAvailable(), 0u);
    } while (pos < data.size());
    if (acceptPartial && r.SpanningTupleSize() > 0) {
        got += Bytes(r.GetPtr(), r.SpanningTupleSize());
        r.Consume(1);
    }
    return got;
}

// Writes data as tuples through a writer into output fills of the cycling sizes.
std::string WriteThrough(FILT_TupleBufferW& w, const std::string& data, const std::vector<size_t>& rooms) {
    const size_t size = w.TupleSize();
    std::string got;
    size_t k = 0, pos = 0;
    auto fresh = [&] { return std::make_unique<Fill>("", false, rooms[k++ % rooms.size()]); };
    auto out = fresh();
    w.Attach(&out->buf);
    auto next = [&] {
        got += Bytes(out->buf.GetPtr(), out->buf.DataAvailable());
        out = fresh();
        w.Attach(&out->buf);
    };
    while (pos < data.size()) {
        const size_t n = std::min<size_t>(w.TuplesAvailable(), (data.size() - pos) / size);
        if (n == 0) {
            next();
            continue;
        }
        std::memcpy(w.GetPtr(), data.data() + pos, n * size);
        w.Commit(static_cast<FILT_Size>(n));
        pos += n * size;
    }
    w.SetEndOfDataPending(true);
    w.Attach(&out->buf);
    for (int guard = 0; !out->buf.IsEOD() && guard < 1000; ++guard)
        next();
    EXPECT_TRUE(out->buf.IsEOD());
    got += Bytes(out->buf.GetPtr(), out->buf.DataAvailable());
    return got;
}

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

}  // namespace

TEST(FILT_TupleBuffer, ReaderCompletesTupleCutByFill) {
    FILT_TupleBufferR r(4);
    Fill a("ABCDEF");
    r.Attach(&a.buf);
    ASSERT_EQ(r.TuplesAvailable(), 1u);
    EXPECT_EQ(r.GetPtr(), a.buf.GetPtr());  // read in place
    EXPECT_EQ(Bytes(r.GetPtr(), 4), "ABCD");
    r.Consume(1);
    EXPECT_EQ(r.SpanningTupleSize(), 2u);
    EXPECT_EQ(a.buf.DataAvailable(), 0u);
    EXPECT_EQ(r.TuplesAvailable(), 0u);

    Fill b("GH");
    r.Attach(&b.buf);
    EXPECT_EQ(b.buf.DataAvailable(), 0u);
    ASSERT_EQ(r.TuplesAvailable(), 1u);
    EXPECT_EQ(Bytes(r.GetPtr(), 4), "EFGH");
    r.Consume(1);
    EXPECT_EQ(r.SpanningTupleSize(), 0u);
    EXPECT_EQ(r.TuplesAvailable(), 0u);
    EXPECT_EQ(r.GetPtr(), nullptr);  // the drained fill was detached
}

TEST(FILT_TupleBuffer, ReaderShortLastTuple) {
    {
        SCOPED_TRACE("accept-partial off: nothing more can be read");
        FILT_TupleBufferR r(4);
        Fill f("xyz", true);
        r.Attach(&f.buf);
        EXPECT_TRUE(r.IsIncompleteLastTuple());
        EXPECT_EQ(r.TuplesAvailable(), 0u);
        EXPECT_EQ(r.GetPtr(), nullptr);
        r.Consume(1);  // ignored
        EXPECT_EQ(r.GetPtr(), nullptr);
    }
    {
        SCOPED_TRACE("accept-partial on: the store holds the short tuple");
        FILT_TupleBufferR r(4);
        r.SetAcceptPartialTuple(true);
        Fill f("xyz", true);
        r.Attach(&f.buf);
        EXPECT_FALSE(r.IsIncompleteLastTuple());
        ASSERT_EQ(r.SpanningTupleSize(), 3u);
        EXPECT_EQ(Bytes(r.GetPtr(), 3), "xyz");
        r.Consume(1);
        EXPECT_EQ(r.SpanningTupleSize(), 0u);
    }
}

TEST(FILT_TupleBuffer, ReaderMisuseFailsAssertions) {
    FILT_TupleBufferR r(4);
    Fill a("ABCD");
    r.Attach(&a.buf);
    Fill b("EF");
    FILT_TupleBufferR r2(4);
    r2.Attach(&b.buf);
    Fill c("GH");
    r2.Attach(&c.buf);
    ASSERT_EQ(r2.TuplesAvailable(), 1u);
    EXPECT_THROW(r2.Consume(2), TestAssertionFailure);  // store holds one tuple
    EXPECT_THROW(r.Consume(2), TestAssertionFailure);   // only one in the buffer
    EXPECT_THROW(r.Attach(nullptr), TestAssertionFailure);
    EXPECT_THROW(FILT_TupleBufferR(0), TestAssertionFailure);
    EXPECT_THROW(FILT_TupleBufferW(0), TestAssertionFailure);
}

TEST(FILT_TupleBuffer, WriterParksTupleCutByFill) {
    FILT_TupleBufferW w(3);
    Fill a("", false, 1);
    w.Attach(&a.buf);
    EXPECT_TRUE(w.IsSpanning());
    ASSERT_EQ(w.TuplesAvailable(), 1u);
    EXPECT_NE(w.GetPtr(), a.buf.PutPtr());
    std::memcpy(w.GetPtr(), "PQR", 3);
    w.Commit(1);
    EXPECT_EQ(Bytes(a.buf.GetPtr(), a.buf.DataAvailable()), "P");
    EXPECT_EQ(w.PendingBytes(), 2u);
    EXPECT_FALSE(w.AllWritten());

    Fill b("", false, 8);
    w.Attach(&b.buf);
    EXPECT_TRUE(w.AllWritten());
    EXPECT_EQ(Bytes(b.buf.GetPtr(), b.buf.DataAvailable()), "QR");
    EXPECT_EQ(w.TuplesAvailable(), 2u);
    EXPECT_EQ(w.GetPtr(), b.buf.PutPtr());
    EXPECT_THROW(w.Commit(3), TestAssertionFailure);
}

TEST(FILT_TupleBuffer, WriterEndOfDataWaitsForPendingBytes) {
    FILT_TupleBufferW w(5);
    Fill a("", false, 2);
    w.Attach(&a.buf);
    std::memcpy(w.GetPtr(), "12345", 5);
    w.Commit(1);
    w.SetEndOfDataPending(true);
    Fill b("", false, 2);
    w.Attach(&b.buf);
    EXPECT_FALSE(b.buf.IsEOD());
    Fill c("", false, 2);
    w.Attach(&c.buf);
    EXPECT_TRUE(c.buf.IsEOD());
    EXPECT_EQ(Bytes(a.buf.GetPtr(), 2) + Bytes(b.buf.GetPtr(), 2) + Bytes(c.buf.GetPtr(), 1), "12345");
}

TEST(FILT_TupleBuffer, RoundTripAcrossFills) {
    const std::vector<std::vector<size_t>> patterns = {{1}, {2}, {3, 1, 7}, {5}, {13, 2}, {1000}};
    const std::string data = RandomBytes(211, 7);
    for (FILT_Size size = 1; size <= 9; ++size) {
        for (size_t p = 0; p < patterns.size(); ++p) {
            for (size_t q = 0; q < patterns.size(); ++q) {
                SCOPED_TRACE("tuple " + std::to_string(size) + " pattern " + std::to_string(p) + "/" +
                             std::to_string(q));
                const std::string whole = data.substr(0, data.size() - data.size() % size);
                FILT_TupleBufferR r(size);
                EXPECT_EQ(ReadThrough(r, data, patterns[p], false), whole);
                EXPECT_EQ(r.IsIncompleteLastTuple(), whole.size() != data.size());
                FILT_TupleBufferR rp(size);
                EXPECT_EQ(ReadThrough(rp, data, patterns[p], true), data);
                FILT_TupleBufferW w(size);
                EXPECT_EQ(WriteThrough(w, whole, patterns[q]), whole);
            }
        }
    }
}
