// The C stream guard: who closes the stream, and when.
#include "GLIB/GLIB_FileGuard.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>

namespace {

// A stream whose close is counted and can be made to fail.
struct Probe {
    int closes = 0;
    bool failClose = false;
};

FILE* OpenProbe(Probe& probe) {
    cookie_io_functions_t io{};
    io.close = [](void* cookie) -> int {
        auto* p = static_cast<Probe*>(cookie);
        ++p->closes;
        return p->failClose ? -1 : 0;
    };
    return fopencookie(&probe, "w", io);
}

}  // namespace

TEST(GLIB_FileGuard, ClosesOnlyWhatItOwnsAndOnlyOnce) {
    enum Step { Destroy, CloseTwice, ReleaseThenDestroy, ResetSame, ResetOther };
    struct Case {
        Step step;
        int firstCloses;   // closes of the first stream when the guard is gone
        int secondCloses;  // of the stream given to Reset, if any
    };
    const Case cases[] = {
        {Destroy, 1, 0},
        {CloseTwice, 1, 0},
        {ReleaseThenDestroy, 0, 0},
        {ResetSame, 1, 0},   // resetting to the held stream must not close it early
        {ResetOther, 1, 1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        Probe first, second;
        FILE* f1 = OpenProbe(first);
        FILE* f2 = OpenProbe(second);
        ASSERT_TRUE(f1 && f2);
        {
            GLIB_FileGuard guard(f1);
            EXPECT_FALSE(guard.IsNull());
            switch (c.step) {
            case Destroy:
                break;
            case CloseTwice:
                guard.Close();
                EXPECT_TRUE(guard.IsNull());
                guard.Close();
                break;
            case ReleaseThenDestroy:
                EXPECT_EQ(guard.Release(), f1);
                EXPECT_FALSE(guard.IsNull());
                break;
            case ResetSame:
                guard.Reset(f1);
                EXPECT_EQ(first.closes, 0);
                EXPECT_TRUE(guard.Owns());
                break;
            case ResetOther:
                guard.Reset(f2);
                EXPECT_EQ(first.closes, 1);
                EXPECT_EQ(guard.File(), f2);
                break;
            }
        }
        EXPECT_EQ(first.closes, c.firstCloses);
        EXPECT_EQ(second.closes, c.secondCloses);
        if (first.closes == 0)
            std::fclose(f1);
        if (second.closes == 0)
            std::fclose(f2);
    }
}

TEST(GLIB_FileGuard, FailedCloseIsAWarningAndForgetsTheStream) {
    LogCapture log;
    Probe probe;
    probe.failClose = true;
    GLIB_FileGuard guard(OpenProbe(probe));
    guard.Close();
    EXPECT_TRUE(guard.IsNull());
    EXPECT_FALSE(guard.Owns());
    EXPECT_TRUE(log.Contains(GLIB_LogWarning, "Failed to close file handle"));
    guard.Close();
    EXPECT_EQ(probe.closes, 1);
}

TEST(GLIB_FileGuard, MoveTransfersOwnership) {
    Probe probe;
    {
        GLIB_FileGuard outer;
        {
            GLIB_FileGuard inner(OpenProbe(probe));
            outer = std::move(inner);
            EXPECT_TRUE(inner.IsNull());
        }
        EXPECT_EQ(probe.closes, 0);
    }
    EXPECT_EQ(probe.closes, 1);
}
