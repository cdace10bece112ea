#include "FILT/FILT_BitTupleBuffer.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Bits = std::vector<uint8_t>;  // one 0/1 entry per bit

void PutBits(uint8_t* p, uint32_t offset, const uint8_t* bits, size_t n) {
    for (size_t j = 0; j < n; ++j) {
        const size_t at = offset + j;
        const uint8_t mask = static_cast<uint8_t>(0x80 >> (at % 8));
        p[at / 8] = static_cast<uint8_t>(bits[j] ? p[at / 8] | mask : p[at / 8] & ~mask);
    }
}

Bits GetBits(const uint8_t* p, uint32_t offset, size_t n) {
    Bits b(n);
    for (size_t j = 0; j < n; ++j)
        b[j] = (p[(offset + j) / 8] >> (7 - (offset + j) % 8)) & 1;
    return b;
}

// Rows of bits, each padded with zero bits to a whole byte.
std::string Reference(const std::vector<Bits>& rows) {
    std::string out;
    for (const Bits& row : rows) {
        std::string bytes((row.size() + 7) / 8, '\0');
        PutBits(reinterpret_cast<uint8_t*>(&bytes[0]), 0, row.data(), row.size());
        out += bytes;
    }
    return out;
}

struct Fill {
    explicit Fill(size_t room, const std::string& text = "")
        : store(room + text.size() + 1), buf(store.data(), static_cast<FILT_Size>(room + text.size()), false) {
        buf.Write(reinterpret_cast<const uint8_t*>(text.data()), static_cast<FILT_Size>(text.size()));
    }
    std::string Text() const { return std::string(reinterpret_cast<const char*>(buf.GetPtr()), buf.DataAvailable()); }
    std::vector<uint8_t> store;
    FILT_FilterBuffer buf;
};

// Writes the rows as tuples of width bits into output fills of cycling sizes,
// scribbling over the bits before the offset that the writer must restore.
std::string WriteRows(const std::vector<Bits>& rows, FILT_Size width, const std::vector<size_t>& rooms,
                      std::mt19937& rng) {
    FILT_BitTupleBufferW w(width);
    std::string got;
    size_t k = 0;
    auto out = std::make_unique<Fill>(rooms[k++ % rooms.size()]);
    w.Attach(&out->buf);
    auto next = [&] {
        got += out->Text();
        out = std::make_unique<Fill>(rooms[k++ % rooms.size()]);
        w.Attach(&out->buf);
    };
    for (const Bits& row : rows) {
        const size_t tuples = row.size() / width;
        size_t t = 0;
        while (t < tuples) {
            const size_t n = std::min<size_t>(w.TuplesAvailable(), tuples - t);
            if (n == 0) {
                next();
                continue;
            }
            uint8_t* p = w.GetPtr();
            const uint32_t o = w.BitOffset();
            if (o)
                p[0] = static_cast<uint8_t>(p[0] ^ (rng() & (0xFF00u >> o)));
            PutBits(p, o, row.data() + t * width, n * width);
            w.Commit(static_cast<FILT_Size>(n));
            t += n;
        }
        w.AddPad();
    }
    w.SetEndOfDataPending(true);
    w.Attach(&out->buf);
    for (int guard = 0; !out->buf.IsEOD() && guard < 100; ++guard)
        next();
    EXPECT_TRUE(out->buf.IsEOD());
    return got + out->Text();
}

// Reads rows of the given tuple counts from fills of cycling sizes.
std::vector<Bits> ReadRows(const std::string& data, FILT_Size width, size_t rowCount, size_t tuplesPerRow,
                           const std::vector<size_t>& sizes) {
    FILT_BitTupleBufferR r(width);
    std::vector<Bits> rows;
    size_t pos = 0, k = 0;
    std::unique_ptr<Fill> in;
    auto next = [&] {
        if (in) {
            EXPECT_EQ(in->buf.DataAvailable(), 0u) << "the reader left bytes in a fill";
        }
        const size_t n = std::min(sizes[k++ % sizes.size()], data.size() - pos);
        in = std::make_unique<Fill>(0, data.substr(pos, n));
        pos += n;
        in->buf.SetEOD(pos == data.size());
        r.Attach(&in->buf);
    };
    for (size_t row = 0; row < rowCount; ++row) {
        Bits bits;
        size_t t = 0;
        while (t < tuplesPerRow) {
            const size_t n = std::min<size_t>(r.TuplesAvailable(), tuplesPerRow - t);
            if (n == 0) {
                if (pos == data.size())
                    return rows;  // ran out: the caller sees the short result
                next();
                continue;
            }
            const Bits b = GetBits(r.GetPtr(), r.BitOffset(), n * width);
            bits.insert(bits.end(), b.begin(), b.end());
            r.Consume(static_cast<FILT_Size>(n));
            t += n;
        }
        r.RemovePad();
        rows.push_back(bits);
    }
    return rows;
}

}  // namespace

TEST(FILT_BitTupleBuffer, WidthBounds) {
    EXPECT_THROW(FILT_BitTupleBufferR r(0), TestAssertionFailure);
    EXPECT_THROW(FILT_BitTupleBufferW w(257), TestAssertionFailure);
    FILT_BitTupleBufferR r(1);
    r.SetTupleNumBits(256);
    FILT_BitTupleBufferW w(256);
    w.SetTupleNumBits(1);
    EXPECT_THROW(w.SetTupleNumBits(257), TestAssertionFailure);
    EXPECT_THROW(r.SetTupleNumBits(0), TestAssertionFailure);
}

