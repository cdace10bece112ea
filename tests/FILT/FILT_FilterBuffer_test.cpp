#include "FILT/FILT_FilterBuffer.h"

#include "FILT_TestData.h"

namespace {

using Positions = std::pair<FILT_Size, FILT_Size>;

Positions GetAndPut(const FILT_FilterBuffer& b) { return {b.TellG(), b.TellP()}; }

}  // namespace

// Offsets count from the start of the stream across Reset (which drops the
// unread bytes and EOD); each seek drags the other pointer along, never
// outside the buffer; ShiftData keeps the offsets of the bytes it moves.
// The get and put offsets go on where the counters restart.
TEST(FILT_FilterBuffer, OffsetsSurviveResetSeekAndShift) {
    FILT_FilterBuffer b(10);
    EXPECT_EQ(GetAndPut(FILT_FilterBuffer()), Positions(0, 0));
    b.Write(U8("0123456789"), 10);
    b.AdvanceGetPtr(4);
    EXPECT_EQ(GetAndPut(b), Positions(4, 10));
    b.SetEOD();
    EXPECT_EQ(b.Reset(), b.BasePtr());
    EXPECT_FALSE(b.IsEOD() || b.DataAvailable());
    EXPECT_EQ(b.TellB() * 100 + b.TellE(), 414u);
    EXPECT_EQ(GetAndPut(b), Positions(4, 4));
    b.Write(U8("ab"), 2);
    EXPECT_EQ(GetAndPut(b), Positions(4, 6));
    b.AdvanceGetPtr(1);
    EXPECT_EQ(GetAndPut(b), Positions(5, 6));
    EXPECT_EQ(b.SeekG(9), b.BasePtr() + 5);
    EXPECT_EQ(b.PutPtr(), b.BasePtr() + 5);
    EXPECT_EQ(b.SeekP(5), b.BasePtr() + 1);
    EXPECT_EQ(b.GetPtr(), b.BasePtr() + 1);
    EXPECT_EQ(GetAndPut(b), Positions(5, 5));
    EXPECT_THROW(b.SeekG(3), TestAssertionFailure);
    EXPECT_THROW(b.SeekP(15), TestAssertionFailure);
    FILT_FilterBuffer s(10);
    s.Write(U8("0123456789"), 10);
    s.AdvanceGetPtr(3);
    s.ShiftData(-3);
    EXPECT_EQ(Text(s), "3456789");
    EXPECT_EQ(*s.OffsetToPtr(5), '5');
    s.ShiftData(2);
    EXPECT_EQ(*s.OffsetToPtr(5), '5');
    EXPECT_EQ(GetAndPut(s), Positions(3, 10));
    EXPECT_THROW(s.ShiftData(-3), TestAssertionFailure);  // get below base
    EXPECT_THROW(s.ShiftData(2), TestAssertionFailure);   // put beyond end
}

// Non-owning buffers and copies leave the storage alive; the sanitizer
// reports a use after free or double free otherwise.
TEST(FILT_FilterBuffer, StorageOwnership) {
    std::vector<uint8_t> store(16, 'x');
    { FILT_FilterBuffer view(store.data(), 16, false); }
    FILT_FilterBuffer owner(8);
    owner.Write(U8("hello"), 5);
    {
        FILT_FilterBuffer copy(owner), assigned(4);
        assigned = owner;
        assigned = assigned;
        EXPECT_EQ(Text(copy) + Text(assigned), "hellohello");
    }
    EXPECT_EQ(Text(owner) + static_cast<char>(store[0]), "hellox");
    FILT_FilterBuffer allocated(nullptr, 6, false);  // a null pointer with a size allocates
    EXPECT_EQ(allocated.Write(U8("abcdef"), 6), 6u);
    EXPECT_EQ(allocated.SetStorage(store.data(), 4, false), store.data());
}

// A view of a stream's buffer, cut where a reader of the stream stopped,
// holds exactly the bytes that reader took (an inline image's raw data ends
// where its decoder stopped reading the content stream). An assigned view
// keeps the stream offsets; a copy counts from 0.
TEST(FILT_FilterBuffer, ViewCutWhereAReaderStopped) {
    FILT_FilterBuffer source(16);
    source.Write(U8("BI ID"), 5);
    source.AdvanceGetPtr(5);
    source.Reset();
    source.Write(U8("DATA EI"), 7);
    FILT_FilterBuffer view;
    view = source;
    const FILT_FilterBuffer copy(source);
    source.AdvanceGetPtr(4);
    EXPECT_EQ(view.SeekP(source.TellG()), source.GetPtr());
    EXPECT_EQ(Text(view) + "|" + Text(source), "DATA| EI");
    EXPECT_EQ(GetAndPut(view), Positions(5, 9));
    EXPECT_EQ(GetAndPut(copy), Positions(0, 7));
}
