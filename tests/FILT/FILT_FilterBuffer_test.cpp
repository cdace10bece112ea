#include "FILT/FILT_FilterBuffer.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

void Put(FILT_FilterBuffer& b, const std::string& s) {
    ASSERT_EQ(b.Write(reinterpret_cast<const uint8_t*>(s.data()), static_cast<FILT_Size>(s.size())), s.size());
}

std::string Unread(const FILT_FilterBuffer& b) {
    return std::string(reinterpret_cast<const char*>(b.GetPtr()), b.DataAvailable());
}

}  // namespace

TEST(FILT_FilterBuffer, ResetAndRewindDropUnreadBytes) {
    for (bool rewind : {false, true}) {
        SCOPED_TRACE(rewind ? "Rewind" : "Reset");
        FILT_FilterBuffer b(10);
        Put(b, "0123456789");
        b.AdvanceGetPtr(4);
        b.SetEOD();
        EXPECT_EQ(b.DataAvailable(), 6u);
        EXPECT_EQ(rewind ? b.Rewind() : b.Reset(), b.BasePtr());
        EXPECT_EQ(b.DataAvailable(), 0u);
        EXPECT_EQ(b.SpaceRemaining(), 10u);
        EXPECT_EQ(b.TellB(), 4u);
        EXPECT_EQ(b.TellE(), 14u);
        EXPECT_FALSE(b.IsEOD());
        EXPECT_EQ(b.ReadCount(), rewind ? 4u : 0u);
    }
    FILT_FilterBuffer none;
    none.Reset();
    EXPECT_EQ(none.TellB(), 0u);
}

TEST(FILT_FilterBuffer, CountersClearCrosswise) {
    FILT_FilterBuffer b(8);
    b.AdvancePutPtr(5);
    EXPECT_EQ(b.WriteCount(), 5u);
    b.AdvanceGetPtr(2);
    b.AdvanceGetPtr(1);
    EXPECT_EQ(b.ReadCount(), 3u);
    EXPECT_EQ(b.WriteCount(), 0u);
    b.AdvancePutPtr(1);
    EXPECT_EQ(b.ReadCount(), 0u);
    EXPECT_EQ(b.WriteCount(), 1u);
}

TEST(FILT_FilterBuffer, TransferMovesWhatFits) {
    FILT_FilterBuffer src(10), dst(3);
    Put(src, "abcdefg");
    src.SetEOD();
    dst.AdvancePutPtr(0);
    EXPECT_EQ(src.TransferTo(dst), 3u);
    EXPECT_EQ(Unread(dst), "abc");
    EXPECT_EQ(Unread(src), "defg");
    EXPECT_EQ(src.ReadCount(), 3u);
    EXPECT_EQ(src.WriteCount(), 0u);
    EXPECT_EQ(dst.WriteCount(), 3u);
    EXPECT_EQ(dst.ReadCount(), 0u);
    EXPECT_FALSE(dst.IsEOD());  // EOD is not carried over

    // Into a full destination and from an empty source nothing changes.
    FILT_FilterBuffer empty(4);
    empty.AdvancePutPtr(0);
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k == 0 ? "full destination" : "empty source");
        FILT_FilterBuffer& from = k == 0 ? src : empty;
        FILT_FilterBuffer& to = k == 0 ? dst : src;
        const auto fr = from.ReadCount(), fw = from.WriteCount(), tr = to.ReadCount(), tw = to.WriteCount();
        const auto fg = from.GetPtr(), tp = to.PutPtr();
        EXPECT_EQ(to.TransferFrom(from), 0u);
        EXPECT_EQ(from.ReadCount(), fr);
        EXPECT_EQ(from.WriteCount(), fw);
        EXPECT_EQ(to.ReadCount(), tr);
        EXPECT_EQ(to.WriteCount(), tw);
        EXPECT_EQ(from.GetPtr(), fg);
        EXPECT_EQ(to.PutPtr(), tp);
    }
}

TEST(FILT_FilterBuffer, SeeksMoveTheOtherPointerAlong) {
    FILT_FilterBuffer b(10);
    Put(b, "0123456789");
    b.AdvanceGetPtr(4);
    b.Reset();  // TellB 4, TellE 14
    Put(b, "ab");
    EXPECT_EQ(b.SeekG(9), b.BasePtr() + 5);
    EXPECT_EQ(b.PutPtr(), b.BasePtr() + 5);  // put follows get beyond it
    EXPECT_EQ(b.SeekP(5), b.BasePtr() + 1);
    EXPECT_EQ(b.GetPtr(), b.BasePtr() + 1);  // get follows put below it
    EXPECT_EQ(b.SeekP(14), b.EndPtr());
    EXPECT_EQ(b.SeekG(4), b.BasePtr());
    EXPECT_THROW(b.SeekG(3), TestAssertionFailure);
    EXPECT_THROW(b.SeekP(15), TestAssertionFailure);
    EXPECT_THROW(b.OffsetToPtr(15), TestAssertionFailure);
}

TEST(FILT_FilterBuffer, ShiftDataKeepsStreamOffsets) {
    FILT_FilterBuffer b(10);
    Put(b, "0123456789");
    b.AdvanceGetPtr(3);
    b.ShiftData(-3);
    EXPECT_EQ(b.GetPtr(), b.BasePtr());
    EXPECT_EQ(Unread(b), "3456789");
    EXPECT_EQ(b.TellB(), 3u);
    EXPECT_EQ(*b.OffsetToPtr(5), '5');
    EXPECT_EQ(b.SpaceRemaining(), 3u);
    b.ShiftData(2);
    EXPECT_EQ(Unread(b), "3456789");
    EXPECT_EQ(b.TellB(), 1u);
    EXPECT_EQ(*b.OffsetToPtr(5), '5');
    b.ShiftData(0);
    EXPECT_EQ(b.TellB(), 1u);
    EXPECT_THROW(b.ShiftData(-3), TestAssertionFailure);  // get below base
    EXPECT_THROW(b.ShiftData(2), TestAssertionFailure);   // put beyond end
}

TEST(FILT_FilterBuffer, StorageOwnership) {
    // Non-owning buffers and copies must leave the storage alive; the
    // sanitizer reports the use after free or double free otherwise.
    std::vector<uint8_t> store(16, 'x');
    { FILT_FilterBuffer view(store.data(), 16, false); }
    EXPECT_EQ(store[0], 'x');

    FILT_FilterBuffer owner(8);
    Put(owner, "hello");
    owner.AdvanceGetPtr(1);
    {
        FILT_FilterBuffer copy(owner);
        EXPECT_EQ(Unread(copy), "ello");
        FILT_FilterBuffer assigned(4);
        assigned = owner;
        EXPECT_EQ(Unread(assigned), "ello");
        assigned = assigned;
        EXPECT_EQ(Unread(assigned), "ello");
    }
    EXPECT_EQ(Unread(owner), "ello");

    // A null pointer with a size allocates owned storage.
    FILT_FilterBuffer allocated(nullptr, 6, false);
    EXPECT_EQ(allocated.SpaceRemaining(), 6u);
    Put(allocated, "abcdef");
    EXPECT_EQ(allocated.SetStorage(store.data(), 4, false), store.data());
    EXPECT_EQ(allocated.TellB(), 0u);
    EXPECT_EQ(allocated.DataAvailable(), 0u);
}