TEST(FILT_BitTupleBuffer, ReaderCarriesTupleAcrossFills) {
    FILT_BitTupleBufferR r(12);
    Fill a(0, "\xAB");
    r.Attach(&a.buf);
    EXPECT_EQ(r.TuplesAvailable(), 0u);
    EXPECT_EQ(r.SpanningBytes(), 1u);
    EXPECT_EQ(a.buf.DataAvailable(), 0u);
    Fill b(0, "\xCD\xEF");
    r.Attach(&b.buf);
    EXPECT_EQ(r.TuplesAvailable(), 1u);
    EXPECT_EQ(r.SpanningBytes(), 2u);
    EXPECT_EQ(b.buf.DataAvailable(), 2u);  // 0xCD also starts the next tuple
    EXPECT_EQ(GetBits(r.GetPtr(), 0, 12), GetBits(reinterpret_cast<const uint8_t*>("\xAB\xCD"), 0, 12));
    r.Consume(1);
    EXPECT_EQ(r.BitOffset(), 4u);
    EXPECT_EQ(r.TuplesAvailable(), 1u);
    EXPECT_EQ(r.GetPtr(), b.buf.GetPtr());
    EXPECT_EQ(GetBits(r.GetPtr(), 4, 12), GetBits(reinterpret_cast<const uint8_t*>("\xCD\xEF"), 4, 12));
    EXPECT_THROW(r.Consume(2), TestAssertionFailure);
    r.Consume(1);
    EXPECT_EQ(r.BitOffset(), 0u);
    EXPECT_EQ(r.TuplesAvailable(), 0u);
}

TEST(FILT_BitTupleBuffer, WriterRestoresBitsBeforeOffset) {
    FILT_BitTupleBufferW w(4);
    Fill out(4);
    w.Attach(&out.buf);
    *w.GetPtr() = 0xA0;
    w.Commit(1);
    EXPECT_EQ(w.BitOffset(), 4u);
    EXPECT_EQ(out.buf.DataAvailable(), 0u);  // the shared byte is held back
    *w.GetPtr() = 0x0F | 0x50;               // scribbles over the high nibble
    w.Commit(1);
    EXPECT_EQ(out.Text(), "\xAF");
}

TEST(FILT_BitTupleBuffer, AddPad) {
    {
        SCOPED_TRACE("offset 0 writes nothing");
        FILT_BitTupleBufferW w(8);
        Fill out(4);
        w.Attach(&out.buf);
        *w.GetPtr() = 0x12;
        w.Commit(1);
        w.AddPad();
        EXPECT_EQ(out.Text(), "\x12");
    }
    {
        SCOPED_TRACE("offset 3 emits the byte with five zero bits");
        FILT_BitTupleBufferW w(3);
        Fill out(4);
        w.Attach(&out.buf);
        *w.GetPtr() = 0xFF;
        w.Commit(1);
        w.AddPad();
        EXPECT_EQ(out.Text(), "\xE0");
        EXPECT_EQ(w.BitOffset(), 0u);
    }
    {
        SCOPED_TRACE("a full buffer keeps the pad byte pending");
        FILT_BitTupleBufferW w(12);
        Fill out(1);
        w.Attach(&out.buf);
        uint8_t* p = w.GetPtr();
        p[0] = 0xAB;
        p[1] = 0xCF;
        w.Commit(1);
        w.AddPad();
        EXPECT_EQ(out.Text(), "\xAB");
        EXPECT_EQ(w.PendingBytes(), 1u);
        w.SetEndOfDataPending(true);
        Fill next(4);
        w.Attach(&next.buf);
        EXPECT_EQ(next.Text(), "\xC0");
        EXPECT_TRUE(next.buf.IsEOD());
    }
}

TEST(FILT_BitTupleBuffer, RoundTripEveryWidthAcrossFills) {
    const std::vector<FILT_Size> widths = {1, 2, 3, 4, 5, 7, 8, 9, 12, 13, 16, 24, 31, 32, 33, 63, 100, 255, 256};
    const std::vector<std::vector<size_t>> fills = {{1}, {2, 1, 3}, {5}, {7, 33}, {64}, {4096}};
    std::mt19937 rng(1234);
    for (FILT_Size width : widths) {
        for (size_t tuplesPerRow : {1u, 3u, 7u}) {
            std::vector<Bits> rows(4);
            for (Bits& row : rows) {
                row.resize(tuplesPerRow * width);
                for (auto& bit : row)
                    bit = rng() & 1;
            }
            const std::string expected = Reference(rows);
            for (size_t f = 0; f < fills.size(); ++f) {
                SCOPED_TRACE("width " + std::to_string(width) + " tuples " + std::to_string(tuplesPerRow) +
                             " fills " + std::to_string(f));
                EXPECT_EQ(WriteRows(rows, width, fills[f], rng), expected);
                EXPECT_EQ(ReadRows(expected, width, rows.size(), tuplesPerRow, fills[(f + 2) % fills.size()]),
                          rows);
            }
        }
    }
}
